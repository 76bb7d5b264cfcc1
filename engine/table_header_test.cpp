// Files that are no sound table must fail to open, never crash the engine.
#include "engine/table_header.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

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
      {"unknown version", [](std::string& b) { b[0] = 0x02; },
       "its version byte 0x02 is not one of dBase III or IV, Clipper or FoxPro"},
      {"header length past the file end",
       [](std::string& b) {
         b[8] = '\xFF';
         b[9] = '\x7F';
       },
       "its header (32767 bytes) reaches past the end of the file (114 bytes)"},
      {"header length too short for a field",
       [](std::string& b) {
         b[8] = 40;
         b[9] = 0;
       },
       "its header length (40 bytes) cannot hold one field"},
      {"no terminator", [](std::string& b) { b[kTerminator] = 'X'; },
       "the descriptor of field 3 reaches past the header length"},
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
      {"field of width 0", [](std::string& b) { b[kFirstDescriptor + 16] = 0; },
       "field 1 (NAME) has width 0"},
      {"name without terminator",
       [](std::string& b) { b.replace(kFirstDescriptor, 11, "NAMEXXXXXXX"); },
       "the name of field 1 does not end within its 11 bytes"},
      {"empty name", [](std::string& b) { b[kFirstDescriptor] = '\0'; }, "field 1 has no name"},
      {"memo field without its memo file", [](std::string& b) { b[kSecondDescriptor + 11] = 'M'; },
       "BAD.DBT"},
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
