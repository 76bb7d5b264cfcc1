// How a table grows: a record count that a crash during another program's
// append left beyond the end of the file, and the lock bytes at
// 1,000,000,000 that no table's data may reach.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/byte_order.h"
#include "engine/testing/engine_fixture.h"
#include "engine/xbengine.h"

namespace cratemark::testing {
namespace {

using engine::ReadLe;
using engine::WriteLe;

constexpr std::size_t kHeaderLength = 32 + 32 + 1;  // one field
constexpr std::size_t kRecordLength = 5;            // marker and C(4)

class TableGrowthTest : public EngineTest {
 protected:
  // T.DBF with NAME C(4) and the records given, written through the engine.
  std::string CreateWithRecords(const std::vector<std::string>& names) {
    CreateTable("T.DBF", {{"NAME", "C", 4, 0}});
    const std::string path = PathOf("T.DBF");
    EXPECT_GE(xb_UseEx(path.c_str(), "T", XB_OPEN_SHARED, 1, 1), 1);
    for (const std::string& name : names) {
      EXPECT_GT(xb_AppendBlank(), 0);
      EXPECT_NE(xb_PutRecord((" " + name).c_str()), 0);
    }
    xb_Commit();
    xb_Close();
    return path;
  }

  static void SetCount(const std::string& path, std::uint32_t count) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    char bytes[4];
    WriteLe(bytes, count, 4);
    file.seekp(4);
    file.write(bytes, 4);
  }

  // Every record of the table at `path`, opened read-only.
  static std::vector<std::string> Walk(const std::string& path) {
    std::vector<std::string> records;
    EXPECT_GE(xb_UseEx(path.c_str(), "WALK", XB_OPEN_READONLY, 1, 1), 1);
    for (xb_GoTop(); !xb_Eof(); xb_Skip(1)) {
      std::string record(kRecordLength, '?');
      EXPECT_NE(xb_GetRecord(record.data()), 0);
      records.push_back(record);
    }
    xb_Close();
    return records;
  }
};

TEST_F(TableGrowthTest, CountBeyondTheFileOpensWithTheRecordsThatAreThere) {
  const struct {
    const char* left_behind;
    std::uint32_t count;
    std::string tail;  // in place of the end marker
  } cases[] = {
      {"a count one too high", 3, "\x1A"},
      {"half a record, no end marker", 3, " DD"},
      {"a count far too high", 70000, ""},
  };
  const std::vector<std::string> two = {" AAAA", " BBBB"};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.left_behind);
    const std::string path = CreateWithRecords({"AAAA", "BBBB"});
    std::filesystem::resize_file(path, kHeaderLength + 2 * kRecordLength);
    std::ofstream(path, std::ios::binary | std::ios::app) << c.tail;
    SetCount(path, c.count);

    EXPECT_EQ(Walk(path), two);

    // An append goes after the records that are there, under its locks.
    ASSERT_GE(xb_UseEx(path.c_str(), "T", XB_OPEN_SHARED, 1, 1), 1);
    const int16_t other = xb_UseEx(path.c_str(), "OTHER", XB_OPEN_SHARED, 1, 1);
    ASSERT_GE(other, 1);
    xb_Select(xb_WorkArea("T"));
    EXPECT_EQ(xb_RecCount(), 2);
    ASSERT_EQ(xb_AppendBlank(), 3);
    EXPECT_NE(xb_PutRecord(" CCCC"), 0);
    xb_Commit();
    xb_Select(other);
    EXPECT_EQ(xb_Rlock(3), 0) << "the new record is locked by its writer";
    CloseAllAreas();

    const std::string bytes = ReadBytes(path);
    EXPECT_EQ(ReadLe(bytes, 4, 4), 3u);
    EXPECT_EQ(bytes.size(), kHeaderLength + 3 * kRecordLength + 1);
    EXPECT_EQ(bytes.back(), '\x1A');
    EXPECT_EQ(Walk(path), (std::vector<std::string>{" AAAA", " BBBB", " CCCC"}));
    std::filesystem::remove(path);
  }
}

// The file is sparse: only its header and one record take room on disk.
TEST_F(TableGrowthTest, AppendThatWouldReachTheLockBytesIsRefused) {
  // The last count whose next record (and end marker) still ends below them.
  const std::uint32_t last_fitting = (1'000'000'000 - 1 - kHeaderLength) / kRecordLength - 1;
  const struct {
    std::uint32_t count;
    bool appends;
  } cases[] = {{last_fitting, true}, {last_fitting + 1, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.count);
    const std::string path = CreateWithRecords({});
    std::filesystem::resize_file(path, kHeaderLength + std::uint64_t{c.count} * kRecordLength + 1);
    SetCount(path, c.count);
    ASSERT_GE(xb_UseEx(path.c_str(), "T", XB_OPEN_SHARED, 1, 1), 1);
    ASSERT_EQ(xb_RecCount(), static_cast<int32_t>(c.count));
    const int32_t appended = xb_AppendBlank();
    CloseAllAreas();
    const std::uint64_t end = kHeaderLength + std::uint64_t{c.count + 1} * kRecordLength + 1;
    if (c.appends) {
      EXPECT_EQ(appended, static_cast<int32_t>(c.count + 1));
      EXPECT_EQ(std::filesystem::file_size(path), end);
      EXPECT_LE(end, 1'000'000'000u);
    } else {
      EXPECT_EQ(appended, 0);
      EXPECT_EQ(std::filesystem::file_size(path), end - kRecordLength);
      std::string header(8, '\0');
      std::ifstream(path, std::ios::binary).read(header.data(), 8);
      EXPECT_EQ(ReadLe(header, 4, 4), c.count);
    }
    std::filesystem::remove(path);
  }
}

}  // namespace
}  // namespace cratemark::testing
