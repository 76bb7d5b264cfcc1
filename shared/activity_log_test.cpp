#include "shared/activity_log.h"

#include <gtest/gtest.h>

#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/scoped_temp_dir.h"

namespace cratemark {
namespace {

const LocalTime kAfternoon{2026, 2, 3, 14, 5, 9, 0};
const LocalTime kMidnight{2026, 2, 3, 0, 0, 0, 0};

TEST(ActivityLogTest, LineIsDateTimeColonMessage) {
  EXPECT_EQ(
      LogLineText(kAfternoon, "! Starting service..."),
      ShortDateText(kAfternoon) + " " + LongTimeText(kAfternoon) + " : ! Starting service...");
  // At midnight exactly the time is left out.
  EXPECT_EQ(LogLineText(kMidnight, "-> Loading from x"),
            ShortDateText(kMidnight) + " : -> Loading from x");
  EXPECT_EQ(LogLineText(kMidnight, "a : b"), ShortDateText(kMidnight) + " : a : b");
}

TEST(ActivityLogTest, FileIsAFullCopyOfTheLinesWritten) {
  ScopedTempDir dir;
  ActivityLog log(dir.path());
  log.WriteAt(kAfternoon, "! Starting service...");
  log.WriteAt(kMidnight, "\xE2\x82\xAC 5");
  ASSERT_EQ(log.lines().size(), 2u);
  const std::string expected = log.lines()[0] + "\r\n" + log.lines()[1] + "\r\n";
  std::string ansi = ReadWholeFile(ActivityLogPath(dir.path()));
  EXPECT_EQ(ansi.substr(ansi.size() - 5), "\x80 5\r\n");  // ANSI code page, no mark
  EXPECT_EQ(ReadTextFile(ActivityLogPath(dir.path())).lines, log.lines());
  EXPECT_EQ(JoinLines(ReadTextFile(ActivityLogPath(dir.path())).lines), expected);
}

TEST(ActivityLogTest, RemovedFileComesBackWithEveryLine) {
  ScopedTempDir dir;
  ActivityLog log(dir.path());
  log.Write("! Starting service...");
  log.Write("! Stopping service...");
  EXPECT_TRUE(log.RemoveFile());
  EXPECT_FALSE(FileExists(ActivityLogPath(dir.path())));
  log.Write("! Starting service...");
  EXPECT_EQ(ReadTextFile(ActivityLogPath(dir.path())).lines.size(), 3u);
}

TEST(ActivityLogTest, LineWhoseWriteFailedIsInTheNextFile) {
  ScopedTempDir dir;
  ActivityLog log(dir.path());
  // A directory in the log file's place makes the write fail.
  CreateDirectories(ActivityLogPath(dir.path()));
  EXPECT_THROW(log.Write("lost?"), Error);
  EXPECT_EQ(log.lines().size(), 1u);
  std::filesystem::remove(ActivityLogPath(dir.path()));
  log.Write("next");
  const Lines lines = ReadTextFile(ActivityLogPath(dir.path())).lines;
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(lines[0].ends_with(" : lost?"));
}

}  // namespace
}  // namespace cratemark
