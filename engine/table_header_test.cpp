// Files that are no sound table must fail to open, never crash the engine.
#include "engine/table_header.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/testing/engine_fixture.h"

namespace cratemark::testing {
namespace {

using engine::EncodeTableHeader;
using engine::FieldDescriptor;
using engine::NewTableHeader;

// A sound table with fields C(4) and N(3,0) and two records.
std::string SoundTable() {
  auto header =
      NewTableHeader({FieldDescriptor{"NAME", 'C', 4, 0, 0}, FieldDescriptor{"QTY", 'N', 3, 0, 0}});
  header->record_count = 2;
  return EncodeTableHeader(*header) + " ab    1" + " cd    2" + "\x1A";
}

constexpr std::size_t kHeaderPrefix = 32;
constexpr std::size_t kFirstDescriptor = 32;
constexpr std::size_t kSecondDescriptor = 64;
constexpr std::size_t kTerminator = 96;

using MalformedTableTest = EngineTest;

TEST_F(MalformedTableTest, EachFlawMakesTheOpenFailAndSaysWhy) {
  const struct {
    const char* flaw;
    std::function<void(std::string&)> spoil;
    const char* reason;  // in xb_LastError
  } cases[] = {
      {"empty file", [](std::string& b) { b.clear(); }, "is shorter than a table header"},
      {"shorter than the fixed header", [](std::string& b) { b.resize(20); },
       "the file (20 bytes) is shorter than a table header (32 bytes)"},
      {"header cut off inside a descriptor", [](std::string& b) { b.resize(50); },
       "its header (97 bytes) reaches past the end of the file (50 bytes)"},
      // Each refusal names the format its version byte gives, in words.
      {"unknown version", [](std::string& b) { b[0] = 0x57; },
       "not a table the engine can open: its version byte 0x57 names no xBase table format"},
      {"FoxBASE", [](std::string& b) { b[0] = 0x02; },
       "a FoxBASE table (version byte 0x02), which the engine cannot open: the engine reads "
       "dBase III and IV, Clipper and FoxPro tables only"},
      {"dBase 7", [](std::string& b) { b[0] = 0x04; },
       "a dBase 7 table (version byte 0x04), which the engine cannot open: dBase 7 lays out its "
       "header"},
      {"dBase 7 with memo", [](std::string& b) { b[0] = static_cast<char>(0x8C); },
       "a dBase 7 table with a .DBT memo file (version byte 0x8C)"},
      {"header length past the file end",
       [](std::string& b) {
         b[8] = '\xFF';
         b[9] = '\x7F';
       },
       "a dBase III table (version byte 0x03), which the engine cannot open: its header (32767 "
       "bytes) reaches past the end of the file (114 bytes)"},
      {"header length shorter than the fixed part",
       [](std::string& b) {
         b[8] = 20;
         b[9] = 0;
       },
       "its header length (20 bytes) is shorter than the 32 bytes before the field descriptors"},
      {"header length inside the first descriptor",
       [](std::string& b) {
         b[8] = 40;
         b[9] = 0;
       },
       "the 0x0D byte that ends the field descriptors is missing: its header length (40 bytes) "
       "ends inside the descriptor of field 1"},
      {"no terminator", [](std::string& b) { b[kTerminator] = 'X'; },
       "the 0x0D byte that ends the field descriptors is missing: its header length (97 bytes) "
       "ends inside the descriptor of field 3"},
      {"header ending with the last descriptor",
       [](std::string& b) {
         b.erase(kTerminator, 1);
         b[8] = static_cast<char>(kTerminator);
       },
       "the 0x0D byte that ends the field descriptors is missing: its header length (96 bytes) "
       "ends after the descriptor of field 2"},
      {"record length zero",
       [](std::string& b) {
         b[10] = 0;
         b[11] = 0;
       },
       "its record length is 0"},
      {"record length longer than the fields", [](std::string& b) { b[10] = 9; },
       "the field widths and the delete marker add up to 8 bytes, the record length says 9"},
      {"record length shorter than the fields", [](std::string& b) { b[10] = 7; },
       "the widths of the fields up to field 2 (QTY) add up to more than the record length (7 "
       "bytes)"},
      {"field past the record", [](std::string& b) { b[kSecondDescriptor + 16] = '\xF0'; },
       "add up to more than the record length"},
      {"empty name", [](std::string& b) { b[kFirstDescriptor] = '\0'; }, "field 1 has no name"},
      // A missing memo file is named as it was looked for.
      {"memo field without its .DBT", [](std::string& b) { b[kSecondDescriptor + 11] = 'M'; },
       "its .DBT memo file \"BAD.DBT\" is missing"},
      {"FoxPro 2 memo field without its .FPT",
       [](std::string& b) {
         b[0] = static_cast<char>(0xF5);
         b[kSecondDescriptor + 11] = 'M';
       },
       "a FoxPro 2 table with an .FPT memo file (version byte 0xF5), which the engine cannot "
       "open: its .FPT memo file \"BAD.FPT\" is missing"},
  };
  for (const auto& c : cases) {
    std::string bytes = SoundTable();
    c.spoil(bytes);
    const std::string path = PathOf("BAD.DBF");
    WriteBytes(path, bytes);
    EXPECT_LT(xb_UseEx(path.c_str(), "BAD", XB_OPEN_SHARED, 1, 1), 1) << c.flaw;
    EXPECT_NE(std::string(xb_LastError()).find(c.reason), std::string::npos)
        << c.flaw << ": " << xb_LastError();
    CloseAllAreas();
  }
  // A later open that succeeds has nothing to say.
  const std::string path = PathOf("OK.DBF");
  WriteBytes(path, SoundTable());
  ASSERT_GE(xb_UseEx(path.c_str(), "OK", XB_OPEN_SHARED, 1, 1), 1);
  EXPECT_STREQ(xb_LastError(), "");
  CloseAllAreas();
}

TEST_F(MalformedTableTest, TablesOfOtherWritersOpen) {
  const struct {
    const char* variant;
    std::function<void(std::string&)> change;
  } cases[] = {
      {"as written", [](std::string&) {}},
      {"no end marker", [](std::string& b) { b.pop_back(); }},
      {"dBase IV version", [](std::string& b) { b[0] = static_cast<char>(0x8B); }},
      {"Visual FoxPro version", [](std::string& b) { b[0] = 0x30; }},
      {"FoxPro 2 version, no memo fields", [](std::string& b) { b[0] = static_cast<char>(0xF5); }},
      // Every reader takes a name that fills its 11 bytes whole.
      {"a name of 11 bytes without its zero",
       [](std::string& b) { b.replace(kFirstDescriptor, 11, "NAMEXXXXXXX"); }},
      // Types the engine does not know are carried, never a reason to refuse.
      {"FoxPro's currency and integer types",
       [](std::string& b) {
         b[kFirstDescriptor + 11] = 'Y';
         b[kSecondDescriptor + 11] = 'I';
       }},
      {"a padding byte after the terminator",
       [](std::string& b) {
         b.insert(kTerminator + 1, 1, '\0');
         b[8] = static_cast<char>(kTerminator + 2);
       }},
      {"garbage after the name's terminator",
       [](std::string& b) { b.replace(kFirstDescriptor + 5, 6, "qwerty"); }},
      // What a crash during another program's append leaves: the count went
      // up, the record never arrived. The records that are there count.
      {"record count past the file end", [](std::string& b) { b[4] = 3; }},
      {"huge record count", [](std::string& b) { b[7] = '\x7F'; }},
  };
  for (const auto& c : cases) {
    std::string bytes = SoundTable();
    c.change(bytes);
    const std::string path = PathOf("OK.DBF");
    WriteBytes(path, bytes);
    ASSERT_GE(xb_UseEx(path.c_str(), "OK", XB_OPEN_SHARED, 1, 1), 1) << c.variant;
    EXPECT_EQ(xb_RecCount(), 2) << c.variant;
    std::string record(8, '?');
    xb_GoBottom();
    xb_GetRecord(record.data());
    EXPECT_EQ(record, " cd    2") << c.variant;
    CloseAllAreas();
  }
}

// One field descriptor of a table made byte by byte: the name's bytes as
// they stand in the file (up to 11), the type, and bytes 16 and 17.
struct RawField {
  std::string name;
  char type;
  std::uint8_t width;
  std::uint8_t decimals;
};

std::string HandMadeTable(const std::vector<RawField>& fields, int record_length,
                          const std::string& records) {
  std::string bytes(kHeaderPrefix + 32 * fields.size() + 1, '\0');
  bytes[0] = 0x03;
  bytes[4] = static_cast<char>(records.size() / static_cast<std::size_t>(record_length));
  bytes[8] = static_cast<char>(bytes.size() & 0xFF);
  bytes[9] = static_cast<char>(bytes.size() >> 8);
  bytes[10] = static_cast<char>(record_length & 0xFF);
  bytes[11] = static_cast<char>(record_length >> 8);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::size_t at = kHeaderPrefix + 32 * i;
    bytes.replace(at, fields[i].name.size(), fields[i].name);
    bytes[at + 11] = fields[i].type;
    bytes[at + 16] = static_cast<char>(fields[i].width);
    bytes[at + 17] = static_cast<char>(fields[i].decimals);
  }
  bytes.back() = 0x0D;
  return bytes + records + "\x1A";
}

// What other readers take: a name filling all 11 bytes, a numeric field of
// width 0 (it holds nothing, so it reads as empty), and Clipper's and
// FoxPro's text wider than 255, whose high byte stands where decimals go.
TEST_F(MalformedTableTest, FieldShapesOtherReadersTakeOpen) {
  const std::string wide(300, 'w');
  const std::string record = " abc" + wide + "  7";
  WriteBytes(PathOf("SHAPES.DBF"), HandMadeTable({{"ELEVENCHARS", 'C', 3, 0},
                                                  {"EMPTY", 'N', 0, 0},
                                                  {"WIDE", 'C', 300 & 0xFF, 300 >> 8},
                                                  {"QTY", 'N', 3, 0}},
                                                 1 + 3 + 300 + 3, record));
  ASSERT_GE(xb_UseEx(PathOf("SHAPES.DBF").c_str(), "SHAPES", XB_OPEN_READONLY, 1, 1), 1)
      << xb_LastError();
  EXPECT_EQ(Structure(), (std::vector<std::string>{"ELEVENCHARS C 2 3 0", "EMPTY N 5 0 0",
                                                   "WIDE C 5 300 0", "QTY N 305 3 0"}));
  std::string read(static_cast<std::size_t>(xb_RecSize()), '?');
  EXPECT_NE(xb_GetRecord(read.data()), 0);
  EXPECT_EQ(read, record);
}

// Two fields of one name (a real table has "Point_ID" twice): a call by that
// name cannot tell which is meant, so it answers nothing and says why, never
// the other field's answer. Positions stay right.
TEST_F(MalformedTableTest, NameThatTwoFieldsShareAnswersNothingAndSaysWhy) {
  WriteBytes(PathOf("TWICE.DBF"),
             HandMadeTable({{"Point_ID", 'C', 7, 0}, {"Type", 'C', 3, 0}, {"Point_ID", 'N', 4, 1}},
                           1 + 7 + 3 + 4, " 0507121CMP40.1"));
  ASSERT_GE(xb_UseEx(PathOf("TWICE.DBF").c_str(), "TWICE", XB_OPEN_READONLY, 1, 1), 1);
  EXPECT_STREQ(xb_FieldName(1), "Point_ID");
  EXPECT_STREQ(xb_FieldName(3), "Point_ID");
  const std::string why =
      "The table has more than one field named \"point_id\" (fields 1 and 3): a call by that "
      "name cannot tell which is meant.";
  EXPECT_STREQ(xb_FieldType("point_id"), "");
  EXPECT_EQ(xb_LastError(), why);
  EXPECT_EQ(xb_FieldOffset("point_id"), 0);
  EXPECT_EQ(xb_FieldWidth("point_id"), 0);
  EXPECT_EQ(xb_FieldDecimals("point_id"), 0);
  EXPECT_EQ(xb_GetBlobLength("point_id"), 0);
  EXPECT_EQ(xb_LastError(), why);
  // Other names answer, and the reason goes with the call that had one.
  EXPECT_EQ(xb_FieldOffset("Type"), 9);
  EXPECT_STREQ(xb_LastError(), "");
  EXPECT_STREQ(xb_FieldType("NOSUCH"), "");
  EXPECT_STREQ(xb_LastError(), "The table has no field named \"NOSUCH\".");
}

TEST_F(MalformedTableTest, TableMarkedEncryptedOpensForReadingAndIsNeverWritten) {
  std::string bytes = SoundTable();
  bytes[15] = 1;
  const std::string path = PathOf("SECRET.DBF");
  WriteBytes(path, bytes);
  ASSERT_GE(xb_UseEx(path.c_str(), "SECRET", XB_OPEN_SHARED, 1, 1), 1);
  EXPECT_NE(xb_IsEncrypted(0), 0);
  std::string record(8, '?');
  xb_GoTop();
  EXPECT_NE(xb_GetRecord(record.data()), 0);
  EXPECT_EQ(record, " ab    1");
  EXPECT_EQ(xb_PutRecord(" zz    9"), 0);
  EXPECT_EQ(xb_Delete(), 0);
  EXPECT_EQ(xb_AppendBlank(), 0);
  CloseAllAreas();
  EXPECT_EQ(ReadBytes(path), bytes);
}

TEST(DbfHeaderTest, RecordCountAndHeaderLengthAreChecked) {
  const std::string bytes = SoundTable();
  ASSERT_TRUE(engine::ParseTableHeader(bytes, bytes.size()));
  EXPECT_EQ(engine::ParseTableHeader(bytes, bytes.size())->record_count, 2u);
  // The same header, with the file cut inside and before its last record:
  // whole records count.
  EXPECT_EQ(engine::ParseTableHeader(bytes, bytes.size() - 5)->record_count, 1u);
  EXPECT_EQ(engine::ParseTableHeader(bytes, bytes.size() - 9)->record_count, 1u);
  EXPECT_EQ(engine::ParseTableHeader(bytes, 97)->record_count, 0u);
  EXPECT_EQ(engine::ClaimedHeaderLength(bytes), 97u);
  EXPECT_EQ(engine::ClaimedHeaderLength(bytes.substr(0, 31)), 0u);
}

}  // namespace
}  // namespace cratemark::testing
