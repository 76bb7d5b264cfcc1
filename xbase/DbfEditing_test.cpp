// Editing, posting, cancelling and deleting, over the in-memory engine.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/error.h"
#include "xbase/FieldConversion.h"
#include "xbase/fake_table_fixture.h"

namespace cratemark {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// C(4) NAME, C(2) CODE, N(3,0) QTY, N(4,0) SMALL, N(8,2) PRICE, L OK, D DAY
FakeTable Definitions(std::vector<std::string> records) {
  FakeTable table;
  table.fields = {{"NAME", "C", 4, 0},  {"CODE", "C", 2, 0},  {"QTY", "N", 3, 0},
                  {"SMALL", "N", 4, 0}, {"PRICE", "N", 8, 2}, {"OK", "L", 1, 0},
                  {"DAY", "D", 8, 0}};
  table.records = std::move(records);
  return table;
}
const std::string kRecord = " ABCDXY  7  12  123.45T20240229";

class DbfEditingTest : public FakeTableFixture {
 protected:
  void OpenDefinitions(std::vector<std::string> records = {kRecord}) {
    AddTable(table_, "LBLPRDEF.DBF", Definitions(std::move(records)));
    table_.Open();
  }
  std::string Stored(size_t index = 0) { return Records("LBLPRDEF.DBF").at(index); }

  TDbfTable table_{"tblTolvanLBLDef"};
};

TEST_F(DbfEditingTest, ConsoleEditCallsTheEngineInThisOrder) {
  OpenDefinitions();
  recorder_.ClearCalls();
  table_.Edit();
  EXPECT_THAT(recorder_.Calls(), ElementsAre("xb_Select(1)", "xb_Rlock(1)", "xb_Alias(1)",
                                             "xb_Go(1)", "xb_GetRecord(<buffer>)"));
  recorder_.ClearCalls();
  table_.SetFields({TDbfValue::Integer(5), TDbfValue::Boolean(true)});
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

TEST_F(DbfEditingTest, AssignmentsByFieldKind) {
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

template <typename Error>
std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& error) {
    return error.what();
  }
  return "(no error)";
}

TEST_F(DbfEditingTest, AssignmentErrors) {
  OpenDefinitions();
  table_.Edit();
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { table_.FieldByName("SMALL").SetAsInteger(40000); }),
            "40000 is not a valid value for field 'SMALL'. The allowed range is -32768 to 32767");
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { table_.FieldByName("OK").SetAsInteger(1); }),
            "Cannot access field 'OK' as type Integer");
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { table_.FieldByName("QTY").SetAsBoolean(true); }),
            "Cannot access field 'QTY' as type Boolean");
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { table_.FieldByName("DAY").SetAsBoolean(true); }),
            "Cannot access field 'DAY' as type Boolean");
  table_.Cancel();
  EXPECT_EQ(MessageOf<EDbfError>([&] { table_.FieldByName("QTY").SetAsInteger(1); }),
            "Data set must be in Edit or Insert mode to update");
  EXPECT_EQ(table_.ErrorMsg(), "Data set must be in Edit or Insert mode to update");
  EXPECT_EQ(Stored(), kRecord);
}

TEST_F(DbfEditingTest, ValuesTooWideAreRefusedAtPostLeavingTheTableEditing) {
  const struct {
    const char* field;
    TDbfValue value;
  } cases[] = {
      {"QTY", TDbfValue::Integer(1234)},
      {"QTY", TDbfValue::Integer(-100)},
      {"PRICE", TDbfValue::Float(123456.78)},  // would run into the next field
      {"PRICE", TDbfValue::Float(-12345.5)},
  };
  for (const auto& c : cases) {
    TDbfTable table("tblTolvanLBLDef");
    AddTable(table, "LBLPRDEF.DBF", Definitions({kRecord}));
    table.Open();
    table.Edit();
    table.FieldByName("NAME").SetAsString("WXYZ");
    table.FieldByName(c.field).SetValue(c.value);
    EXPECT_EQ(MessageOf<EDbfError>([&] { table.Post(); }), "Translate error. Value out of bounds")
        << c.field;
    EXPECT_EQ(table.State(), TDataSetState::dsEdit);
    EXPECT_EQ(Stored(), kRecord) << "nothing stored";
    EXPECT_THAT(fake_.locks, ElementsAre(1)) << "the record lock is still held";
    table.Cancel();
    EXPECT_THAT(fake_.locks, IsEmpty());
  }
}

TEST_F(DbfEditingTest, RecordWithAnImpossibleDateCannotBePostedBack) {
  OpenDefinitions({" ABCDXY  7  12  123.45T20230229"});
  EXPECT_EQ(table_.FieldByName("DAY").AsDate(), 0);
  table_.Edit();
  table_.FieldByName("QTY").SetAsInteger(8);
  EXPECT_EQ(MessageOf<Error>([&] { table_.Post(); }), "'0.0' is not a valid timestamp");
  EXPECT_EQ(table_.State(), TDataSetState::dsEdit);
}

TEST_F(DbfEditingTest, UntouchedFieldsKeepTheirCharactersWhateverTheDecimalSeparator) {
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
    // "Y" reads true and is written back as "T"; blanks stay blanks.
    EXPECT_EQ(Stored(0),
              std::string(" ") + "AB  " + "Q " + "  7" + "    " + "   12.50" + "T" + "        ")
        << separator;
  }
}

TEST_F(DbfEditingTest, PostKeepsTheDeleteMarker) {
  OpenDefinitions({"*" + kRecord.substr(1)});
  table_.Edit();
  table_.FieldByName("QTY").SetAsInteger(9);
  table_.Post();
  EXPECT_EQ(Stored(), "*ABCDXY  9  12  123.45T20240229");
}

TEST_F(DbfEditingTest, EditOfALockedRecordFailsAndStaysBrowsing) {
  OpenDefinitions();
  fake_.locked_elsewhere = {1};
  EXPECT_EQ(MessageOf<EDbfError>([&] { table_.Edit(); }),
            "Record Lock Failure. May be locked by another user or task.");
  EXPECT_EQ(table_.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(table_.ErrorMsg(), "Record Lock Failure. May be locked by another user or task.");
}

TEST_F(DbfEditingTest, EditReReadsTheRecordUnderTheLock) {
  OpenDefinitions();
  Records("LBLPRDEF.DBF")[0] = " WXYZXY  7  12  123.45T20240229";  // another program wrote it
  EXPECT_EQ(table_.FieldByName("NAME").AsString(), "ABCD");
  table_.Edit();
  EXPECT_EQ(table_.FieldByName("NAME").AsString(), "WXYZ");
  table_.Post();
  EXPECT_EQ(Stored(), " WXYZXY  7  12  123.45T20240229");
}

TEST_F(DbfEditingTest, CancelWritesNothingAndReleasesTheLocks) {
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

TEST_F(DbfEditingTest, EditOnAnEmptyTableInsertsAndPostAppends) {
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

TEST_F(DbfEditingTest, CancelledInsertReturnsToThePreviousRecord) {
  OpenDefinitions({kRecord, " WXYZ    1   1    1.00F        "});
  table_.Next();
  table_.Insert();
  table_.FieldByName("NAME").SetAsString("NEW");
  table_.Cancel();
  EXPECT_EQ(table_.RecNo(), 2);
  EXPECT_EQ(table_.FieldByName("NAME").AsString(), "WXYZ");
  EXPECT_EQ(Records("LBLPRDEF.DBF").size(), 2u);
}

TEST_F(DbfEditingTest, MovingPostsAnAssignedEditAndCancelsAnUntouchedOne) {
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

TEST_F(DbfEditingTest, MoreValuesThanFieldsAssignsTheFirstAndFails) {
  FakeTable wide;
  std::string record = " ";
  for (int i = 1; i <= 38; ++i) {
    std::string name = "F";
    name += std::to_string(i);  // (gcc 12 warns falsely about "F" + text)
    wide.fields.push_back({name, "N", 3, 0});
    record += "  0";
  }
  wide.records = {record};
  AddTable(table_, "LBLPRDEF.DBF", wide);
  table_.Open();
  table_.Edit();
  std::vector<TDbfValue> values(39, TDbfValue::Integer(7));
  EXPECT_EQ(MessageOf<Error>([&] { table_.SetFields(values); }), "Argument out of range");
  EXPECT_EQ(table_.FieldByName("F38").AsInteger(), 7);
  EXPECT_EQ(table_.State(), TDataSetState::dsEdit);
}

TEST_F(DbfEditingTest, ReadOnlyTablesRefuseChanges) {
  AddTable(table_, "LBLPRDEF.DBF", Definitions({kRecord}));
  table_.SetReadOnly(true);
  table_.Open();
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { table_.Edit(); }),
            "tblTolvanLBLDef: Cannot modify a read-only dataset");
  EXPECT_EQ(MessageOf<EDbfError>([&] { table_.Delete(); }), "Cannot modify a read-only data set");
  table_.Close();
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { table_.Edit(); }),
            "tblTolvanLBLDef: Cannot perform this operation on a closed dataset");
}

TEST_F(DbfEditingTest, DeleteMarksTheCurrentRecord) {
  OpenDefinitions({kRecord, " WXYZ    1   1    1.00F        "});
  table_.Next();
  table_.Delete();
  EXPECT_EQ(Stored(1)[0], '*');
  EXPECT_EQ(Stored(0)[0], ' ');
  EXPECT_TRUE(table_.Deleted());
}

TEST_F(DbfEditingTest, DeleteStandsOnTheFollowerWhenDeletedRecordsAreHidden) {
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

TEST_F(DbfEditingTest, EngineFailuresAreReportedNeverTakenForSuccess) {
  const struct {
    const char* failing;
    const char* operation;  // edit, insert or delete
    const char* message;    // followed by the full table name
    TDataSetState state_after;
    bool lock_held;
  } cases[] = {
      {"xb_PutRecord", "edit", "Unable to write the record to table: ", TDataSetState::dsEdit,
       true},
      {"xb_Commit", "edit", "Unable to write the record to table: ", TDataSetState::dsEdit, true},
      {"xb_AppendBlank", "insert", "Unable to append a record to table: ", TDataSetState::dsInsert,
       false},
      {"xb_GetRecord", "edit", "Unable to read the record from table: ", TDataSetState::dsBrowse,
       false},
      {"xb_Delete", "delete", "Unable to delete the record from table: ", TDataSetState::dsBrowse,
       false},
  };
  for (const auto& c : cases) {
    TDbfTable table("tblTolvanLBLDef");
    AddTable(table, "LBLPRDEF.DBF", Definitions({kRecord}));
    table.Open();
    fake_.failing = {c.failing};
    const std::string operation = c.operation;
    const std::string message = MessageOf<EDbfError>([&] {
      if (operation == "delete") return table.Delete();
      operation == "edit" ? table.Edit() : table.Insert();
      table.FieldByName("QTY").SetAsInteger(5);
      table.Post();
    });
    EXPECT_EQ(message, c.message + table.GetFullTableName()) << c.failing;
    EXPECT_EQ(table.ErrorMsg(), message) << c.failing;
    EXPECT_EQ(table.State(), c.state_after) << c.failing;
    EXPECT_EQ(fake_.locks.empty(), !c.lock_held) << c.failing;
    fake_.failing.clear();
    table.Cancel();
    EXPECT_THAT(fake_.locks, IsEmpty()) << c.failing;
    if (operation != "edit" || std::string(c.failing) == "xb_GetRecord") {
      EXPECT_EQ(Records("LBLPRDEF.DBF"), std::vector<std::string>{kRecord}) << c.failing;
    }
  }
}

TEST_F(DbfEditingTest, ChangedMemosAreWrittenAfterTheRecordAndShortBlobsFail) {
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

TEST_F(DbfEditingTest, EncryptedTableWithoutPasswordReadsMasked) {
  fake_.encrypted = true;
  OpenDefinitions();
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

TEST_F(DbfEditingTest, CancelledInsertIntoAnEmptyTableWritesNothing) {
  OpenDefinitions({});
  table_.Append();
  table_.FieldByName("NAME").SetAsString("NEW");
  table_.Cancel();
  EXPECT_EQ(table_.State(), TDataSetState::dsBrowse);
  EXPECT_TRUE(table_.Eof());
  EXPECT_TRUE(table_.FieldByName("NAME").IsNull());
  EXPECT_THAT(Records("LBLPRDEF.DBF"), IsEmpty());
}

TEST_F(DbfEditingTest, DeleteFromAnEmptyTableFails) {
  OpenDefinitions({});
  EXPECT_EQ(MessageOf<EDbfError>([&] { table_.Delete(); }),
            "Cannot perform this operation on an empty table");
}

}  // namespace
}  // namespace cratemark
