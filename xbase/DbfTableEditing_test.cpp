// Editing, posting, cancelling and deleting, over the in-memory engine.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/error.h"
#include "xbase/field_conversion.h"
#include "xbase/testing/editing_fixture.h"

namespace cratemark {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class DbfTableEditingTest : public DbfEditingFixture {};

TEST_F(DbfTableEditingTest, ConsoleEditCallsTheEngineInThisOrder) {
  OpenDefinitions();
  recorder_.ClearCalls();
  table_.Edit();
  EXPECT_THAT(recorder_.Calls(), ElementsAre("xb_Select(1)", "xb_Rlock(1)", "xb_Alias(1)",
                                             "xb_Go(1)", "xb_GetRecord(<buffer>)"));
  recorder_.ClearCalls();
  table_.SetFields({TDbfValue::Text("5"), TDbfValue::Text("T")});
  EXPECT_THAT(recorder_.Calls(), IsEmpty());
  table_.Post();
  EXPECT_THAT(recorder_.Calls(),
              ElementsAre("xb_Select(1)", "xb_Select(1)", "xb_Deleted()", "xb_PutRecord(<buffer>)",
                          "xb_Commit()", "xb_Unlock(0)", "xb_Eof()", "xb_RecNo()", "xb_Select(1)",
                          "xb_Go(1)", "xb_Select(1)", "xb_RecNo()", "xb_Bof()", "xb_Eof()",
                          "xb_RecNo()", "xb_GetRecord(<buffer>)"));
  EXPECT_EQ(Stored(), " 5   T   7  12  123.45T20240229");
  EXPECT_EQ(table_.State(), TDataSetState::dsBrowse);
  EXPECT_THAT(fake_.locks, IsEmpty());
}

TEST_F(DbfTableEditingTest, AssignmentsByFieldKind) {
  const struct {
    const char* field;
    TDbfValue value;
    std::string stored;  // the field's characters after Post
  } cases[] = {
      {"NAME", TDbfValue::Boolean(true), "T   "},
      {"NAME", TDbfValue::Integer(-5), "-5  "},
      {"CODE", TDbfValue::Integer(120), "12"},  // cut to the size, no error
      {"NAME", TDbfValue::Text("Zürich"), "Z\xFCri"},
      {"QTY", TDbfValue::Integer(-99), "-99"},
      {"SMALL", TDbfValue::Integer(-32), " -32"},
      {"PRICE", TDbfValue::Integer(7), "    7.00"},
      {"PRICE", TDbfValue::Float(-1.5), "   -1.50"},
      {"OK", TDbfValue::Boolean(false), "F"},
      {"DAY", TDbfValue::Date(DayNumber(24, 3, 1)), "20240301"},  // two-digit year, epoch 1980
      {"DAY", TDbfValue::Null(), "        "},
      {"QTY", TDbfValue::Null(), "   "},
  };
  OpenDefinitions();
  for (const auto& c : cases) {
    table_.Edit();
    table_.FieldByName(c.field).SetValue(c.value);
    table_.Post();
    const TFieldInfo& info =
        table_.LFieldOffsets()[static_cast<size_t>(table_.FieldByName(c.field).InfoIndex())];
    EXPECT_EQ(
        Stored().substr(static_cast<size_t>(info.EngineOffset), static_cast<size_t>(info.Width)),
        c.stored)
        << c.field;
  }
}

TEST_F(DbfTableEditingTest, UntouchedFieldsKeepTheirCharactersWhateverTheDecimalSeparator) {
  const std::string record =
      std::string(" ") + "AB  " + "X " + "  7" + "    " + "   12.50" + "Y" + "        ";
  for (char separator : {'.', ','}) {
    TDbfTable table("tblTolvanLBLDef");
    RegionalSettings settings;
    settings.decimal_separator = separator;
    settings.thousands_separator = separator == '.' ? ',' : '.';
    table.SetFormatSettings(settings);
    AddTable(table, "LBLPRDEF.DBF", Definitions({record, " ABCD    1   1  123.45F20240229"}));
    table.Open();
    table.Next();
    table.Edit();
    table.FieldByName("QTY").SetAsInteger(2);
    table.Post();
    EXPECT_EQ(Stored(1), " ABCD    2   1  123.45F20240229") << separator;
    table.Prior();
    table.Edit();
    table.FieldByName("CODE").SetAsString("Q");
    table.Post();
    // Only CODE is written: "Y" stays "Y", blanks stay blanks.
    EXPECT_EQ(Stored(0),
              std::string(" ") + "AB  " + "Q " + "  7" + "    " + "   12.50" + "Y" + "        ")
        << separator;
  }
}

TEST_F(DbfTableEditingTest, PostKeepsTheDeleteMarker) {
  OpenDefinitions({"*" + kRecord.substr(1)});
  table_.Edit();
  table_.FieldByName("QTY").SetAsInteger(9);
  table_.Post();
  EXPECT_EQ(Stored(), "*ABCDXY  9  12  123.45T20240229");
}

TEST_F(DbfTableEditingTest, EditReReadsTheRecordUnderTheLock) {
  OpenDefinitions();
  Records("LBLPRDEF.DBF")[0] = " WXYZXY  7  12  123.45T20240229";  // another program wrote it
  EXPECT_EQ(table_.FieldByName("NAME").AsString(), "ABCD");
  table_.Edit();
  EXPECT_EQ(table_.FieldByName("NAME").AsString(), "WXYZ");
  table_.Post();
  EXPECT_EQ(Stored(), " WXYZXY  7  12  123.45T20240229");
}

TEST_F(DbfTableEditingTest, CancelWritesNothingAndReleasesTheLocks) {
  OpenDefinitions();
  table_.Edit();
  table_.FieldByName("NAME").SetAsString("WXYZ");
  EXPECT_THAT(fake_.locks, ElementsAre(1));
  table_.Cancel();
  EXPECT_EQ(table_.State(), TDataSetState::dsBrowse);
  EXPECT_THAT(fake_.locks, IsEmpty());
  EXPECT_EQ(table_.FieldByName("NAME").AsString(), "ABCD");
  EXPECT_EQ(Stored(), kRecord);
  EXPECT_EQ(fake_.commits, 0);

  recorder_.ClearCalls();
  table_.Cancel();  // browsing: still releases the table's locks
  EXPECT_THAT(recorder_.Calls(), ElementsAre("xb_Select(1)", "xb_Unlock(0)"));
}

TEST_F(DbfTableEditingTest, EditOnAnEmptyTableInsertsAndPostAppends) {
  OpenDefinitions({});
  table_.Edit();
  EXPECT_EQ(table_.State(), TDataSetState::dsInsert);
  table_.SetFields({TDbfValue::Text("AB"), TDbfValue::Null(), TDbfValue::Integer(3)});
  table_.Post();
  ASSERT_EQ(Records("LBLPRDEF.DBF").size(), 1u);
  EXPECT_EQ(Stored(), " AB      3" + std::string(21, ' '));
  EXPECT_FALSE(table_.Eof());
  EXPECT_EQ(table_.RecNo(), 1);
  EXPECT_EQ(table_.RecordCount(), 1);
  EXPECT_THAT(fake_.locks, IsEmpty());
}

TEST_F(DbfTableEditingTest, CancelledInsertReturnsToThePreviousRecord) {
  OpenDefinitions({kRecord, " WXYZ    1   1    1.00F        "});
  table_.Next();
  table_.Insert();
  table_.FieldByName("NAME").SetAsString("NEW");
  table_.Cancel();
  EXPECT_EQ(table_.RecNo(), 2);
  EXPECT_EQ(table_.FieldByName("NAME").AsString(), "WXYZ");
  EXPECT_EQ(Records("LBLPRDEF.DBF").size(), 2u);
}

TEST_F(DbfTableEditingTest, MovingPostsAnAssignedEditAndCancelsAnUntouchedOne) {
  OpenDefinitions({kRecord, " WXYZ    1   1    1.00F        "});
  table_.Edit();
  table_.FieldByName("QTY").SetAsInteger(5);
  table_.Next();
  EXPECT_EQ(Stored(0).substr(7, 3), "  5");
  table_.Edit();
  table_.Prior();
  EXPECT_EQ(fake_.commits, 1);
  EXPECT_THAT(fake_.locks, IsEmpty());
}

TEST_F(DbfTableEditingTest, DeleteMarksTheCurrentRecord) {
  OpenDefinitions({kRecord, " WXYZ    1   1    1.00F        "});
  table_.Next();
  table_.Delete();
  EXPECT_EQ(Stored(1)[0], '*');
  EXPECT_EQ(Stored(0)[0], ' ');
  EXPECT_TRUE(table_.Deleted());
}

TEST_F(DbfTableEditingTest, DeleteStandsOnTheFollowerWhenDeletedRecordsAreHidden) {
  const struct {
    const char* hidden_by;  // "" for a table that shows deleted records
    int32_t current;
    std::vector<std::string> moves;  // xb_Go, xb_Skip, xb_GoBottom and xb_Delete in order
    int32_t current_after;
  } cases[] = {
      {"", 2, {"xb_Go(2)", "xb_Delete()", "xb_Go(2)"}, 2},
      {"condition",
       2,
       {"xb_Go(2)", "xb_Skip(1)", "xb_Go(2)", "xb_Delete()", "xb_Go(3)", "xb_Go(3)"},
       3},
      {"SysProp(1006)",
       3,
       {"xb_Go(3)", "xb_Skip(1)", "xb_Go(3)", "xb_Delete()", "xb_GoBottom()", "xb_Go(3)"},
       3},
  };
  for (const auto& c : cases) {
    TDbfTable table("tblTolvanLBLDef");
    AddTable(table, "LBLPRDEF.DBF", Definitions({kRecord, kRecord, kRecord}));
    fake_.index_condition = std::string(c.hidden_by) == "condition" ? "!deleted()" : "";
    fake_.sys_props[1006] = std::string(c.hidden_by) == "SysProp(1006)" ? 1 : 0;
    table.Open();
    table.Go(c.current);
    recorder_.ClearCalls();
    table.Delete();
    std::vector<std::string> moves;
    for (const std::string& call : recorder_.Calls()) {
      for (const char* name : {"xb_Go(", "xb_Skip(", "xb_GoBottom(", "xb_Delete("}) {
        if (call.rfind(name, 0) == 0) moves.push_back(call);
      }
    }
    EXPECT_EQ(moves, c.moves) << c.hidden_by;
    EXPECT_EQ(table.RecNo(), c.current_after) << c.hidden_by;
    EXPECT_EQ(Stored(static_cast<size_t>(c.current - 1))[0], '*') << c.hidden_by;
  }
}

TEST_F(DbfTableEditingTest, ChangedMemosAreWrittenAfterTheRecordAndShortBlobsFail) {
  FakeTable notes;
  notes.fields = {{"NAME", "C", 4, 0}, {"NOTE", "M", 10, 0}, {"PIC", "B", 10, 0}};
  notes.records = {" ABCD         1          "};
  AddTable(table_, "NOTES.DBF", notes);
  table_.Open();
  table_.Edit();
  table_.FieldByName("NOTE").SetAsString("kitchen");
  recorder_.ClearCalls();
  table_.Post();
  EXPECT_THAT(recorder_.CallsStartingWith("xb_"),
              ::testing::IsSupersetOf(
                  {"xb_PutRecord(<buffer>)", "xb_Replace(\"NOTE\", 3072, \"kitchen\")"}));
  EXPECT_THAT(recorder_.CallsStartingWith("xb_Put"), ElementsAre("xb_PutRecord(<buffer>)"));
  EXPECT_EQ(Records("NOTES.DBF")[0], notes.records[0]) << "the block reference is kept";

  table_.Edit();
  table_.FieldByName("PIC").SetAsString("\x01\x02");
  fake_.failing = {"xb_PutBlob"};
  EXPECT_EQ(MessageOf<EDbfError>([&] { table_.Post(); }), "Blob Write Error");
  EXPECT_EQ(table_.State(), TDataSetState::dsEdit);
  EXPECT_THAT(fake_.locks, ElementsAre(1));
}

TEST_F(DbfTableEditingTest, EncryptedTableReadsMaskedAndRefusesEveryChange) {
  fake_.encrypted = true;
  OpenDefinitions();
  const std::string refusal = "The table " + table_.GetFullTableName() +
                              " is marked encrypted: it can be read but not changed.";
  EXPECT_EQ(MessageOf<EDbfError>([&] { table_.Edit(); }), refusal);
  EXPECT_EQ(MessageOf<EDbfError>([&] { table_.Append(); }), refusal);
  EXPECT_EQ(MessageOf<EDbfError>([&] { table_.Delete(); }), refusal);
  EXPECT_EQ(table_.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(Stored(), kRecord);
  EXPECT_THAT(fake_.locks, IsEmpty());
  EXPECT_EQ(table_.FieldByName("NAME").AsString(), "****");
  EXPECT_EQ(table_.FieldByName("CODE").AsString(), "**");
  EXPECT_EQ(table_.FieldByName("QTY").Value(), TDbfValue::Integer(0));
  EXPECT_EQ(table_.FieldByName("PRICE").Value(), TDbfValue::Float(0));
  EXPECT_EQ(table_.FieldByName("OK").Value(), TDbfValue::Boolean(false));
  EXPECT_EQ(table_.FieldByName("DAY").Value(), TDbfValue::Date(0));
  table_.Close();
  table_.SetPassword("secret");
  table_.Open();
  EXPECT_EQ(table_.FieldByName("NAME").AsString(), "ABCD");
  EXPECT_EQ(table_.FieldByName("QTY").AsInteger(), 7);
}

TEST_F(DbfTableEditingTest, CancelledInsertIntoAnEmptyTableWritesNothing) {
  OpenDefinitions({});
  table_.Append();
  table_.FieldByName("NAME").SetAsString("NEW");
  table_.Cancel();
  EXPECT_EQ(table_.State(), TDataSetState::dsBrowse);
  EXPECT_TRUE(table_.Eof());
  EXPECT_TRUE(table_.FieldByName("NAME").IsNull());
  EXPECT_THAT(Records("LBLPRDEF.DBF"), IsEmpty());
}

}  // namespace
}  // namespace cratemark
