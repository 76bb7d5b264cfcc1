// Tables that other xBase programs wrote (python3-dbf with a memo file, as
// dBase III, FoxPro 2 and Visual FoxPro, and shapelib's dbfcreate/dbfadd),
// kept as files so that both targets open the very same bytes: structure,
// records, the delete marker and memo text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/testing/engine_fixture.h"
#include "platform/file_system.h"

namespace cratemark::testing {
namespace {

class ForeignTableTest : public EngineTest {
 protected:
  // Copies a fixture into the test's folder and opens it read-only.
  int16_t OpenCopy(const std::string& name, const std::string& memo_name = "") {
    const std::string from = ProgramDir() + "engine-testdata" + kPathSeparator;
    WriteBytes(PathOf(name), ReadBytes(from + name));
    if (!memo_name.empty()) WriteBytes(PathOf(memo_name), ReadBytes(from + memo_name));
    return xb_UseEx(PathOf(name).c_str(), "FOREIGN", XB_OPEN_READONLY, 1, 1);
  }

  static std::string CurrentRecord() {
    std::string record(static_cast<std::size_t>(xb_RecSize()), '?');
    xb_GetRecord(record.data());
    return record;
  }
};

TEST_F(ForeignTableTest, PythonDbfTableWithMemoOpensWithItsStructureAndData) {
  ASSERT_GE(OpenCopy("PYDBF.DBF", "PYDBF.DBT"), 1);
  EXPECT_EQ(Structure(),
            (std::vector<std::string>{"NAME C 2 10 0", "QTY N 12 5 0", "PRICE N 17 8 2",
                                      "OK L 25 1 0", "DAY D 26 8 0", "NOTES M 34 10 0"}));
  EXPECT_EQ(xb_RecCount(), 2);
  xb_GoTop();
  EXPECT_EQ(CurrentRecord().substr(0, 33), " Widget        7   12.50T20240229");
  EXPECT_EQ(xb_Deleted(), 0);
  char* memo = xb_GetMemo("NOTES", 0);
  EXPECT_STREQ(memo, "two\r\nlines");
  xb_MemDealloc(memo);
  xb_Skip(1);
  EXPECT_NE(xb_Deleted(), 0);
  EXPECT_EQ(CurrentRecord().substr(0, 25), "*Gone         -1    0.25F");
  EXPECT_NE(xb_Flock(), 0) << "a read-only open still takes the file lock";
}

// python3-dbf's FoxPro 2 (.FPT of 128-byte blocks, references in digits) and
// Visual FoxPro (references in 4 binary bytes) tables, opened as the table
// type that expects .DBT memos: the version byte says where the memos are.
TEST_F(ForeignTableTest, PythonDbfFoxProTablesReadTheirFptMemos) {
  for (const char* name : {"PYFOX", "PYVFP"}) {
    ASSERT_GE(OpenCopy(std::string(name) + ".DBF", std::string(name) + ".FPT"), 1)
        << name << ": " << xb_LastError();
    const std::string long_text = std::string(700, 'x') + "end";
    for (const std::string& want : {std::string("two\r\nlines"), long_text}) {
      char* memo = xb_GetMemo("NOTES", 0);
      EXPECT_EQ(memo, want) << name;
      xb_MemDealloc(memo);
      EXPECT_EQ(xb_GetBlobLength("NOTES"), static_cast<int32_t>(want.size())) << name;
      xb_Skip(1);
    }
    xb_Close();
  }
}

TEST_F(ForeignTableTest, ShapelibTableOpensWithItsStructureAndData) {
  ASSERT_GE(OpenCopy("SHAPE.dbf"), 1);
  EXPECT_EQ(Structure(),
            (std::vector<std::string>{"NAME C 2 10 0", "QTY N 12 5 0", "PRICE N 17 8 2"}));
  EXPECT_EQ(xb_RecCount(), 2);
  xb_GoBottom();
  EXPECT_EQ(CurrentRecord(), " Gadget       42    0.25");
}

}  // namespace
}  // namespace cratemark::testing
