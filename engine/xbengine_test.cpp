// The engine through its C interface: tables, records, memos, work areas,
// open modes and locks inside one process.
#include "engine/xbengine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/testing/engine_fixture.h"

namespace cratemark::testing {
namespace {

const std::vector<CreateFieldArgs> kAllKinds = {
    {"NAME", "C", 10, 0}, {"QTY", "N", 5, 0}, {"PRICE", "N", 8, 2},
    {"OK", "L", 1, 0},    {"DAY", "D", 8, 0}, {"NOTES", "M", 10, 0},
};

std::string Record(const std::string& fields) { return " " + fields; }

std::string CurrentRecord() {
  std::string record(static_cast<std::size_t>(xb_RecSize()), '?');
  xb_GetRecord(record.data());
  return record;
}

int32_t AppendRecord(const std::string& record) {
  const int32_t number = xb_AppendBlank();
  EXPECT_NE(xb_PutRecord(record.c_str()), 0);
  return number;
}

using EngineTableTest = EngineTest;

TEST_F(EngineTableTest, CreatedTableHasItsStructureAndKeepsRecords) {
  CreateTable("ITEMS.DBF", kAllKinds);
  const int16_t area = xb_UseEx(PathOf("ITEMS").c_str(), "ITEMS", XB_OPEN_SHARED, 1, 1);
  ASSERT_GE(area, 1);
  ASSERT_EQ(xb_FieldCount(), 6);
  EXPECT_EQ(xb_RecSize(), 1 + 10 + 5 + 8 + 1 + 8 + 10);
  const struct {
    const char* name;
    const char* type;
    int offset, width, decimals;
  } expected[] = {{"NAME", "C", 2, 10, 0}, {"QTY", "N", 12, 5, 0}, {"PRICE", "N", 17, 8, 2},
                  {"OK", "L", 25, 1, 0},   {"DAY", "D", 26, 8, 0}, {"NOTES", "M", 34, 10, 0}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_STREQ(xb_FieldName(static_cast<int16_t>(i + 1)), expected[i].name);
    EXPECT_STREQ(xb_FieldType(expected[i].name), expected[i].type);
    EXPECT_EQ(xb_FieldOffset(expected[i].name), expected[i].offset);
    EXPECT_EQ(xb_FieldWidth(expected[i].name), expected[i].width);
    EXPECT_EQ(xb_FieldDecimals(expected[i].name), expected[i].decimals);
  }
  EXPECT_STREQ(xb_FieldType("qty"), "N") << "names match without regard to case";
  EXPECT_STREQ(xb_FieldType("NOSUCH"), "");
  EXPECT_STREQ(xb_FieldName(7), "");

  const std::string blank_memo(10, ' ');
  const std::string first = Record(
      "ABC       "
      "    7"
      "  123.45"
      "T"
      "20240229" +
      blank_memo);
  const std::string second = Record(
      "XYZ       "
      "   -1"
      "    0.50"
      "F"
      "        " +
      blank_memo);
  EXPECT_EQ(AppendRecord(first), 1);
  EXPECT_EQ(AppendRecord(second), 2);
  EXPECT_NE(xb_Commit(), 0);
  xb_Close();

  // The header counts both records and the data ends with 0x1A.
  const std::string bytes = ReadBytes(PathOf("ITEMS.DBF"));
  const std::size_t header_length = 32 + 6 * 32 + 1;
  ASSERT_EQ(bytes.size(), header_length + 2 * 43 + 1);
  EXPECT_EQ(bytes[0], '\x83') << "dBase III with memo";
  EXPECT_EQ(bytes.substr(4, 4), std::string("\x02\0\0\0", 4));
  EXPECT_EQ(bytes.back(), '\x1A');
  EXPECT_EQ(bytes.substr(header_length, 43), first);

  ASSERT_GE(xb_UseEx(PathOf("items.dbf").c_str(), "ITEMS", XB_OPEN_READONLY, 1, 1), 1);
  EXPECT_EQ(xb_RecCount(), 2);
  EXPECT_EQ(xb_RecNo(), 1) << "an open stands on the first record";
  EXPECT_EQ(CurrentRecord(), first);
  EXPECT_EQ(xb_Skip(1), 2);
  EXPECT_EQ(CurrentRecord(), second);
}

TEST_F(EngineTableTest, NavigationStopsAtBothEnds) {
  CreateTable("NAV.DBF", {{"N", "N", 3, 0}});
  ASSERT_GE(xb_UseEx(PathOf("NAV.DBF").c_str(), "NAV", XB_OPEN_SHARED, 1, 1), 1);
  // An empty table is at both ends at once.
  EXPECT_EQ(xb_GoTop(), 1);
  EXPECT_NE(xb_Eof(), 0);
  EXPECT_NE(xb_Bof(), 0);
  EXPECT_EQ(CurrentRecord(), "    ") << "the phantom record is blank";

  for (const char* value : {"  1", "  2", "  3"}) AppendRecord(Record(value));
  EXPECT_EQ(xb_GoTop(), 1);
  EXPECT_EQ(xb_Skip(-1), 1);
  EXPECT_NE(xb_Bof(), 0);
  EXPECT_EQ(xb_Eof(), 0);
  EXPECT_EQ(xb_GoBottom(), 3);
  EXPECT_EQ(xb_Skip(1), 4);
  EXPECT_NE(xb_Eof(), 0);
  EXPECT_EQ(xb_Skip(1), 4) << "no further than the end";
  EXPECT_EQ(xb_Skip(-1), 3);
  EXPECT_EQ(xb_Go(2), 2);
  EXPECT_EQ(CurrentRecord(), Record("  2"));
  EXPECT_EQ(xb_Go(99), 4);
  EXPECT_NE(xb_Eof(), 0);
  EXPECT_EQ(xb_PutRecord(Record("  9").c_str()), 0) << "nothing to write at the end";

  // Deleting marks the record; hiding deleted records skips it.
  xb_Go(2);
  EXPECT_NE(xb_Delete(), 0);
  EXPECT_NE(xb_Deleted(), 0);
  EXPECT_EQ(CurrentRecord(), "*  2");
  EXPECT_EQ(xb_Count(), 3);
  xb_SetDeleted(-1);
  EXPECT_EQ(xb_Count(), 2);
  EXPECT_EQ(xb_GoTop(), 1);
  EXPECT_EQ(xb_Skip(1), 3);
  EXPECT_EQ(xb_Skip(-1), 1);
}

TEST_F(EngineTableTest, MemoTextsSurviveRewritesAndReopening) {
  CreateTable("MEMO.DBF", {{"ID", "C", 4, 0}, {"NOTES", "M", 10, 0}});
  ASSERT_GE(xb_UseEx(PathOf("MEMO.DBF").c_str(), "MEMO", XB_OPEN_SHARED, 1, 1), 1);
  AppendRecord(Record("one           "));
  AppendRecord(Record("two           "));
  const std::string long_text = std::string(700, 'x') + "\r\nend";

  xb_Go(1);
  EXPECT_NE(xb_Replace("NOTES", 3072, "first text"), 0);
  EXPECT_NE(xb_Replace("notes", 3072, long_text.c_str()), 0);
  xb_Go(2);
  EXPECT_NE(xb_Replace("NOTES", 3072, "short"), 0);
  EXPECT_EQ(xb_Replace("NOTES", 1, "other kind"), 0);
  EXPECT_EQ(xb_Replace("ID", 3072, "not a memo"), 0);
  // A text that holds the end marker could not be read back whole.
  EXPECT_EQ(xb_PutBlob("NOTES",
                       "a\x1A"
                       "b",
                       3),
            0);
  xb_Commit();
  xb_Close();

  // Block 1 held "first text"; the long text took blocks 2 and 3; "short" 4.
  const std::string memo = ReadBytes(PathOf("MEMO.DBT"));
  ASSERT_EQ(memo.size(), 5u * 512);
  EXPECT_EQ(memo.substr(0, 4), std::string("\x05\0\0\0", 4));
  EXPECT_EQ(memo.substr(4 * 512, 7), "short\x1A\x1A");

  ASSERT_GE(xb_UseEx(PathOf("MEMO.DBF").c_str(), "MEMO", XB_OPEN_READONLY, 1, 1), 1);
  EXPECT_EQ(CurrentRecord(), Record("one          2"));
  char* text = xb_GetMemo("NOTES", 0);
  EXPECT_EQ(std::string(text), long_text);
  xb_MemDealloc(text);
  EXPECT_EQ(xb_GetBlobLength("NOTES"), static_cast<int32_t>(long_text.size()));
  char start[5] = {};
  EXPECT_EQ(xb_GetBlob("NOTES", start, 4), 4);
  EXPECT_STREQ(start, "xxxx");
  xb_Skip(1);
  text = xb_GetMemo("NOTES", 0);
  EXPECT_STREQ(text, "short");
  xb_MemDealloc(text);
  EXPECT_EQ(xb_Replace("NOTES", 3072, "read-only"), 0);
}

// The FoxPro table type writes FoxPro 2's table (version byte 0xF5) and
// .FPT file: 64-byte blocks after a 512-byte header, each entry its kind and
// length, big-endian, then any bytes (0x1A and zeros included).
TEST_F(EngineTableTest, FoxProTableKeepsMemosInAnFptFileAsFoxProWritesThem) {
  constexpr int16_t kFoxPro = 2;
  const std::string path = PathOf("FOX.DBF");
  ASSERT_GT(xb_CreateNew(path.c_str(), "FOX", kFoxPro, 2), 0);
  xb_CreateField("ID", "C", 4, 0);
  xb_CreateField("NOTES", "M", 10, 0);
  ASSERT_NE(xb_CreateExec(), 0);
  EXPECT_EQ(ReadBytes(path)[0], '\xF5');
  const std::string empty_memo = ReadBytes(PathOf("FOX.FPT"));
  ASSERT_EQ(empty_memo.size(), 512u);
  EXPECT_EQ(empty_memo.substr(0, 8), std::string("\0\0\0\x08\0\0\0\x40", 8));

  AppendRecord(Record("one           "));
  AppendRecord(Record("two           "));
  const std::string long_text = std::string(700, 'x') + "\r\nend";
  const std::string binary("a\x1A\0b", 4);
  xb_Go(1);
  EXPECT_NE(xb_Replace("NOTES", 3072, "first text"), 0);
  EXPECT_NE(xb_Replace("NOTES", 3072, long_text.c_str()), 0);
  xb_Go(2);
  EXPECT_EQ(xb_PutBlob("NOTES", binary.data(), 4), 4);
  xb_Close();

  // "first text" took block 8, the long text blocks 9 to 20, the bytes 21.
  const std::string memo = ReadBytes(PathOf("FOX.FPT"));
  ASSERT_EQ(memo.size(), 22u * 64);
  EXPECT_EQ(memo.substr(0, 4), std::string("\0\0\0\x16", 4));
  EXPECT_EQ(memo.substr(8 * 64, 18), std::string("\0\0\0\x01\0\0\0\x0A", 8) + "first text");
  EXPECT_EQ(memo.substr(9 * 64, 8), std::string("\0\0\0\x01\0\0\x02\xC1", 8));
  EXPECT_EQ(memo.substr(21 * 64, 12), std::string("\0\0\0\x01\0\0\0\x04", 8) + binary);

  // Opened as the type that expects .DBT memos: the version byte decides.
  ASSERT_GE(xb_UseEx(path.c_str(), "FOX", XB_OPEN_READONLY, 1, 1), 1) << xb_LastError();
  EXPECT_EQ(CurrentRecord(), Record("one          9"));
  char* text = xb_GetMemo("NOTES", 0);
  EXPECT_EQ(std::string(text), long_text);
  xb_MemDealloc(text);
  xb_Skip(1);
  EXPECT_EQ(xb_GetBlobLength("NOTES"), 4);
  std::string read(4, '?');
  EXPECT_EQ(xb_GetBlob("NOTES", read.data(), 4), 4);
  EXPECT_EQ(read, binary);
}

// An .FPT that cannot be read refuses its table, and says which file and why;
// an entry whose length reaches past the file's end is no memo.
TEST_F(EngineTableTest, FptMemoFileThatCannotBeReadSaysWhy) {
  ASSERT_GT(xb_CreateNew(PathOf("FOX.DBF").c_str(), "FOX", 2, 1), 0);
  xb_CreateField("NOTES", "M", 10, 0);
  ASSERT_NE(xb_CreateExec(), 0);
  AppendRecord(Record("         8"));
  xb_Close();
  std::string memo = ReadBytes(PathOf("FOX.FPT"));
  memo += std::string("\0\0\0\x01\x7F\0\0\0", 8) + "short";
  WriteBytes(PathOf("FOX.FPT"), memo);
  ASSERT_GE(xb_UseEx(PathOf("FOX.DBF").c_str(), "FOX", XB_OPEN_READONLY, 1, 1), 1);
  EXPECT_EQ(xb_GetBlobLength("NOTES"), 0);
  xb_Close();

  const struct {
    const char* flaw;
    std::string bytes;
    const char* reason;
  } cases[] = {
      {"short header", memo.substr(0, 100),
       "its .FPT memo file \"FOX.FPT\" cannot be read: it is shorter (100 bytes) than the "
       "512-byte header of an .FPT file."},
      {"block size 0", memo.substr(0, 6) + std::string(2, '\0') + memo.substr(8),
       "its .FPT memo file \"FOX.FPT\" cannot be read: its header gives a block size of 0."},
  };
  for (const auto& c : cases) {
    WriteBytes(PathOf("FOX.FPT"), c.bytes);
    EXPECT_LT(xb_UseEx(PathOf("FOX.DBF").c_str(), "FOX", XB_OPEN_READONLY, 1, 1), 1) << c.flaw;
    EXPECT_NE(std::string(xb_LastError()).find(c.reason), std::string::npos)
        << c.flaw << ": " << xb_LastError();
  }
}

// Found by fuzzing: callers release a memo's text only when it is not empty
// (its first character), so one starting with a zero byte must not be a copy
// that nobody frees.
TEST_F(EngineTableTest, MemoStartingWithAZeroByteIsTheEmptyText) {
  CreateTable("MEMO.DBF", {{"NOTES", "M", 10, 0}});
  ASSERT_GE(xb_UseEx(PathOf("MEMO.DBF").c_str(), "MEMO", XB_OPEN_SHARED, 1, 1), 1);
  AppendRecord(Record("          "));
  AppendRecord(Record("          "));
  xb_Go(1);
  char* const empty = xb_GetMemo("NOTES", 0);
  ASSERT_STREQ(empty, "");
  xb_Go(2);
  ASSERT_EQ(xb_PutBlob("NOTES", std::string("\0abc", 4).data(), 4), 4);
  EXPECT_EQ(xb_GetBlobLength("NOTES"), 4);
  char* const text = xb_GetMemo("NOTES", 0);
  EXPECT_EQ(text, empty);
  if (*text != '\0') xb_MemDealloc(text);
}

TEST_F(EngineTableTest, WorkAreasTakeTheLowestFreeNumberAndUniqueAliases) {
  CreateTable("LOCKSPL.DBF", {{"DUMMY", "C", 10, 0}});
  const std::string path = PathOf("LOCKSPL.DBF");
  EXPECT_EQ(xb_UseEx(path.c_str(), "LOCKSPL", XB_OPEN_READONLY, 1, 1), 1);
  EXPECT_EQ(xb_UseEx(path.c_str(), "LOCKSPL1", XB_OPEN_READONLY, 1, 1), 2);
  EXPECT_EQ(xb_UseEx(path.c_str(), "lockspl", XB_OPEN_READONLY, 1, 1), 0) << "alias in use";
  EXPECT_EQ(xb_WorkArea("lockspl1"), 2);
  EXPECT_EQ(xb_WorkArea("OTHER"), 0);
  EXPECT_STREQ(xb_Alias(1), "LOCKSPL");

  EXPECT_EQ(xb_Select(1), 2) << "an open makes its area current";
  EXPECT_NE(xb_Close(), 0);
  EXPECT_STREQ(xb_Alias(1), "");
  EXPECT_EQ(xb_FieldCount(), 0) << "the current area is closed";
  EXPECT_EQ(xb_UseEx(path.c_str(), "LOCKSPL", XB_OPEN_READONLY, 1, 1), 1);
}

TEST_F(EngineTableTest, ReadOnlyTableRefusesWritesButTakesTheFileLock) {
  CreateTable("RO.DBF", {{"DUMMY", "C", 10, 0}});
  ASSERT_GE(xb_UseEx(PathOf("RO.DBF").c_str(), "RO", XB_OPEN_SHARED, 1, 1), 1);
  AppendRecord(Record("keep      "));
  xb_Close();

  ASSERT_GE(xb_UseEx(PathOf("RO.DBF").c_str(), "RO", XB_OPEN_READONLY, 1, 1), 1);
  EXPECT_EQ(xb_AppendBlank(), 0);
  EXPECT_EQ(xb_PutRecord(Record("changed   ").c_str()), 0);
  EXPECT_EQ(xb_Delete(), 0);
  EXPECT_NE(xb_Flock(), 0);
  EXPECT_NE(xb_Flock(), 0) << "asking again while held";
  EXPECT_NE(xb_Rlock(1), 0) << "the file lock covers the records";
  xb_Close();
  EXPECT_EQ(ReadBytes(PathOf("RO.DBF")).substr(33 + 32, 11), Record("keep      "));
}

TEST_F(EngineTableTest, TwoAreasOnOneFileAreTwoLockOwners) {
  CreateTable("LOCKSPL.DBF", {{"DUMMY", "C", 10, 0}});
  const std::string path = PathOf("LOCKSPL.DBF");
  ASSERT_GE(xb_UseEx(path.c_str(), "A", XB_OPEN_SHARED, 1, 1), 1);
  for (int i = 0; i < 3; ++i) AppendRecord(Record("          "));
  const int16_t a = xb_WorkArea("A");
  const int16_t b = xb_UseEx(path.c_str(), "B", XB_OPEN_READONLY, 1, 1);
  const int16_t c = xb_UseEx(path.c_str(), "C", XB_OPEN_READONLY, 1, 1);
  ASSERT_GE(b, 1);
  ASSERT_GE(c, 1);

  xb_Select(a);
  EXPECT_NE(xb_Unlock(0), 0) << "drops the lock of the appended record";
  EXPECT_NE(xb_Rlock(2), 0);
  xb_Select(b);
  EXPECT_EQ(xb_Rlock(2), 0);
  EXPECT_NE(xb_Rlock(3), 0);
  EXPECT_EQ(xb_Flock(), 0);
  xb_Select(a);
  EXPECT_EQ(xb_Rlock(3), 0) << "a refused file lock keeps the record locks";
  EXPECT_NE(xb_Unlock(2), 0);
  xb_Select(b);
  EXPECT_NE(xb_Rlock(2), 0);
  xb_Unlock(0);

  xb_Select(b);
  ASSERT_NE(xb_Flock(), 0);
  xb_Select(c);
  EXPECT_EQ(xb_Flock(), 0);
  EXPECT_EQ(xb_Rlock(1), 0);
  // Closing another area on the same file leaves B's lock alone.
  xb_Select(a);
  xb_Close();
  xb_Select(c);
  EXPECT_EQ(xb_Flock(), 0);
  xb_Select(b);
  xb_Close();
  xb_Select(c);
  EXPECT_NE(xb_Flock(), 0) << "closing an area releases its locks";
}

TEST_F(EngineTableTest, ExclusiveOpenKeepsOtherOpensOut) {
  CreateTable("EX.DBF", {{"DUMMY", "C", 10, 0}});
  const std::string path = PathOf("EX.DBF");
  ASSERT_GE(xb_UseEx(path.c_str(), "EX", XB_OPEN_EXCLUSIVE, 1, 1), 1);
  EXPECT_EQ(xb_UseEx(path.c_str(), "SHARED", XB_OPEN_SHARED, 1, 1), 0);
  EXPECT_EQ(xb_UseEx(path.c_str(), "READER", XB_OPEN_READONLY, 1, 1), 0);
  xb_Select(xb_WorkArea("EX"));
  xb_Close();
  ASSERT_GE(xb_UseEx(path.c_str(), "READER", XB_OPEN_READONLY, 1, 1), 1);
  EXPECT_EQ(xb_UseEx(path.c_str(), "EX", XB_OPEN_EXCLUSIVE, 1, 1), 0);
}

TEST_F(EngineTableTest, CreationReplacesOnlyATableNobodyHasOpen) {
  const std::string path = PathOf("LOCKSPL.DBF");
  WriteBytes(path, "not a table");
  CreateTable("LOCKSPL.DBF", {{"DUMMY", "C", 10, 0}});
  ASSERT_GE(xb_UseEx(path.c_str(), "HELD", XB_OPEN_READONLY, 1, 1), 1) << "damaged file replaced";
  const std::string before = ReadBytes(path);

  EXPECT_LT(xb_CreateNew(path.c_str(), "AGAIN", 1, 1), 0) << "another area has it open";
  EXPECT_EQ(xb_WorkArea("AGAIN"), 0);
  EXPECT_EQ(ReadBytes(path), before);
  xb_Select(xb_WorkArea("HELD"));
  xb_Close();
  EXPECT_GT(xb_CreateNew(path.c_str(), "AGAIN", 1, 1), 0);
}

TEST_F(EngineTableTest, OpenFailsForWhatIsNoTable) {
  CreateTable("T.DBF", {{"DUMMY", "C", 10, 0}});
  EXPECT_EQ(xb_UseEx(PathOf("MISSING.DBF").c_str(), "M", XB_OPEN_SHARED, 1, 1), 0);
  EXPECT_EQ(xb_UseEx(dir_.path().c_str(), "D", XB_OPEN_SHARED, 1, 1), 0) << "a folder";
  EXPECT_EQ(xb_UseEx("", "E", XB_OPEN_SHARED, 1, 1), 0);
  EXPECT_EQ(xb_UseEx(PathOf("T.DBF").c_str(), "T", 7, 1, 1), 0) << "unknown open mode";
  EXPECT_EQ(xb_UseEx(nullptr, "N", XB_OPEN_SHARED, 1, 1), 0);
  EXPECT_EQ(xb_WorkArea("T"), 0);
}

TEST_F(EngineTableTest, CreationRefusesFieldsItCannotStore) {
  const struct {
    std::vector<CreateFieldArgs> fields;
    const char* why;
  } cases[] = {
      {{{"1ABC", "C", 10, 0}}, "name must begin with a letter"},
      {{{"ELEVENCHARS", "C", 10, 0}}, "name longer than 10"},
      {{{"A B", "C", 10, 0}}, "blank in a name"},
      {{{"SAME", "C", 10, 0}, {"same", "N", 5, 0}}, "a name twice"},
      {{{"KIND", "X", 10, 0}}, "unknown type"},
      {{{"WIDE", "C", 300, 0}}, "character field wider than 254"},
      {{{"ZERO", "C", 0, 0}}, "no width"},
      {{{"NUM", "N", 5, 4}}, "no room for the point"},
  };
  for (const auto& c : cases) {
    const std::string path = PathOf("BAD.DBF");
    const int16_t area = xb_CreateNew(path.c_str(), "BAD", 1, 1);
    ASSERT_GT(area, 0);
    for (const CreateFieldArgs& field : c.fields) {
      xb_CreateField(field.name, field.type, field.width, field.decimals);
    }
    EXPECT_EQ(xb_CreateExec(), 0) << c.why;
    EXPECT_FALSE(FileExists(path)) << c.why;
    xb_Select(area);
    EXPECT_NE(xb_Close(), 0) << "the area being defined is given up";
  }
}

}  // namespace
}  // namespace cratemark::testing
