// What editing refuses: values a field cannot take or hold, locked and
// read-only records, and engine calls that fail.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/error.h"
#include "xbase/field_conversion.h"
#include "xbase/testing/editing_fixture.h"

namespace cratemark {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

class DbfTableEditingErrorsTest : public DbfEditingFixture {};

TEST_F(DbfTableEditingErrorsTest, AssignmentErrors) {
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

TEST_F(DbfTableEditingErrorsTest, IntegerAndBooleanValuesByFieldKind) {
  FakeTable kinds;
  kinds.fields = {{"T", "C", 4, 0}, {"S", "N", 4, 0}, {"I", "I", 11, 0}, {"F", "N", 8, 2},
                  {"B", "L", 1, 0}, {"D", "D", 8, 0}, {"M", "M", 10, 0}};
  kinds.records = {" " + std::string(4 + 4 + 11 + 8 + 1 + 8 + 10, ' ')};
  const struct {
    const char* field;
    std::string integer_error, boolean_error;  // "" when the value is stored
  } cases[] = {
      {"T", "", ""},
      {"S", "", "Cannot access field 'S' as type Boolean"},
      {"I", "", "Cannot access field 'I' as type Boolean"},
      {"F", "", "Cannot access field 'F' as type Boolean"},
      {"B", "Cannot access field 'B' as type Integer", ""},
      {"D", "Cannot access field 'D' as type Integer", "Cannot access field 'D' as type Boolean"},
      {"M", "Cannot access field 'M' as type Integer", "Cannot access field 'M' as type Boolean"},
  };
  AddTable(table_, "KINDS.DBF", kinds);
  table_.Open();
  table_.Edit();
  auto error_of = [&](TDbfField& field, const TDbfValue& value) {
    try {
      field.SetValue(value);
    } catch (const EDatabaseError& error) {
      return std::string(error.what());
    }
    EXPECT_FALSE(field.IsNull()) << field.FieldName;
    return std::string();
  };
  for (const auto& c : cases) {
    TDbfField& field = table_.FieldByName(c.field);
    EXPECT_EQ(error_of(field, TDbfValue::Integer(1)), c.integer_error) << c.field;
    EXPECT_EQ(error_of(field, TDbfValue::Boolean(true)), c.boolean_error) << c.field;
  }
  EXPECT_EQ(table_.FieldByName("I").Kind, TFieldKind::kInteger);
  EXPECT_EQ(error_of(table_.FieldByName("I"), TDbfValue::Integer(3000000000)),
            "3000000000 is not a valid value for field 'I'. The allowed range is -2147483648 to "
            "2147483647");
  EXPECT_EQ(table_.State(), TDataSetState::dsEdit);
}

TEST_F(DbfTableEditingErrorsTest, ValuesTooWideAreRefusedAtPostLeavingTheTableEditing) {
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
    EXPECT_THAT(MessageOf<EDbfError>([&] { table.Post(); }),
                StartsWith("Translate error. Value out of bounds\rField "))
        << c.field;
    EXPECT_THAT(table.ErrorMsg(), HasSubstr(std::string("\"") + c.field + "\" (N "));
    EXPECT_EQ(table.State(), TDataSetState::dsEdit);
    EXPECT_EQ(Stored(), kRecord) << "nothing stored";
    EXPECT_THAT(fake_.locks, ElementsAre(1)) << "the record lock is still held";
    table.Cancel();
    EXPECT_THAT(fake_.locks, IsEmpty());
  }
}

TEST_F(DbfTableEditingErrorsTest, ValueTooWideForANewRecordAppendsNothing) {
  OpenDefinitions({});
  table_.Edit();  // an empty table: an insert
  table_.FieldByName("QTY").SetAsInteger(1234);
  EXPECT_THAT(MessageOf<EDbfError>([&] { table_.Post(); }),
              StartsWith("Translate error. Value out of bounds\rField 3 \"QTY\""));
  EXPECT_THAT(Records("LBLPRDEF.DBF"), IsEmpty());
  EXPECT_EQ(table_.State(), TDataSetState::dsInsert);
  table_.FieldByName("QTY").SetAsInteger(12);
  table_.Post();
  EXPECT_EQ(Records("LBLPRDEF.DBF"),
            std::vector<std::string>{" " + std::string(6, ' ') + " 12" + std::string(21, ' ')});
}

TEST_F(DbfTableEditingErrorsTest, ImpossibleDatesReadEmptyAndStayUnlessAssigned) {
  for (const char* date : {"20230229", "00000000", "2024AB01"}) {
    OpenDefinitions({std::string(" ABCDXY  7  12  123.45T") + date});
    EXPECT_TRUE(table_.FieldByName("DAY").IsNull()) << date;
    table_.Edit();
    table_.FieldByName("QTY").SetAsInteger(8);
    table_.Post();
    EXPECT_EQ(Stored(), std::string(" ABCDXY  8  12  123.45T") + date);
    table_.Close();
  }
  OpenDefinitions();
  table_.Edit();
  table_.FieldByName("DAY").SetAsDate(0);
  EXPECT_EQ(MessageOf<EDbfError>([&] { table_.Post(); }),
            "'0.0' is not a valid timestamp\rField 7 \"DAY\" (D 8)");
  EXPECT_EQ(table_.State(), TDataSetState::dsEdit);
  EXPECT_EQ(Stored(), kRecord);
}

TEST_F(DbfTableEditingErrorsTest, EditOfALockedRecordFailsAndStaysBrowsing) {
  OpenDefinitions();
  fake_.locked_elsewhere = {1};
  EXPECT_EQ(MessageOf<EDbfError>([&] { table_.Edit(); }),
            "Record Lock Failure. May be locked by another user or task.");
  EXPECT_EQ(table_.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(table_.ErrorMsg(), "Record Lock Failure. May be locked by another user or task.");
}

TEST_F(DbfTableEditingErrorsTest, MoreValuesThanFieldsAssignNothing) {
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
  EXPECT_EQ(
      MessageOf<EDbfError>([&] { table_.SetFields(values); }),
      "Argument out of range: 39 values for the 38 fields of table " + table_.GetFullTableName());
  EXPECT_EQ(table_.FieldByName("F1").AsInteger(), 0);
  EXPECT_FALSE(table_.Modified());
  EXPECT_EQ(table_.State(), TDataSetState::dsEdit);
}

// Fields 1 C(4), 2 N(3,0), 3 L, 4 of a type the component does not know,
// 5 L.
FakeTable MixedKinds() {
  FakeTable mixed;
  mixed.fields = {{"NAME", "C", 4, 0},
                  {"QTY", "N", 3, 0},
                  {"OK", "L", 1, 0},
                  {"ODD", "X", 2, 0},
                  {"LAST", "L", 1, 0}};
  mixed.records = {" ABCD7  t\x01\x02y"};
  return mixed;
}

TEST_F(DbfTableEditingErrorsTest, SetFieldsAssignsByFilePositionAndRefusesWholeLists) {
  AddTable(table_, "MIXED.DBF", MixedKinds());
  table_.Open();
  const struct {
    std::vector<TDbfValue> values;
    std::string message;
  } refused[] = {
      {{TDbfValue::Integer(99)}, "Field 1 \"NAME\" (C 4) cannot take the integer 99"},
      {{TDbfValue::Boolean(true)}, "Field 1 \"NAME\" (C 4) cannot take the logical value true"},
      {{TDbfValue::Text("A"), TDbfValue::Boolean(true)},
       "Field 2 \"QTY\" (N 3) cannot take the logical value true"},
      {{TDbfValue::Text("A"), TDbfValue::Integer(40000)},
       "Field 2 \"QTY\" (N 3) cannot take the integer 40000: 40000 is not a valid value for "
       "field 'QTY'. The allowed range is -32768 to 32767"},
      {{TDbfValue::Text("A"), TDbfValue::Integer(1), TDbfValue::Integer(0)},
       "Field 3 \"OK\" (L 1) cannot take the integer 0"},
      // The field of the unknown type counts: the fourth value is its own.
      {{TDbfValue::Text("A"), TDbfValue::Integer(1), TDbfValue::Boolean(false),
        TDbfValue::Boolean(false)},
       "Field 4 \"ODD\" (X 2) cannot take the logical value false"},
  };
  for (const auto& c : refused) {
    table_.Edit();
    EXPECT_EQ(MessageOf<EDbfError>([&] { table_.SetFields(c.values); }), c.message);
    EXPECT_EQ(table_.ErrorMsg(), c.message);
    EXPECT_EQ(table_.FieldByName("NAME").AsString(), "ABCD") << "nothing assigned";
    EXPECT_FALSE(table_.Modified());
    table_.Cancel();
    EXPECT_EQ(Records("MIXED.DBF")[0], MixedKinds().records[0]);
  }

  table_.Edit();
  table_.SetFields({TDbfValue::Text("WXYZ"), TDbfValue::Integer(42)});
  table_.Post();
  // The unassigned logical, the unknown field and the last one keep their bytes.
  EXPECT_EQ(Records("MIXED.DBF")[0], " WXYZ 42t\x01\x02y");
}

TEST_F(DbfTableEditingErrorsTest, ReadOnlyTablesRefuseChanges) {
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

TEST_F(DbfTableEditingErrorsTest, EngineFailuresAreReportedNeverTakenForSuccess) {
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

TEST_F(DbfTableEditingErrorsTest, DeleteFromAnEmptyTableFails) {
  OpenDefinitions({});
  EXPECT_EQ(MessageOf<EDbfError>([&] { table_.Delete(); }),
            "Cannot perform this operation on an empty table");
}

}  // namespace
}  // namespace cratemark
