// The table component on the real engine library, with a second process
// (dbftool) playing the host's spooler where locks must cross processes.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/scoped_temp_dir.h"
#include "xbase/DbfTable.h"
#include "xbase/XbEngine.h"
#include "xbase/testing/dbftool_holder.h"

namespace cratemark {
namespace {

class DbfTableEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!EnsureEngineLoaded()) GTEST_SKIP() << kXbEngineFileName << " not found beside the test";
  }

  // A lock table object as the service configures it.
  void ConfigureLockTable(TDbfTable& table, const std::string& directory) {
    table.SetTableName("LOCKSPL.DBF");
    table.SetTableType(ttXBNTX);
    table.SetReadOnly(true);
    table.SetDatabaseName(directory);
    table.AddField("DUMMY", TFieldKind::kText, 10);
  }

  void CreateLockTable(const std::string& directory) {
    TDbfTable table("tblLockSPL");
    ConfigureLockTable(table, directory);
    table.CreateTable();
  }

  // A new table at `path` with one text field.
  static void CreateTextTable(const std::string& path, const std::string& field, int size) {
    TDbfTable table;
    table.SetTableName(path);
    table.AddField(field, TFieldKind::kText, size);
    table.CreateTable();
  }

  std::string AliasOf(const TDbfTable& table) {
    return XbEngineBinding().Engine().xb_Alias(table.WorkArea());
  }

  ScopedTempDir dir_;
};

TEST_F(DbfTableEngineTest, CreatesOpensAndLocksTheLockTable) {
  CreateLockTable(dir_.path());
  TDbfTable table("tblLockSPL");
  ConfigureLockTable(table, dir_.path());
  EXPECT_TRUE(table.Exists());
  table.Open();
  ASSERT_TRUE(table.Active());
  EXPECT_EQ(AliasOf(table), "LOCKSPL");
  ASSERT_EQ(table.LFieldOffsets().size(), 1u);
  const TFieldInfo& dummy = table.LFieldOffsets()[0];
  EXPECT_EQ(dummy.Name, "DUMMY");
  EXPECT_EQ(dummy.Type, "C");
  EXPECT_EQ(dummy.Width, 10);
  EXPECT_TRUE(table.Eof());  // no records
  EXPECT_EQ(table.FLock(), -1);
  EXPECT_EQ(table.FLock(), -1);
  table.Close();
  EXPECT_EQ(table.WorkArea(), 0);
}

// The engine's refusal of a field is a failure, not a table: nothing is left
// on disk that the next open would take for one.
TEST_F(DbfTableEngineTest, CreateTableThatTheEngineRefusesLeavesNoFile) {
  const struct {
    const char* name;
    int size;
    const char* refused;
  } cases[] = {
      {"ELEVENCHARS", 10, "ELEVENCHARS (type C, width 10, decimals 0)"},
      {"WIDE", 300, "WIDE (type C, width 300, decimals 0)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TDbfTable table("tblLockSPL");
    table.SetDatabaseName(dir_.path());
    table.SetTableName("LOCKSPL.DBF");
    table.AddField(c.name, TFieldKind::kText, c.size);
    const std::string message = "Unable to create table.\rThe engine refused the field " +
                                std::string(c.refused) + ".\rFile: " + dir_.path() + "LOCKSPL.DBF";
    try {
      table.CreateTable();
      ADD_FAILURE() << "created";
    } catch (const EDbfError& error) {
      EXPECT_EQ(error.what(), message);
    }
    EXPECT_FALSE(FileExists(dir_.path() + "LOCKSPL.DBF"));
    EXPECT_EQ(table.WorkArea(), 0);
  }
}

// A host that crashed while appending leaves a count beyond the file's end.
// The console still lists the printers that are there, and a later append
// goes after them.
TEST_F(DbfTableEngineTest, TableCountingMoreRecordsThanItHoldsOpens) {
  const std::string path = dir_.path() + "TOLVANSPOOL.DBF";
  CreateTextTable(path, "SUBDIR", 10);
  {
    TDbfTable table;
    table.SetTableName(path);
    table.Open();
    for (const char* name : {"PreLabel", "Label1"}) {
      table.Append();
      table.FieldByName("SUBDIR").SetAsString(name);
      table.Post();
    }
    table.Close();
  }
  std::string bytes = ReadWholeFile(path);
  bytes[4] = 3;        // the count went up,
  bytes.back() = ' ';  // the third record never arrived
  WriteWholeFile(path, bytes);

  auto walk = [&] {
    TDbfTable table("tblTolvanSpool");
    table.SetTableName(path);
    table.SetReadOnly(true);
    table.Open();
    std::vector<std::string> names;
    for (; !table.Eof(); table.Next()) names.push_back(table.FieldByName("SubDir").AsString());
    return names;
  };
  EXPECT_EQ(walk(), (std::vector<std::string>{"PreLabel", "Label1"}));

  TDbfTable table;
  table.SetTableName(path);
  table.Open();
  EXPECT_EQ(table.RecordCount(), 2);
  table.Append();
  table.FieldByName("SUBDIR").SetAsString("Label2");
  table.Post();
  table.Close();
  EXPECT_EQ(walk(), (std::vector<std::string>{"PreLabel", "Label1", "Label2"}));
}

// A sparse file stands for a table of nearly 1,000,000,000 bytes.
TEST_F(DbfTableEngineTest, AppendThatWouldReachTheLockRegionFailsClearly) {
  const std::string path = dir_.path() + "FULL.DBF";
  CreateTextTable(path, "NAME", 4);
  const std::uint32_t count = (1'000'000'000 - 65) / 5;  // header 65, records 5
  std::filesystem::resize_file(path, 65 + std::uint64_t{count} * 5 + 1);
  {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    const char bytes[4] = {static_cast<char>(count & 0xFF), static_cast<char>((count >> 8) & 0xFF),
                           static_cast<char>((count >> 16) & 0xFF),
                           static_cast<char>((count >> 24) & 0xFF)};
    file.seekp(4);
    file.write(bytes, 4);
  }
  const auto size = std::filesystem::file_size(path);
  TDbfTable table;
  table.SetTableName(path);
  table.Open();
  table.Append();
  table.FieldByName("NAME").SetAsString("X");
  try {
    table.Post();
    ADD_FAILURE() << "appended";
  } catch (const EDbfError& error) {
    EXPECT_EQ(error.what(), "Unable to append a record to table: " + path +
                                "\rThe table has reached its largest size (1,000,000,000 bytes).");
  }
  table.Cancel();
  table.Close();
  EXPECT_EQ(std::filesystem::file_size(path), size);
}

// xb_FieldOffset answers a 1-based position (the delete marker is position
// 1), so the component's 0-based EngineOffset of the first field is 1.
TEST_F(DbfTableEngineTest, FirstFieldStartsAfterTheDeleteMarker) {
  CreateLockTable(dir_.path());
  TDbfTable table("tblLockSPL");
  ConfigureLockTable(table, dir_.path());
  table.Open();
  ASSERT_EQ(table.LFieldOffsets().size(), 1u);
  EXPECT_EQ(table.LFieldOffsets()[0].EngineOffset, 1);
}

TEST_F(DbfTableEngineTest, DiscoversFieldKinds) {
  TXbEngine& engine = XbEngineBinding().Engine();
  std::string path = dir_.path() + "KINDS.DBF";
  ASSERT_GT(engine.xb_CreateNew(path.c_str(), "KINDS", ttXBNTX, 7), 0);
  engine.xb_CreateField("NAME", "C", 10, 0);
  engine.xb_CreateField("QTY", "N", 5, 0);
  engine.xb_CreateField("SMALL", "N", 3, 0);
  engine.xb_CreateField("PRICE", "N", 8, 2);
  engine.xb_CreateField("OK", "L", 1, 0);
  engine.xb_CreateField("DAY", "D", 8, 0);
  engine.xb_CreateField("NOTE", "M", 10, 0);
  engine.xb_CreateExec();
  engine.xb_Close();

  TDbfTable table;
  table.SetTableName(path);
  table.SetTableType(ttXBNTX);
  table.Open();
  std::vector<TFieldKind> kinds;
  for (const TDbfFieldDef& def : table.FieldDefs()) kinds.push_back(def.Kind);
  EXPECT_EQ(kinds,
            (std::vector<TFieldKind>{TFieldKind::kText, TFieldKind::kFloat, TFieldKind::kSmallInt,
                                     TFieldKind::kFloat, TFieldKind::kBoolean, TFieldKind::kDate,
                                     TFieldKind::kMemo}));
  EXPECT_EQ(table.FieldDefs()[0].Size, 10);
}

// A text field 40,000 bytes wide, past what the engine's width answer
// holds: the table opens and walks, with the field carried, never read.
TEST_F(DbfTableEngineTest, TextFieldWiderThanTheEngineAnswersIsCarried) {
  std::string header(32, '\0');
  header[0] = 0x03;
  header[8] = 65;                        // header length: one descriptor and its terminator
  header[10] = static_cast<char>(0x41);  // record length 40001
  header[11] = static_cast<char>(0x9C);
  std::string field(32, '\0');
  field.replace(0, 4, "NAME");
  field[11] = 'C';
  field[16] = static_cast<char>(0x40);  // width 40000, in two bytes
  field[17] = static_cast<char>(0x9C);
  const std::string path = dir_.path() + "WIDE.DBF";
  WriteWholeFile(path, header + field + "\r");

  TDbfTable table;
  table.SetTableName(path);
  table.SetReadOnly(true);
  table.Open();
  EXPECT_TRUE(table.FieldDefs().empty());
  EXPECT_TRUE(table.Eof());
  table.Close();
}

TEST_F(DbfTableEngineTest, AliasesAndTwoOwnersOfOneFile) {
  CreateLockTable(dir_.path());
  TDbfTable first("tblLockSPL"), second("tblLockSPLCheck");
  ConfigureLockTable(first, dir_.path());
  ConfigureLockTable(second, dir_.path());
  first.Open();
  second.Open();
  EXPECT_EQ(AliasOf(first), "LOCKSPL");
  EXPECT_EQ(AliasOf(second), "LOCKSPL1");

  EXPECT_EQ(first.FLock(), -1);
  EXPECT_EQ(second.FLock(), 0);  // the first holds it
  first.Close();
  EXPECT_EQ(second.FLock(), -1);  // closing released it
  first.Open();
  EXPECT_EQ(AliasOf(first), "LOCKSPL");
  EXPECT_EQ(first.FLock(), 0);
}

TEST_F(DbfTableEngineTest, LockHeldByAnotherProcess) {
  CreateLockTable(dir_.path());
  TDbfTable table("tblLockSPLCheck");
  ConfigureLockTable(table, dir_.path());
  {
    Holder spooler(dir_.path() + "LOCKSPL.DBF", "", dir_.path() + "stop");
    ASSERT_EQ(spooler.first_line(), "locked");
    table.Open();
    EXPECT_EQ(table.FLock(), 0);
    spooler.Release();
  }
  EXPECT_EQ(table.FLock(), -1);
}

// A name two fields share gets no answer from the engine, so no field object;
// asking for it says why instead of "not found".
TEST_F(DbfTableEngineTest, FieldNameTwoFieldsShareIsAmbiguous) {
  TXbEngine& engine = XbEngineBinding().Engine();
  const std::string path = dir_.path() + "TWICE.DBF";
  ASSERT_GT(engine.xb_CreateNew(path.c_str(), "TWICE", ttXBNTX, 2), 0);
  engine.xb_CreateField("POINT_ID", "C", 7, 0);
  engine.xb_CreateField("POINT_IE", "N", 4, 0);
  engine.xb_CreateExec();
  engine.xb_Close();
  std::string bytes = ReadWholeFile(path);
  bytes[64 + 7] = 'D';  // the second descriptor's name becomes the first's
  WriteWholeFile(path, bytes);

  TDbfTable table("tblTwice");
  table.SetTableName(path);
  table.SetTableType(ttXBNTX);
  table.Open();
  EXPECT_EQ(table.LFieldOffsets().size(), 2u);
  try {
    table.FieldByName("Point_ID");
    FAIL() << "answered";
  } catch (const EDatabaseError& error) {
    EXPECT_STREQ(error.what(),
                 "tblTwice: Field 'Point_ID' is ambiguous: fields 1 and 2 of the table share "
                 "that name");
  }
}

TEST_F(DbfTableEngineTest, FileHeldExclusivelyByAnotherProcess) {
  CreateLockTable(dir_.path());
  Holder owner(dir_.path() + "LOCKSPL.DBF", "--exclusive", dir_.path() + "stop");
  ASSERT_EQ(owner.first_line(), "locked");
  TDbfTable table("tblLockSPL");
  ConfigureLockTable(table, dir_.path());
  try {
    table.Open();
    FAIL() << "opened";
  } catch (const EDbfError& error) {
    // Then the engine's reason, in the platform's words.
    EXPECT_EQ(std::string(error.what())
                  .rfind("Unable to open table: " + dir_.path() +
                             "LOCKSPL.DBF\rCannot open file \"" + dir_.path() + "LOCKSPL.DBF\". ",
                         0),
              0u)
        << error.what();
  }
  EXPECT_EQ(table.WorkArea(), 0);
  EXPECT_EQ(table.FLock(), 0);
}

}  // namespace
}  // namespace cratemark
