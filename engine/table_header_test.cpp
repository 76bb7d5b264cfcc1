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

TEST_F(MalformedTableTest, EachFlawMakesTheOpenFail) {
  const struct {
    const char* flaw;
    std::function<void(std::string&)> spoil;
  } cases[] = {
      {"empty file", [](std::string& b) { b.clear(); }},
      {"shorter than the fixed header", [](std::string& b) { b.resize(20); }},
      {"header cut off inside a descriptor", [](std::string& b) { b.resize(50); }},
      {"unknown version", [](std::string& b) { b[0] = 0x30; }},
      {"header length past the file end",
       [](std::string& b) {
         b[8] = '\xFF';
         b[9] = '\x7F';
       }},
      {"header length too short for a field",
       [](std::string& b) {
         b[8] = 40;
         b[9] = 0;
       }},
      {"no terminator", [](std::string& b) { b[kTerminator] = 'X'; }},
      {"record length longer than the fields", [](std::string& b) { b[10] = 9; }},
      {"record length shorter than the fields", [](std::string& b) { b[10] = 7; }},
      {"field past the record", [](std::string& b) { b[kSecondDescriptor + 16] = '\xF0'; }},
      {"field of width 0", [](std::string& b) { b[kFirstDescriptor + 16] = 0; }},
      {"name without terminator",
       [](std::string& b) { b.replace(kFirstDescriptor, 11, "NAMEXXXXXXX"); }},
      {"empty name", [](std::string& b) { b[kFirstDescriptor] = '\0'; }},
      {"memo field without its memo file", [](std::string& b) { b[kSecondDescriptor + 11] = 'M'; }},
  };
  for (const auto& c : cases) {
    std::string bytes = SoundTable();
    c.spoil(bytes);
    const std::string path = PathOf("BAD.DBF");
    WriteBytes(path, bytes);
    EXPECT_LT(xb_UseEx(path.c_str(), "BAD", XB_OPEN_SHARED, 1, 1), 1) << c.flaw;
    CloseAllAreas();
  }
}

TEST_F(MalformedTableTest, TablesOfOtherWritersOpen) {
  const struct {
    const char* variant;
    std::function<void(std::string&)> change;
  } cases[] = {
      {"as written", [](std::string&) {}},
      {"no end marker", [](std::string& b) { b.pop_back(); }},
      {"dBase IV version", [](std::string& b) { b[0] = static_cast<char>(0x8B); }},
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
