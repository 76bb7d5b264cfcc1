// Editing on the real engine library, with dbftool as the other program
// holding record locks on the same file.
#include <gtest/gtest.h>

#include <string>

#include "platform/file_system.h"
#include "platform/scoped_temp_dir.h"
#include "xbase/DbfTable.h"
#include "xbase/XbEngine.h"
#include "xbase/field_conversion.h"
#include "xbase/testing/dbftool_holder.h"

namespace cratemark {
namespace {

class DbfTableEditingEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!EnsureEngineLoaded()) GTEST_SKIP() << kXbEngineFileName << " not found beside the test";
    path_ = dir_.path() + "LBLPRDEF.DBF";
    TDbfTable creator("creator");
    creator.SetTableName(path_);
    creator.SetTableType(ttXBNTX);
    creator.FieldDefs() = {{"NAME", TFieldKind::kText, 6},
                           {"QTY", TFieldKind::kSmallInt, 0},
                           {"OK", TFieldKind::kBoolean, 0}};
    creator.CreateTable();
    // Two records, appended through the component.
    TDbfTable table("tblTolvanLBLDef");
    Configure(table);
    table.Open();
    for (const char* name : {"FIRST", "SECOND"}) {
      table.Append();
      table.SetFields({TDbfValue::Text(name), TDbfValue::Integer(1), TDbfValue::Boolean(true)});
      table.Post();
    }
    ASSERT_EQ(table.RecordCount(), 2);
  }

  void Configure(TDbfTable& table) {
    table.SetTableType(ttXBNTX);
    table.SetDatabaseName(dir_.path());
    table.SetTableName("LBLPRDEF.DBF");
  }

  // Whether another process can take the lock of `record` right now.
  std::string OtherProcessLocks(int record) {
    std::string stop = dir_.path() + "stop-now";
    WriteWholeFile(stop, "");
    Holder probe(path_, "--record " + std::to_string(record), stop);
    return probe.first_line();
  }

  ScopedTempDir dir_;
  std::string path_;
};

TEST_F(DbfTableEditingEngineTest, EditOfARecordLockedElsewhereFailsAndStaysBrowsing) {
  TDbfTable table("tblTolvanLBLDef");
  Configure(table);
  table.Open();
  {
    Holder other(path_, "--record 1", dir_.path() + "stop");
    ASSERT_EQ(other.first_line(), "locked");
    try {
      table.Edit();
      FAIL() << "edited";
    } catch (const EDbfError& error) {
      EXPECT_STREQ(error.what(), "Record Lock Failure. May be locked by another user or task.");
    }
    EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
    table.Next();  // another record is free
    table.Edit();
    table.Cancel();
  }
  table.First();
  table.Edit();  // released by the other program
  EXPECT_EQ(table.State(), TDataSetState::dsEdit);
}

TEST_F(DbfTableEditingEngineTest, CancelAndPostReleaseTheRecordLock) {
  TDbfTable table("tblTolvanLBLDef");
  Configure(table);
  table.Open();
  table.Edit();
  EXPECT_EQ(OtherProcessLocks(1), "not locked");
  table.Cancel();
  EXPECT_EQ(OtherProcessLocks(1), "locked");

  table.Edit();
  table.SetFields({TDbfValue::Text("EDITED"), TDbfValue::Integer(-42)});
  EXPECT_EQ(OtherProcessLocks(1), "not locked");
  table.Post();
  EXPECT_EQ(OtherProcessLocks(1), "locked");
  table.Close();

  TDbfTable reader("reader");
  Configure(reader);
  reader.SetReadOnly(true);
  reader.Open();
  EXPECT_EQ(reader.FieldByName("NAME").AsString(), "EDITED");
  EXPECT_EQ(reader.FieldByName("QTY").AsInteger(), -42);
  EXPECT_TRUE(reader.FieldByName("OK").AsBoolean());
  reader.Next();
  EXPECT_EQ(reader.FieldByName("NAME").AsString(), "SECOND");
}

TEST_F(DbfTableEditingEngineTest, FailedPostLeavesTheFileAsItWas) {
  std::string before = ReadWholeFile(path_);
  TDbfTable table("tblTolvanLBLDef");
  Configure(table);
  table.Open();
  table.Edit();
  table.FieldByName("NAME").SetAsString("CHANGE");
  table.FieldByName("QTY").SetAsInteger(1234567);  // N(6,0) holds six characters
  EXPECT_THROW(table.Post(), EDbfError);
  EXPECT_EQ(table.State(), TDataSetState::dsEdit);
  table.Cancel();
  table.Close();  // Windows: whole-file reading shares the file with no writer
  EXPECT_EQ(ReadWholeFile(path_), before);
}

}  // namespace
}  // namespace cratemark
