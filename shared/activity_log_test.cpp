#include "shared/activity_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/scoped_temp_dir.h"
#include "platform/text_file.h"

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
  ActivityLog log(SystemFileSystem(), dir.path());
  log.WriteAt(kAfternoon, "! Starting service...");
  log.WriteAt(kMidnight, "\xE2\x82\xAC 5");
  const Lines written = {LogLineText(kAfternoon, "! Starting service..."),
                         LogLineText(kMidnight, "\xE2\x82\xAC 5")};
  std::string ansi = ReadWholeFile(ActivityLogPath(dir.path()));
  EXPECT_EQ(ansi.substr(ansi.size() - 5), "\x80 5\r\n");  // ANSI code page, no mark
  EXPECT_EQ(ReadTextFile(SystemFileSystem(), ActivityLogPath(dir.path())).lines, written);
  EXPECT_EQ(ansi, EncodeText(JoinLines(written), TextEncoding::kAnsi));
}

// The file is appended to and kept under a second name rather than rewritten
// and deleted; after every step it must hold exactly what a whole rewrite of
// every line written so far would hold, or be absent where a deletion would
// leave it absent. Readers see only "Cratemark.txt".
TEST(ActivityLogTest, FileMatchesAWholeRewriteAcrossStartPauseContinueAndStop) {
  ScopedTempDir dir;
  const std::string path = ActivityLogPath(dir.path());
  WriteWholeFile(path, "left by an earlier process\r\n");
  const std::string kept = dir.path() + std::string(kActivityLogKeptFileName);
  WriteWholeFile(kept, "stale\r\n");

  ActivityLog log(SystemFileSystem(), dir.path());
  Lines expected;
  int line_number = 0;
  const auto write = [&] {
    const std::string message = "line " + std::to_string(++line_number);
    log.WriteAt(kAfternoon, message);
    expected.push_back(LogLineText(kAfternoon, message));
    EXPECT_EQ(ReadWholeFile(path), JoinLines(expected)) << "after " << message;
  };
  // start, three jobs' lines, pause, continue, more lines, stop.
  for (int i = 0; i < 5; ++i) write();
  EXPECT_TRUE(log.RemoveFile());
  EXPECT_FALSE(FileExists(path));
  EXPECT_FALSE(log.RemoveFile());  // a second pause finds nothing to take away
  write();
  for (int i = 0; i < 3; ++i) write();
  EXPECT_TRUE(log.RemoveFile());
  EXPECT_FALSE(FileExists(path));
  write();
  // Removed or replaced by someone else while the service runs: the next
  // line brings the file back with every line, as a whole rewrite did.
  std::filesystem::remove(path);
  write();
  WriteWholeFile(path, "replaced\r\n");
  write();
  std::filesystem::remove(kept);  // its second name removed: taken again
  write();
  EXPECT_TRUE(log.RemoveFile());
  EXPECT_FALSE(FileExists(path));
  write();
  EXPECT_EQ(log.pending_bytes(), 0u);
  // No temporary file is left: only the log and its second name.
  std::set<std::string> names;
  for (const DirectoryEntry& entry : ListDirectory(dir.path(), "*")) names.insert(entry.name);
  EXPECT_EQ(names, (std::set<std::string>{std::string(kActivityLogFileName),
                                          std::string(kActivityLogKeptFileName)}));
}

TEST(ActivityLogTest, RemoveBeforeTheFirstLineDeletesAnEarlierProcessFile) {
  ScopedTempDir dir;
  const std::string path = ActivityLogPath(dir.path());
  WriteWholeFile(path, "left by an earlier process\r\n");
  ActivityLog log(SystemFileSystem(), dir.path());
  EXPECT_TRUE(log.RemoveFile());
  EXPECT_FALSE(FileExists(path));
  log.WriteAt(kAfternoon, "first");
  EXPECT_EQ(ReadWholeFile(path), LogLineText(kAfternoon, "first") + "\r\n");
}

TEST(ActivityLogTest, LineWhoseWriteFailedIsInTheNextFile) {
  ScopedTempDir dir;
  ActivityLog log(SystemFileSystem(), dir.path());
  // A directory in the log file's place makes the write fail.
  CreateDirectories(ActivityLogPath(dir.path()));
  EXPECT_THROW(log.Write("lost?"), Error);
  EXPECT_GT(log.pending_bytes(), 0u);
  std::filesystem::remove(ActivityLogPath(dir.path()));
  log.Write("next");
  const Lines lines = ReadTextFile(SystemFileSystem(), ActivityLogPath(dir.path())).lines;
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(lines[0].ends_with(" : lost?"));
  EXPECT_EQ(log.pending_bytes(), 0u);
}

// The same once the file exists: a line that cannot be shown (a folder in
// the log's place) is shown with the next one, after every earlier line.
TEST(ActivityLogTest, LineThatCouldNotBeShownComesWithTheNextOne) {
  ScopedTempDir dir;
  const std::string path = ActivityLogPath(dir.path());
  ActivityLog log(SystemFileSystem(), dir.path());
  log.WriteAt(kAfternoon, "one");
  std::filesystem::remove(path);
  CreateDirectories(path);
  EXPECT_THROW(log.WriteAt(kAfternoon, "two"), Error);
  std::filesystem::remove(path);
  log.WriteAt(kAfternoon, "three");
  EXPECT_EQ(ReadWholeFile(path), LogLineText(kAfternoon, "one") + "\r\n" +
                                     LogLineText(kAfternoon, "two") + "\r\n" +
                                     LogLineText(kAfternoon, "three") + "\r\n");
}

}  // namespace
}  // namespace cratemark
