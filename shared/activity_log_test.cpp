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
  // No temporary file is left: only the log, its second name and the log
  // of the process before, kept as the old log.
  std::set<std::string> names;
  for (const DirectoryEntry& entry : ListDirectory(dir.path(), "*")) names.insert(entry.name);
  EXPECT_EQ(names, (std::set<std::string>{std::string(kActivityLogFileName),
                                          std::string(kActivityLogKeptFileName),
                                          std::string(kActivityLogOldFileName)}));
  EXPECT_EQ(ReadWholeFile(dir.path() + std::string(kActivityLogOldFileName)),
            "left by an earlier process\r\n");
}

TEST(ActivityLogTest, TheLastRunsLogSurvivesARestartAsTheOldLog) {
  const std::string old_name(kActivityLogOldFileName);
  struct Case {
    const char* name;
    bool shown, kept;  // which names the last run left
  };
  for (const Case& c :
       {Case{"ended without a stop", true, true}, Case{"stopped: only its kept name", false, true},
        Case{"from before the kept name", true, false}}) {
    SCOPED_TRACE(c.name);
    ScopedTempDir dir;
    {
      ActivityLog last_run(SystemFileSystem(), dir.path());
      last_run.WriteAt(kAfternoon, "last run");
    }
    const std::string path = ActivityLogPath(dir.path());
    const std::string kept = dir.path() + std::string(kActivityLogKeptFileName);
    if (!c.shown) std::filesystem::remove(path);
    if (!c.kept) std::filesystem::remove(kept);
    ActivityLog log(SystemFileSystem(), dir.path());
    log.WriteAt(kAfternoon, "this run");
    EXPECT_EQ(ReadWholeFile(dir.path() + old_name), LogLineText(kAfternoon, "last run") + "\r\n");
    EXPECT_EQ(ReadWholeFile(path), LogLineText(kAfternoon, "this run") + "\r\n");
    EXPECT_EQ(ReadWholeFile(kept), ReadWholeFile(path)) << "the kept name is this run's";
  }
}

TEST(ActivityLogTest, ALogAtItsBoundBecomesTheOldLogAndNoLineIsLost) {
  ScopedTempDir dir;
  const std::string path = ActivityLogPath(dir.path());
  const std::string old_path = dir.path() + std::string(kActivityLogOldFileName);
  const std::size_t line_size = LogLineText(kAfternoon, "line 00").size() + 2;
  ActivityLog log(SystemFileSystem(), dir.path(), /*max_bytes=*/5 * line_size);
  std::string all;
  for (int i = 0; i < 12; ++i) {
    const std::string message = "line " + std::string(i < 10 ? "0" : "") + std::to_string(i);
    log.WriteAt(kAfternoon, message);
    all += LogLineText(kAfternoon, message) + "\r\n";
    ASSERT_TRUE(FileExists(path)) << "the log is always there while the service runs";
    EXPECT_LE(StampOf(path).size, 5 * line_size);
    // The two files hold the newest lines, the old one first, none lost.
    const std::string both =
        (FileExists(old_path) ? ReadWholeFile(old_path) : "") + ReadWholeFile(path);
    EXPECT_TRUE(all.ends_with(both)) << i;
    EXPECT_GE(both.size(), std::min(all.size(), 6 * line_size));
  }
  // Stop and continue keep working on the new file.
  EXPECT_TRUE(log.RemoveFile());
  log.WriteAt(kAfternoon, "line 12");
  EXPECT_TRUE(ReadWholeFile(path).ends_with(LogLineText(kAfternoon, "line 12") + "\r\n"));
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
