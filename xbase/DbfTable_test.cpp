// The table component over an in-memory engine, with every engine call
// recorded.
#include "xbase/DbfTable.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/scoped_temp_dir.h"
#include "xbase/testing/fake_xb_engine.h"
#include "xbase/testing/recording_xb_engine.h"

namespace cratemark {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

FakeTable LockTable() {
  FakeTable table;
  table.fields = {{"DUMMY", "C", 10, 0}};
  table.records = {" ABC       "};
  return table;
}

class DbfTableTest : public ::testing::Test {
 protected:
  DbfTableTest() : recorder_(fake_), replacement_(recorder_) {}

  // A table file on disk (the component checks that it exists) and its
  // contents in the fake engine.
  std::string AddTable(const std::string& file_name, FakeTable table) {
    WriteWholeFile(dir_.path() + file_name, "");
    std::string engine_path = dir_.path() + file_name.substr(0, file_name.find('.'));
    fake_.tables[dir_.path() + file_name] = table;
    fake_.tables[engine_path] = std::move(table);
    return engine_path;
  }

  // A read-only lock table object configured as the service does.
  void ConfigureLockTable(TDbfTable& table) {
    table.SetTableName("LOCKSPL");
    table.SetTableType(ttXBNTX);
    table.SetReadOnly(true);
    table.SetDatabaseName(dir_.path());
    table.AddField("DUMMY", TFieldKind::kText, 10);
  }

  ScopedTempDir dir_;
  FakeXbEngine fake_;
  RecordingXbEngine recorder_;
  ScopedEngineReplacement replacement_;
};

TEST_F(DbfTableTest, OpenWithoutTableNameFailsBeforeAnyEngineCall) {
  TDbfTable table("tblLockSPL");
  try {
    table.Open();
    FAIL() << "opened";
  } catch (const EDbfError& error) {
    EXPECT_STREQ(error.what(), "tblLockSPL : Missing TableName property");
  }
  EXPECT_EQ(table.ErrorMsg(), "tblLockSPL : Missing TableName property");
  EXPECT_THAT(recorder_.Calls(), IsEmpty());
  EXPECT_FALSE(table.Active());
}

TEST_F(DbfTableTest, OpenOfMissingFileNamesItWithOneCarriageReturn) {
  TDbfTable table("tblLockSPL");
  ConfigureLockTable(table);
  std::string full_name = dir_.path() + "LOCKSPL.DBF";
  try {
    table.Open();
    FAIL() << "opened";
  } catch (const EDbfError& error) {
    EXPECT_EQ(std::string(error.what()),
              "Table, file or directory does not exist.\rFile: " + full_name);
  }
  EXPECT_EQ(std::count(table.ErrorMsg().begin(), table.ErrorMsg().end(), '\r'), 1);
  EXPECT_THAT(recorder_.CallsStartingWith("xb_UseEx"), IsEmpty());
  EXPECT_FALSE(table.Active());
  recorder_.ClearCalls();
  EXPECT_EQ(table.FLock(), 0);
  EXPECT_THAT(recorder_.Calls(), IsEmpty());
}

TEST_F(DbfTableTest, OpenRefusedByTheEngineLeavesNoWorkArea) {
  AddTable("LOCKSPL.DBF", LockTable());
  fake_.refuse_opens = true;
  TDbfTable table("tblLockSPL");
  ConfigureLockTable(table);
  EXPECT_THROW(
      {
        try {
          table.Open();
        } catch (const EDbfError& error) {
          EXPECT_EQ(std::string(error.what()),
                    "Unable to open table: " + dir_.path() + "LOCKSPL.DBF");
          throw;
        }
      },
      EDbfError);
  EXPECT_EQ(table.WorkArea(), 0);
  EXPECT_EQ(table.FLock(), 0);
}

TEST_F(DbfTableTest, OpenCallsTheEngineInOrder) {
  std::string path = AddTable("LOCKSPL.DBF", LockTable());
  TDbfTable table("tblLockSPL");
  ConfigureLockTable(table);
  table.Open();
  EXPECT_THAT(recorder_.Calls(),
              ElementsAre("xb_WorkArea(\"LOCKSPL\")", "xb_ErrorLevel(0)",
                          "xb_UseEx(\"" + path + "\", \"LOCKSPL\", 1, 1, 1)", "xb_ErrorLevel(1)",
                          "xb_SetTurboRead(0)", "xb_SetTranslate(0)", "xb_FieldCount()",
                          "xb_RecSize()", "xb_Select(1)", "xb_IsEncrypted(0)", "xb_SetTurboRead(0)",
                          "xb_Select(1)", "xb_SetStringType(1)", "xb_SysProp(3000, 0)",
                          "xb_RecCount()", "xb_IndexCondition()", "xb_Select(1)", "xb_FieldName(1)",
                          "xb_FieldType(\"DUMMY\")", "xb_FieldOffset(\"DUMMY\")",
                          "xb_FieldWidth(\"DUMMY\")", "xb_FieldDecimals(\"DUMMY\")", "xb_GoTop()",
                          "xb_Select(1)", "xb_GoTop()", "xb_Eof()", "xb_RecNo()", "xb_RecNo()",
                          "xb_GetRecord(<buffer>)", "xb_Select(1)", "xb_Go(1)"));
  EXPECT_TRUE(table.Active());
  EXPECT_EQ(table.WorkArea(), 1);
  EXPECT_EQ(table.RecNo(), 1);
  EXPECT_FALSE(table.Eof());

  // The first record is in the buffer: DUMMY present, blanks trimmed.
  const TFieldInfo& info = table.LFieldOffsets().at(0);
  const uint8_t* slot = table.ActiveBuffer().Data() + info.NativeOffset;
  EXPECT_EQ(slot[0], 1);
  EXPECT_STREQ(reinterpret_cast<const char*>(slot + 1), "ABC");

  recorder_.ClearCalls();
  table.Close();
  EXPECT_THAT(recorder_.Calls(), ElementsAre("xb_Alias(1)", "xb_Select(1)", "xb_Close()"));
  EXPECT_EQ(table.WorkArea(), 0);
  EXPECT_FALSE(table.Active());
  EXPECT_TRUE(fake_.areas.empty());
}

TEST_F(DbfTableTest, HooksRunAroundOpenAndClose) {
  AddTable("LOCKSPL.DBF", LockTable());
  TDbfTable table("tblLockSPL");
  ConfigureLockTable(table);
  std::vector<std::string> events;
  table.BeforeOpen = [&](TDbfTable& t) {
    events.push_back("BeforeOpen " + std::to_string(t.Active()));
  };
  table.AfterOpen = [&](TDbfTable& t) {
    events.push_back("AfterOpen " + std::to_string(t.Active()) + " " + std::to_string(t.FLock()));
  };
  table.BeforeClose = [&](TDbfTable& t) {
    events.push_back("BeforeClose " + std::to_string(t.WorkArea()));
  };
  table.AfterClose = [&](TDbfTable& t) {
    events.push_back("AfterClose " + std::to_string(t.WorkArea()));
  };
  table.Open();
  table.Open();  // already open: nothing
  table.Close();
  table.Close();  // already closed: nothing
  EXPECT_THAT(events,
              ElementsAre("BeforeOpen 0", "AfterOpen 1 -1", "BeforeClose 1", "AfterClose 0"));
}

TEST_F(DbfTableTest, FullTableNames) {
  TDbfTable table;
  table.SetDatabaseName(dir_.path() + "Label1");
  table.SetTableName("LOCKSPL.DBF");
  EXPECT_EQ(table.GetFullTableName(), dir_.path() + "Label1" + kPathSeparator + "LOCKSPL.DBF");
  EXPECT_EQ(table.DataPath(), dir_.path() + "Label1" + kPathSeparator);

  table.SetDatabaseName("C:\\POS\\Label1");
  EXPECT_EQ(table.GetFullTableName(),
            std::string("C:\\POS\\Label1") + kPathSeparator + "LOCKSPL.DBF");
  table.SetDatabaseName("C:\\POS\\Label1\\");
  EXPECT_EQ(table.GetFullTableName(), "C:\\POS\\Label1\\LOCKSPL.DBF");

  table.SetTableName("D:\\Other\\LBLPRDEF");  // its own directory wins
  EXPECT_EQ(table.GetFullTableName(), "D:\\Other\\LBLPRDEF.DBF");
}

TEST_F(DbfTableTest, TableNameWithoutExtensionOpensWithoutOne) {
  std::string path = AddTable("LBLPRDEF.DBF", LockTable());
  TDbfTable table;
  table.SetTableName(dir_.path() + "LBLPRDEF");
  table.Open();
  EXPECT_THAT(recorder_.CallsStartingWith("xb_UseEx"),
              ElementsAre("xb_UseEx(\"" + path + "\", \"LBLPRDEF\", 0, 2, 1)"));
}

TEST_F(DbfTableTest, InvalidDatabaseName) {
  TDbfTable table;
  table.SetDatabaseName("NoSuchDatabase");
  table.SetTableName("LOCKSPL.DBF");
  EXPECT_THROW(
      {
        try {
          table.Open();
        } catch (const EDbfError& error) {
          EXPECT_STREQ(error.what(), "Invalid DatabaseName value : NoSuchDatabase");
          throw;
        }
      },
      EDbfError);
}

TEST_F(DbfTableTest, SecondTableOnTheSameNameGetsTheNextAlias) {
  AddTable("LOCKSPL.DBF", LockTable());
  TDbfTable first("tblLockSPL"), second("tblLockSPLCheck");
  ConfigureLockTable(first);
  ConfigureLockTable(second);
  first.Open();
  second.Open();
  EXPECT_EQ(fake_.areas.at(first.WorkArea()).alias, "LOCKSPL");
  EXPECT_EQ(fake_.areas.at(second.WorkArea()).alias, "LOCKSPL1");
  first.Close();
  first.Open();
  EXPECT_EQ(fake_.areas.at(first.WorkArea()).alias, "LOCKSPL");
}

TEST_F(DbfTableTest, DiscoversFieldKindsAndLaysOutTheBuffer) {
  FakeTable table_data;
  table_data.fields = {{"NAME", "C", 10, 0}, {"QTY", "N", 5, 0}, {"SMALL", "N", 3, 0},
                       {"PRICE", "N", 8, 2}, {"OK", "L", 1, 0},  {"DAY", "D", 8, 0},
                       {"NOTE", "M", 10, 0}};
  AddTable("KINDS.DBF", table_data);
  TDbfTable table;
  table.SetDatabaseName(dir_.path());
  table.SetTableName("KINDS.DBF");
  table.Open();
  EXPECT_TRUE(table.Eof());  // no records

  std::vector<std::pair<std::string, TFieldKind>> kinds;
  for (const TDbfFieldDef& def : table.FieldDefs()) kinds.emplace_back(def.Name, def.Kind);
  EXPECT_THAT(
      kinds,
      ElementsAre(std::pair("NAME", TFieldKind::kText), std::pair("QTY", TFieldKind::kFloat),
                  std::pair("SMALL", TFieldKind::kSmallInt), std::pair("PRICE", TFieldKind::kFloat),
                  std::pair("OK", TFieldKind::kBoolean), std::pair("DAY", TFieldKind::kDate),
                  std::pair("NOTE", TFieldKind::kMemo)));
  EXPECT_EQ(table.FieldDefs()[0].Size, 10);
  EXPECT_EQ(table.FieldDefs()[1].Size, 0);

  std::vector<TDbfField*> fields = table.Fields();
  ASSERT_EQ(fields.size(), 7u);
  EXPECT_EQ(fields[1]->DisplayFormat, "0");
  EXPECT_EQ(fields[1]->Precision, 6);
  EXPECT_EQ(fields[3]->DisplayFormat, "0.00");
  EXPECT_EQ(fields[3]->Precision, 9);

  // Engine offsets (marker at 0) and buffer slots: text 11+1, float 8+1,
  // small integer 2+1, float 8+1, boolean 2+1, date 4+1, memo 1.
  std::vector<int> engine_offsets, native_offsets;
  for (const TFieldInfo& info : table.LFieldOffsets()) {
    engine_offsets.push_back(info.EngineOffset);
    native_offsets.push_back(info.NativeOffset);
  }
  EXPECT_THAT(engine_offsets, ElementsAre(1, 11, 16, 19, 27, 28, 36));
  EXPECT_THAT(native_offsets, ElementsAre(0, 12, 21, 24, 33, 36, 41));
  const TRecordBuffer& buffer = table.ActiveBuffer();
  EXPECT_EQ(buffer.CalcOffset(), 42);
  EXPECT_EQ(buffer.RecordInfoOffset(), 42 + 30);
  EXPECT_EQ(buffer.TotalSize(), 42 + 30 + 5);
  EXPECT_EQ(fields[6]->BlobIndex(), 0);

  table.Close();
  EXPECT_TRUE(table.Fields().empty());  // created at open, gone at close
  EXPECT_TRUE(table.LFieldOffsets().empty());
}

TEST_F(DbfTableTest, DeclaredFieldMissingFromTheTableFailsTheOpen) {
  FakeTable other;
  other.fields = {{"SUBDIR", "C", 40, 0}};
  AddTable("LOCKSPL.DBF", other);
  TDbfTable table("tblLockSPL");
  ConfigureLockTable(table);
  try {
    table.Open();
    FAIL() << "opened";
  } catch (const EDatabaseError& error) {
    EXPECT_STREQ(error.what(), "tblLockSPL: Field 'DUMMY' not found");
  }
  EXPECT_EQ(table.ErrorMsg(), "");  // record-set errors leave it alone
  EXPECT_EQ(table.WorkArea(), 0);
  EXPECT_TRUE(fake_.areas.empty());
  EXPECT_EQ(table.Fields().size(), 1u);  // the declared field stays
}

TEST_F(DbfTableTest, DeclaredFieldOfAnotherKindFailsTheOpen) {
  FakeTable other;
  other.fields = {{"DUMMY", "N", 10, 0}};
  AddTable("LOCKSPL.DBF", other);
  TDbfTable table;  // no name: the text alone
  ConfigureLockTable(table);
  try {
    table.Open();
    FAIL() << "opened";
  } catch (const EDatabaseError& error) {
    EXPECT_STREQ(error.what(), "Type mismatch for field 'DUMMY', expecting: String actual: Float");
  }
  EXPECT_TRUE(fake_.areas.empty());
}

TEST_F(DbfTableTest, CreateTableFromDeclaredFields) {
  TDbfTable table("tblLockSPL");
  ConfigureLockTable(table);
  table.CreateTable();
  std::string path = dir_.path() + "LOCKSPL.DBF";
  EXPECT_THAT(
      recorder_.Calls(),
      ElementsAre("xb_WorkArea(\"LOCKSPL\")", "xb_CreateNew(\"" + path + "\", \"LOCKSPL\", 1, 1)",
                  "xb_CreateField(\"DUMMY\", \"C\", 10, 0)", "xb_CreateExec()", "xb_Close()"));
  EXPECT_EQ(table.WorkArea(), 0);
  EXPECT_TRUE(fake_.areas.empty());
}

TEST_F(DbfTableTest, CreateTableFailures) {
  struct Case {
    const char* field_name;
    TFieldKind kind;
    const char* refused;  // the engine function that refuses, if any
    std::string message;
  };
  const std::string file = "File: " + dir_.path() + "NEW.DBF";
  const Case cases[] = {
      {nullptr, TFieldKind::kText, "", "Missing required field definitions"},
      {"1ABC", TFieldKind::kText, "", "Invalid field name. Field names must begin with a letter"},
      {"_ABC", TFieldKind::kText, "", "Invalid field name. Field names must begin with a letter"},
      {"BYTES", TFieldKind::kBytes, "", "Invalid field type [12]"},
      {"NAME", TFieldKind::kText, "xb_CreateNew", "Unable to create table.\r" + file},
      // The engine's own refusals are failures too, not a table.
      {"NAME", TFieldKind::kText, "xb_CreateField",
       "Unable to create table.\rThe engine refused the field NAME (type C, width 10, decimals "
       "0).\r" +
           file},
      {"NAME", TFieldKind::kText, "xb_CreateExec", "Unable to create table.\r" + file},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    fake_.refuse_creates = std::string(c.refused) == "xb_CreateNew";
    fake_.failing = {c.refused};
    TDbfTable table;
    table.SetDatabaseName(dir_.path());
    table.SetTableName("NEW");
    if (c.field_name != nullptr) table.FieldDefs().push_back({c.field_name, c.kind, 10});
    try {
      table.CreateTable();
      ADD_FAILURE() << "created";
    } catch (const EDbfError& error) {
      EXPECT_EQ(error.what(), c.message);
      EXPECT_EQ(table.ErrorMsg(), c.message);
    }
    EXPECT_EQ(table.WorkArea(), 0);
    EXPECT_TRUE(fake_.areas.empty());
    EXPECT_EQ(fake_.tables.count(dir_.path() + "NEW.DBF"), 0u);
  }
}

TEST_F(DbfTableTest, FLock) {
  AddTable("LOCKSPL.DBF", LockTable());
  TDbfTable table;
  ConfigureLockTable(table);
  EXPECT_EQ(table.FLock(), 0);
  EXPECT_THAT(recorder_.Calls(), IsEmpty());
  table.Open();
  recorder_.ClearCalls();
  EXPECT_EQ(table.FLock(), -1);
  EXPECT_EQ(table.FLock(), -1);
  EXPECT_THAT(recorder_.Calls(),
              ElementsAre("xb_Select(1)", "xb_Flock()", "xb_Select(1)", "xb_Flock()"));
  fake_.flock_result = 0;
  EXPECT_EQ(table.FLock(), 0);
}

TEST_F(DbfTableTest, PropertiesThatCannotChangeOnAnOpenTable) {
  AddTable("LOCKSPL.DBF", LockTable());
  TDbfTable table;
  ConfigureLockTable(table);
  table.Open();
  auto expect_refused = [&](auto change, const std::string& message) {
    try {
      change();
      ADD_FAILURE() << "changed";
    } catch (const EDbfError& error) {
      EXPECT_EQ(error.what(), message);
    }
  };
  const std::string open_table = "Cannot perform this operation on an open table";
  expect_refused([&] { table.SetReadOnly(false); }, open_table);
  expect_refused([&] { table.SetExclusive(true); }, open_table);
  expect_refused([&] { table.SetTableName("OTHER.DBF"); }, open_table);
  expect_refused([&] { table.SetAccessMethod(amServer); },
                 "Cannot change data access method while table is open");
  expect_refused([&] { table.SetCommitLevel(clFull); },
                 "Cannot change the commit level while the table is opened");
  EXPECT_TRUE(table.ReadOnly());
  EXPECT_FALSE(table.Exclusive());
  EXPECT_EQ(table.TableName(), "LOCKSPL");
  EXPECT_EQ(table.CommitLevel(), clNormal);
  table.SetReadOnly(true);  // the same value is no change
  EXPECT_TRUE(table.Active());

  table.Close();
  table.SetReadOnly(false);
  EXPECT_FALSE(table.ReadOnly());
}

TEST_F(DbfTableTest, DatabaseNameChangedOnAnOpenTable) {
  AddTable("LOCKSPL.DBF", LockTable());
  ScopedTempDir with_table, without_table;
  WriteWholeFile(with_table.path() + "LOCKSPL.DBF", "");
  TDbfTable table;
  ConfigureLockTable(table);
  table.Open();
  int16_t area = table.WorkArea();

  table.SetDatabaseName(with_table.path());
  EXPECT_TRUE(table.Active());
  EXPECT_EQ(table.WorkArea(), area);  // still the file in the old directory
  EXPECT_EQ(fake_.areas.at(area).path, dir_.path() + "LOCKSPL");
  EXPECT_EQ(table.FieldDefs().size(), 1u);

  table.SetDatabaseName(without_table.path());
  EXPECT_FALSE(table.Active());
  EXPECT_EQ(table.WorkArea(), 0);
  EXPECT_TRUE(fake_.areas.empty());
}

TEST_F(DbfTableTest, DefaultsAndSequenced) {
  TDbfTable table;
  EXPECT_EQ(table.TableType(), ttXBFOX);
  EXPECT_EQ(table.CommitLevel(), clNormal);
  EXPECT_EQ(table.AccessMethod(), amLocal);
  EXPECT_FALSE(table.ReadOnly());
  EXPECT_FALSE(table.Exclusive());
  EXPECT_FALSE(table.OEMTranslate());
  EXPECT_FALSE(table.TurboRead());
  EXPECT_TRUE(table.Sequenced());
  table.SetTableType(ttXBNTX);
  EXPECT_FALSE(table.Sequenced());
  EXPECT_EQ(table.WorkArea(), 0);
  EXPECT_EQ(table.ErrorMsg(), "");
}

}  // namespace
}  // namespace cratemark
