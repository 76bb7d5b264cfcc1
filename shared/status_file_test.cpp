#include "shared/status_file.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/scoped_temp_dir.h"

namespace cratemark {
namespace {

TEST(StatusFileTest, HoldsOnlyTheLastCode) {
  ScopedTempDir dir;
  EXPECT_EQ(ReadStatusFile(SystemFileSystem(), dir.path()), std::nullopt);
  WriteStatusFile(SystemFileSystem(), dir.path(), kStatusDesignUnreadable);
  WriteStatusFile(SystemFileSystem(), dir.path(), kStatusDestDirMissing);
  EXPECT_EQ(ReadWholeFile(dir.path() + "Cratemark.err"), "2\r\n");
  EXPECT_EQ(ReadStatusFile(SystemFileSystem(), dir.path()), kStatusDestDirMissing);
  WriteStatusFile(SystemFileSystem(), dir.path(), kStatusOk);
  EXPECT_EQ(ReadStatusFile(SystemFileSystem(), dir.path()), kStatusOk);
}

TEST(StatusFileTest, ParsesWholeIntegersToTheirLow16Bits) {
  const struct {
    const char* line;
    std::optional<std::int16_t> code;
  } cases[] = {
      {"0", 0},
      {"5", 5},
      {"  3", 3},
      {"+4", 4},
      {"-1", -1},
      {"32767", 32767},
      {"-32768", -32768},
      {"32768", -32768},
      {"65537", 1},
      {"65536", 0},
      {"-65534", 2},
      {"2147483647", -1},
      {"2147483648", std::nullopt},
      {"", std::nullopt},
      {" ", std::nullopt},
      {"3 ", std::nullopt},
      {"x", std::nullopt},
      {"1.0", std::nullopt},
      {"-", std::nullopt},
      {"99999999999999999999", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseStatusCode(c.line), c.code) << '"' << c.line << '"';
}

TEST(StatusFileTest, UnreadableOrEmptyFileGivesNoCode) {
  ScopedTempDir dir;
  WriteWholeFile(StatusFilePath(dir.path()), "");
  EXPECT_EQ(ReadStatusFile(SystemFileSystem(), dir.path()), std::nullopt);
  const std::string utf16_line(
      "\xFF\xFE"
      "4\0\r\0\n\0",
      8);  // UTF-16 is read too
  WriteWholeFile(StatusFilePath(dir.path()), utf16_line);
  EXPECT_EQ(ReadStatusFile(SystemFileSystem(), dir.path()), 4);
}

}  // namespace
}  // namespace cratemark
