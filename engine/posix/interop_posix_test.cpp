// Tables meet xBase programs we did not write: Debian's python3-dbfread reads
// what the engine writes, and python3-dbf and shapelib write tables that the
// engine opens with the right structure.
#include <gtest/gtest.h>
#include <stdio.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "engine/testing/engine_fixture.h"

namespace cratemark::testing {
namespace {

// Runs a shell command; its standard output, or nullopt when it failed.
std::optional<std::string> RunCommand(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return std::nullopt;
  std::string output;
  char buffer[256];
  while (size_t n = fread(buffer, 1, sizeof(buffer), pipe)) output.append(buffer, n);
  return pclose(pipe) == 0 ? std::optional<std::string>(output) : std::nullopt;
}

bool HasPythonModule(const char* module) {
  return access("/usr/bin/python3", X_OK) == 0 &&
         RunCommand(std::string("/usr/bin/python3 -c 'import ") + module + "' 2>/dev/null")
             .has_value();
}

std::string CurrentRecord() {
  std::string record(static_cast<std::size_t>(xb_RecSize()), '?');
  xb_GetRecord(record.data());
  return record;
}

struct ExpectedField {
  const char* name;
  const char* type;
  int offset, width, decimals;
};

void ExpectStructure(const std::vector<ExpectedField>& fields) {
  ASSERT_EQ(xb_FieldCount(), static_cast<int16_t>(fields.size()));
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const ExpectedField& field = fields[i];
    EXPECT_STREQ(xb_FieldName(static_cast<int16_t>(i + 1)), field.name);
    EXPECT_STREQ(xb_FieldType(field.name), field.type);
    EXPECT_EQ(xb_FieldOffset(field.name), field.offset) << field.name;
    EXPECT_EQ(xb_FieldWidth(field.name), field.width) << field.name;
    EXPECT_EQ(xb_FieldDecimals(field.name), field.decimals) << field.name;
  }
}

using InteropTest = EngineTest;

// Both memo formats: dBase III's .DBT (table type 1) and FoxPro 2's .FPT
// (table type 2), read back by dbfread, and the .FPT by python3-dbf too.
TEST_F(InteropTest, DbfreadReadsWhatTheEngineWrites) {
  if (!HasPythonModule("dbfread")) GTEST_SKIP() << "python3-dbfread is not installed";
  const std::string long_text = std::string(600, 'x') + "end";
  for (const int16_t table_type : {1, 2}) {
    SCOPED_TRACE(table_type);
    const std::string path = PathOf("ITEMS" + std::to_string(table_type) + ".DBF");
    CreateTable("ITEMS" + std::to_string(table_type) + ".DBF",
                {{"NAME", "C", 10, 0},
                 {"QTY", "N", 5, 0},
                 {"PRICE", "N", 8, 2},
                 {"OK", "L", 1, 0},
                 {"DAY", "D", 8, 0},
                 {"NOTES", "M", 10, 0}},
                table_type);
    ASSERT_GE(xb_UseEx(path.c_str(), "ITEMS", XB_OPEN_SHARED, table_type, 1), 1);
    xb_AppendBlank();
    xb_PutRecord(" Widget        7  123.45T20240229          ");
    xb_Replace("NOTES", 3072, "two\r\nlines");
    xb_AppendBlank();
    xb_PutRecord(" Gadget       42    0.25F                  ");
    xb_Replace("NOTES", 3072, long_text.c_str());
    xb_AppendBlank();
    xb_PutRecord("*Gone         -1    0.50F                  ");
    xb_Commit();
    xb_Close();

    const std::string script =
        "import dbfread, sys\n"
        "t = dbfread.DBF(sys.argv[1], load=True, ignore_missing_memofile=False)\n"
        "print(';'.join('%s %s %d %d' % (f.name, f.type, f.length, f.decimal_count)"
        " for f in t.fields))\n"
        "for r in t.records: print(repr(list(r.values())))\n"
        "for r in t.deleted: print('deleted', repr(list(r.values())))\n";
    const auto output = RunCommand("/usr/bin/python3 -c \"" + script + "\" '" + path + "' 2>&1");
    ASSERT_TRUE(output.has_value());
    EXPECT_EQ(*output,
              "NAME C 10 0;QTY N 5 0;PRICE N 8 2;OK L 1 0;DAY D 8 0;NOTES M 10 0\n"
              "['Widget', 7, 123.45, True, datetime.date(2024, 2, 29), 'two\\r\\nlines']\n"
              "['Gadget', 42, 0.25, False, None, '" +
                  long_text +
                  "']\n"
                  "deleted ['Gone', -1, 0.5, False, None, None]\n");
  }

  if (!HasPythonModule("dbf")) GTEST_SKIP() << "python3-dbf is not installed";
  const std::string script =
      "import dbf, sys\n"
      "t = dbf.Table(sys.argv[1])\n"
      "t.open(dbf.READ_ONLY)\n"
      "for r in t: print(repr(r.notes))\n";
  const auto output = RunCommand("/usr/bin/python3 -W ignore -c \"" + script + "\" '" +
                                 PathOf("ITEMS2.DBF") + "' 2>&1");
  ASSERT_TRUE(output.has_value());
  EXPECT_EQ(*output, "'two\\r\\nlines'\n'" + long_text + "'\n''\n");
}

TEST_F(InteropTest, TableWrittenByPythonDbfOpensWithItsStructure) {
  if (!HasPythonModule("dbf")) GTEST_SKIP() << "python3-dbf is not installed";
  const std::string script =
      "import dbf, sys\n"
      "t = dbf.Table(sys.argv[1], 'NAME C(10); QTY N(5,0); PRICE N(8,2); OK L; DAY D',"
      " dbf_type='db3')\n"
      "t.open(dbf.READ_WRITE)\n"
      "t.append(('Widget', 7, 12.5, True, dbf.Date(2024, 2, 29)))\n"
      "t.close()\n";
  ASSERT_TRUE(RunCommand("/usr/bin/python3 -W ignore -c \"" + script + "\" '" +
                         PathOf("PYDBF.DBF") + "' >/dev/null 2>&1"));

  ASSERT_GE(xb_UseEx(PathOf("PYDBF.DBF").c_str(), "PYDBF", XB_OPEN_READONLY, 1, 1), 1);
  ExpectStructure({{"NAME", "C", 2, 10, 0},
                   {"QTY", "N", 12, 5, 0},
                   {"PRICE", "N", 17, 8, 2},
                   {"OK", "L", 25, 1, 0},
                   {"DAY", "D", 26, 8, 0}});
  EXPECT_EQ(xb_RecCount(), 1);
  EXPECT_EQ(CurrentRecord(), " Widget        7   12.50T20240229");
}

TEST_F(InteropTest, TableWrittenByShapelibOpensWithItsStructure) {
  const std::string path = PathOf("SHAPE.DBF");
  if (!RunCommand("dbfcreate '" + path + "' -s NAME 10 -n QTY 5 0 -n PRICE 8 2 2>&1")) {
    GTEST_SKIP() << "shapelib's dbfcreate is not installed";
  }
  ASSERT_TRUE(RunCommand("dbfadd '" + path + "' Widget 7 12.5 2>&1"));
  ASSERT_TRUE(RunCommand("dbfadd '" + path + "' Gadget 42 0.25 2>&1"));

  ASSERT_GE(xb_UseEx(path.c_str(), "SHAPE", XB_OPEN_READONLY, 1, 1), 1);
  ExpectStructure({{"NAME", "C", 2, 10, 0}, {"QTY", "N", 12, 5, 0}, {"PRICE", "N", 17, 8, 2}});
  EXPECT_EQ(xb_RecCount(), 2);
  xb_GoBottom();
  EXPECT_EQ(CurrentRecord(), " Gadget       42    0.25");
}

}  // namespace
}  // namespace cratemark::testing
