// Walking records and reading field values, over the in-memory engine.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "xbase/field_conversion.h"
#include "xbase/testing/fake_table_fixture.h"

namespace cratemark {
namespace {

using ::testing::ElementsAre;

// C(10) SUBDIR, N(3,0) QTY (small integer), N(8,2) PRICE (float), L OK,
// D DAY, M NOTE.
FakeTable Printers(std::vector<std::string> records) {
  FakeTable table;
  table.fields = {{"SUBDIR", "C", 10, 0}, {"QTY", "N", 3, 0}, {"PRICE", "N", 8, 2},
                  {"OK", "L", 1, 0},      {"DAY", "D", 8, 0}, {"NOTE", "M", 10, 0}};
  table.records = std::move(records);
  return table;
}

std::string Row(const std::string& subdir, const std::string& qty = "   ",
                const std::string& price = "        ", const std::string& ok = " ",
                const std::string& day = "        ", const std::string& note = "          ") {
  return " " + subdir + qty + price + ok + day + note;
}

class DbfNavigationTest : public FakeTableFixture {};

TEST_F(DbfNavigationTest, WalkingAnEmptyTableIsAtTheEndAtOnce) {
  TDbfTable table("tblTolvanSpool");
  AddTable(table, "TOLVANSPOOL.DBF", Printers({}));
  table.SetReadOnly(true);
  table.Open();
  EXPECT_TRUE(table.Eof());
  EXPECT_TRUE(table.Bof());
  EXPECT_EQ(table.RecordCount(), 0);
  table.Next();
  EXPECT_TRUE(table.Eof());
  table.First();
  EXPECT_TRUE(table.Eof());
  EXPECT_TRUE(table.FieldByName("SubDir").IsNull());
}

TEST_F(DbfNavigationTest, WalkingThreeRecordsVisitsEachOnce) {
  TDbfTable table("tblTolvanSpool");
  AddTable(table, "TOLVANSPOOL.DBF",
           Printers({Row("PreLabel  "), Row("Label1    "), Row("Label2    ")}));
  table.SetReadOnly(true);
  table.Open();
  std::vector<std::string> visited;
  std::vector<int32_t> numbers;
  while (!table.Eof()) {
    visited.push_back(table.FieldByName("SubDir").Value().text());
    numbers.push_back(table.RecNo());
    table.Next();
  }
  EXPECT_THAT(visited, ElementsAre("PreLabel", "Label1", "Label2"));
  EXPECT_THAT(numbers, ElementsAre(1, 2, 3));
  // The engine stands on the last record again; the record set's end flag
  // makes Eof true, and the last record stays current.
  EXPECT_EQ(fake_.xb_RecNo(), 3);
  EXPECT_EQ(table.FieldByName("SUBDIR").AsString(), "Label2");
  EXPECT_EQ(table.RecordCount(), 3);

  table.Prior();
  EXPECT_FALSE(table.Eof());
  EXPECT_EQ(table.RecNo(), 2);
  table.Last();
  EXPECT_EQ(table.RecNo(), 3);
  EXPECT_TRUE(table.Eof());
  table.First();
  EXPECT_EQ(table.RecNo(), 1);
  EXPECT_TRUE(table.Bof());
  table.Prior();
  EXPECT_TRUE(table.Bof());
  EXPECT_EQ(table.RecNo(), 1);
  EXPECT_EQ(table.MoveBy(5), 2);
  EXPECT_TRUE(table.Eof());
  table.Go(2);
  EXPECT_EQ(table.FieldByName("SUBDIR").AsString(), "Label1");
}

// A record the engine cannot read must not show as the record read before
// it (or as blanks): every fetch that fails raises.
TEST_F(DbfNavigationTest, RecordTheEngineCannotReadRaises) {
  const std::string message =
      "Unable to read the record from table: " + dir_.path() + "TOLVANSPOOL.DBF";
  const struct {
    const char* move;
    std::function<void(TDbfTable&)> action;
  } moves[] = {
      {"Next", [](TDbfTable& t) { t.Next(); }},
      {"Prior", [](TDbfTable& t) { t.Prior(); }},
      {"First", [](TDbfTable& t) { t.First(); }},
      {"Last", [](TDbfTable& t) { t.Last(); }},
      {"Go", [](TDbfTable& t) { t.Go(1); }},
      {"DbfGetRecord",
       [](TDbfTable& t) {
         std::vector<char> raw(t.LEngineRecordBuffer().size());
         t.DbfGetRecord(raw.data());
       }},
  };
  for (const auto& m : moves) {
    SCOPED_TRACE(m.move);
    fake_.failing.clear();
    TDbfTable table("tblTolvanSpool");
    AddTable(table, "TOLVANSPOOL.DBF",
             Printers({Row("PreLabel  "), Row("Label1    "), Row("Label2    ")}));
    table.SetReadOnly(true);
    table.Open();
    table.Next();  // on the second record, so that both directions move
    ASSERT_EQ(table.FieldByName("SUBDIR").AsString(), "Label1");
    fake_.failing = {"xb_GetRecord"};
    try {
      m.action(table);
      ADD_FAILURE() << "no error";
    } catch (const EDbfError& error) {
      EXPECT_EQ(error.what(), message);
      EXPECT_EQ(table.ErrorMsg(), message);
    }
    EXPECT_NE(table.FieldByName("SUBDIR").AsString(), "PreLabel");
    EXPECT_NE(table.FieldByName("SUBDIR").AsString(), "Label2");
  }

  // The first fetch of an open: the open fails and leaves the table closed.
  TDbfTable table("tblTolvanSpool");
  AddTable(table, "TOLVANSPOOL.DBF", Printers({Row("PreLabel  ")}));
  EXPECT_THROW(table.Open(), EDbfError);
  EXPECT_FALSE(table.Active());
  EXPECT_EQ(table.WorkArea(), 0);
}

TEST_F(DbfNavigationTest, FieldsReadByTheirKind) {
  TDbfTable table("tblTest");
  AddTable(table, "KINDS.DBF",
           Printers({Row("  AB      ", "  7", "  123.45", "T", "20240229"),
                     Row("          ", "7  ", "        ", "t", "20230229"),
                     Row("X         ", "1,5", "1,234.50", " ", "        ")}));
  table.Open();
  TDbfField& subdir = table.FieldByName("subdir");
  TDbfField& qty = table.FieldByName("QTY");
  TDbfField& price = table.FieldByName("PRICE");
  TDbfField& ok = table.FieldByName("OK");
  TDbfField& day = table.FieldByName("DAY");
  EXPECT_EQ(qty.Kind, TFieldKind::kSmallInt);
  EXPECT_EQ(price.Kind, TFieldKind::kFloat);

  EXPECT_EQ(subdir.Value(), TDbfValue::Text("  AB"));
  EXPECT_EQ(qty.Value(), TDbfValue::Integer(7));
  EXPECT_EQ(price.Value(), TDbfValue::Float(123.45));
  EXPECT_EQ(ok.Value(), TDbfValue::Boolean(true));
  EXPECT_EQ(day.Value(), TDbfValue::Date(DayNumber(2024, 2, 29)));

  table.Next();
  EXPECT_EQ(subdir.Value(), TDbfValue::Text(""));  // blanks: empty text, not null
  EXPECT_EQ(qty.Value(), TDbfValue::Integer(7));   // left-aligned
  EXPECT_TRUE(price.IsNull());
  EXPECT_EQ(ok.Value(), TDbfValue::Boolean(true));
  EXPECT_TRUE(day.IsNull());  // no such day

  table.Next();
  EXPECT_EQ(qty.Value(), TDbfValue::Integer(0));
  EXPECT_EQ(price.Value(), TDbfValue::Float(0));
  EXPECT_TRUE(ok.IsNull());
  EXPECT_TRUE(day.IsNull());
  EXPECT_EQ(day.AsString(), "");
}

TEST_F(DbfNavigationTest, FloatsReadTheSameWithACommaDecimalSeparator) {
  TDbfTable table("tblTest");
  RegionalSettings german;
  german.decimal_separator = ',';
  german.thousands_separator = '.';
  table.SetFormatSettings(german);
  AddTable(table, "KINDS.DBF", Printers({Row("A         ", "   ", "  123.45")}));
  table.Open();
  EXPECT_EQ(table.FieldByName("PRICE").AsFloat(), 123.45);
  EXPECT_EQ(table.FieldByName("PRICE").AsString(), "123,45");
}

TEST_F(DbfNavigationTest, DeclaredTextFieldNarrowerThanTheTableReadsItsOwnSize) {
  TDbfTable table("tblLockSPL");
  AddTable(table, "LOCKSPL.DBF", Printers({Row("ABCDEFGHIJ")}));
  table.AddField("SUBDIR", TFieldKind::kText, 4);
  table.Open();
  TDbfField& subdir = table.FieldByName("SUBDIR");
  EXPECT_EQ(subdir.AsString(), "ABCD");
  table.Close();
  EXPECT_TRUE(subdir.IsNull()) << "a closed table reads as null";
}

TEST_F(DbfNavigationTest, UnknownFieldNameIsARecordSetError) {
  TDbfTable table("tblTolvanSpool");
  AddTable(table, "TOLVANSPOOL.DBF", Printers({Row("A         ")}));
  table.Open();
  try {
    table.FieldByName("Missing");
    FAIL();
  } catch (const EDatabaseError& error) {
    EXPECT_STREQ(error.what(), "tblTolvanSpool: Field 'Missing' not found");
  }
  EXPECT_EQ(table.ErrorMsg(), "");
  table.Close();
  EXPECT_THROW(table.Next(), EDatabaseError);
}

TEST_F(DbfNavigationTest, MemosLoadOnDemandOnly) {
  struct MemoEngine : FakeXbEngine {
    int reads = 0;
    char* xb_GetMemo(const char*, int16_t) override {
      ++reads;
      static char text[] = "kitchen note";
      return text;
    }
  };
  // The fixture's engine is replaced for this test alone.
  MemoEngine memos;
  memos.tables = fake_.tables;
  TDbfTable table("tblTest");
  AddTable(table, "NOTES.DBF",
           Printers({Row("A         ", "   ", "        ", " ", "        ", "         1")}));
  memos.tables = fake_.tables;
  ScopedEngineReplacement replacement(memos);
  table.Open();
  TDbfField& note = table.FieldByName("NOTE");
  EXPECT_EQ(memos.reads, 0);
  EXPECT_FALSE(note.IsNull());
  EXPECT_EQ(note.AsString(), "kitchen note");
  EXPECT_EQ(note.AsString(), "kitchen note");
  EXPECT_EQ(memos.reads, 1);
}

TEST_F(DbfNavigationTest, SpeedModePassesMovesToTheEngine) {
  const struct {
    const char* move;
    std::function<void(TDbfTable&)> action;
    std::vector<std::string> calls;
    int32_t engine_record;
  } cases[] = {
      {"Next", [](TDbfTable& t) { t.Next(); }, {"xb_Select(1)", "xb_Skip(1)"}, 2},
      {"Prior", [](TDbfTable& t) { t.Prior(); }, {"xb_Select(1)", "xb_Skip(-1)"}, 1},
      {"MoveBy(2)", [](TDbfTable& t) { t.MoveBy(2); }, {"xb_Select(1)", "xb_Skip(2)"}, 3},
      {"GoBottom", [](TDbfTable& t) { t.GoBottom(); }, {"xb_Select(1)", "xb_GoBottom()"}, 3},
      {"GoTop", [](TDbfTable& t) { t.GoTop(); }, {"xb_Select(1)", "xb_GoTop()"}, 1},
      {"Go(2)", [](TDbfTable& t) { t.Go(2); }, {"xb_Select(1)", "xb_Go(2)"}, 2},
  };
  TDbfTable table("tblTest");
  AddTable(table, "KINDS.DBF", Printers({Row("A         "), Row("B         "), Row("C         ")}));
  table.Open();
  table.SetSpeedMode(true);
  for (const auto& c : cases) {
    recorder_.ClearCalls();
    c.action(table);
    EXPECT_EQ(recorder_.Calls(), c.calls) << c.move;
    EXPECT_EQ(table.RecNo(), c.engine_record) << c.move;
    EXPECT_EQ(table.FieldByName("SUBDIR").AsString(), "A") << "nothing fetched: " << c.move;
  }
}

TEST_F(DbfNavigationTest, CountsFollowTheSequencedCountSetting) {
  struct CountingEngine : FakeXbEngine {
    int32_t xb_Count() override { return 2; }  // as if one record were hidden
    int32_t xb_QueryRecCount() override { return 1; }
  };
  const struct {
    TSequencedCount setting;
    int32_t row_count;
  } cases[] = {{scRawCount, 3}, {scAllCount, 2}, {scFilterOnlyCount, 1}};
  for (const auto& c : cases) {
    CountingEngine engine;
    TDbfTable table("tblTest");
    AddTable(table, "KINDS.DBF",
             Printers({Row("A         "), Row("B         "), Row("C         ")}));
    engine.tables = fake_.tables;
    ScopedEngineReplacement replacement(engine);
    table.SequencedCount = c.setting;
    table.Open();
    EXPECT_EQ(table.RecordCount(), c.row_count) << c.setting;
    EXPECT_EQ(table.RecCount(), 3) << c.setting;
    table.Close();
    EXPECT_EQ(table.RecordCount(), 0) << "closed";
  }
}

}  // namespace
}  // namespace cratemark
