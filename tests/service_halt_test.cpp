// The real service where it must stop taking jobs: it says why in its log,
// its status and the journal, takes no job without the source printer's
// lock, lets a second service on its folder end at once, and keeps its log
// within its bound.
#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/file_system.h"
#include "platform/service_host.h"
#include "shared/activity_log.h"
#include "tests/service_e2e_harness.h"

namespace cratemark::e2e {
namespace {

class ServiceHalt : public ::testing::Test {
 protected:
  ProgramFolder folder_;

  void Order(const std::string& job) {
    ASSERT_EQ(RunTool(folder_.Sim({"order", folder_.Path("PreLabel"), job, "Ann|Soup"})), 0);
  }
  std::size_t LinesContaining(const std::string& part) {
    std::size_t count = 0;
    for (const std::string& message : folder_.LogMessages()) {
      if (message.find(part) != std::string::npos) ++count;
    }
    return count;
  }
  void StopsCleanly(Child& service) {
    ASSERT_TRUE(service.Running());
    service.Signal(SIGTERM);
    EXPECT_EQ(service.Wait(), 0);
  }
};

TEST_F(ServiceHalt, ASecondServiceOnTheFolderEndsAtOnceAndTouchesNothing) {
  folder_.SetUp();
  Child first = folder_.StartService();
  ASSERT_TRUE(WaitUntil([&] { return folder_.LogMessages().size() == kStartLines; }));
  const std::string log = folder_.ReadFile("Cratemark.txt");
  const std::string status = folder_.Status();
  Child second = folder_.StartService("/dev/null", folder_.Path("second.stderr"));
  EXPECT_EQ(second.Wait(), kExitFolderServed) << "an exit status the unit does not restart";
  EXPECT_NE(folder_.ReadFile("second.stderr").find("Another Cratemark service already serves"),
            std::string::npos)
      << folder_.ReadFile("second.stderr");
  EXPECT_EQ(folder_.ReadFile("Cratemark.txt"), log);
  EXPECT_EQ(folder_.Status(), status);
  Order("a.spl");
  EXPECT_TRUE(WaitUntil([&] { return !folder_.Exists("PreLabel/a.spl"); }));
  EXPECT_EQ(LinesContaining("-> Loading from"), 1u) << "delivered by the first only";
  StopsCleanly(first);
}

TEST_F(ServiceHalt, NoJobIsTakenWhileTolvansSpoolerStillServesTheSourcePrinter) {
  folder_.SetUp();
  const std::string messages = "PreLabel.spooler";
  if (!folder_.Exists("PreLabel/LOCKSPL.DBF")) {
    ASSERT_EQ(RunTool(folder_.Sim({"locktable", folder_.Path("PreLabel")})), 0);
  }
  Child spooler(folder_.Sim({"serve", folder_.Path("PreLabel"), "--hold"}), "/dev/null",
                folder_.Path(messages));
  ASSERT_TRUE(WaitUntil([&] {
    return folder_.ReadFile(messages).find("tolvansim: serving") != std::string::npos;
  })) << folder_.ReadFile(messages);
  Child service = folder_.StartService();
  ASSERT_TRUE(WaitUntil([&] { return folder_.Status() == "8"; }))
      << folder_.Status() << "\n"
      << JoinLines(folder_.LogMessages());
  EXPECT_EQ(LinesContaining("## Tolvan's spooler still serves PreLabel"), 1u);
  Order("a.spl");
  std::this_thread::sleep_for(2500ms);
  EXPECT_TRUE(folder_.Exists("PreLabel/a.spl")) << "taken from under Tolvan's spooler";
  EXPECT_EQ(LinesContaining("## Tolvan's spooler still serves PreLabel"), 1u) << "said once";
  spooler.Signal(SIGTERM);
  spooler.Wait();
  // Taken within a few seconds of the lock coming free.
  EXPECT_TRUE(WaitUntil([&] { return !folder_.Exists("PreLabel/a.spl"); }, 8000ms));
  EXPECT_EQ(folder_.Status(), "0");
  EXPECT_TRUE(folder_.LockHeld("PreLabel"));
  StopsCleanly(service);
}

TEST_F(ServiceHalt, AFailingReloadIsLoggedOnceAndTriedAgainUntilItWorks) {
  folder_.SetUp();
  Child service = folder_.StartService("/dev/null", folder_.Path("stderr"));
  ASSERT_TRUE(WaitUntil([&] { return folder_.LogMessages().size() == kStartLines; }));
  // A folder in place of the status file: the reload fails on its first step.
  std::filesystem::remove(folder_.Path("Cratemark.err"));
  std::filesystem::create_directories(folder_.Path("Cratemark.err/held"));
  folder_.WriteFile("CratemarkConfigChanged", "");
  ASSERT_TRUE(WaitUntil([&] { return LinesContaining("# The service takes no job") == 1; }));
  Order("a.spl");
  std::this_thread::sleep_for(4000ms);
  EXPECT_TRUE(folder_.Exists("PreLabel/a.spl"));
  EXPECT_EQ(LinesContaining("# The service takes no job"), 1u) << "logged once";
  EXPECT_LE(folder_.LogMessages().size(), kStartLines + 2)
      << "a retry that fails alike adds nothing";
  EXPECT_NE(folder_.ReadFile("stderr").find("Cratemark.err"), std::string::npos);
  std::filesystem::remove_all(folder_.Path("Cratemark.err"));
  EXPECT_TRUE(WaitUntil([&] { return !folder_.Exists("PreLabel/a.spl"); }, 20000ms));
  EXPECT_EQ(folder_.Status(), "0");
  StopsCleanly(service);
}

TEST_F(ServiceHalt, ALogPastItsBoundBecomesTheOldLogWithNoLineLostAndNoMomentWithoutIt) {
  // Thousands of log lines, each flushed to disk: on a memory file system,
  // so that the test takes a second rather than a minute.
  if (!std::filesystem::is_directory("/dev/shm")) GTEST_SKIP() << "no /dev/shm";
  const char* tmpdir = std::getenv("TMPDIR");
  const std::string saved = tmpdir ? tmpdir : "";
  setenv("TMPDIR", "/dev/shm", 1);
  ProgramFolder folder_;
  if (saved.empty()) {
    unsetenv("TMPDIR");
  } else {
    setenv("TMPDIR", saved.c_str(), 1);
  }
  folder_.SetUp();
  // Folders named like jobs cost one line each, all in one tick: a quick way
  // to more than the bound.
  const std::size_t name_length = 240;
  const std::size_t count = kActivityLogMaxBytes / (name_length + 60) + 500;
  for (std::size_t i = 0; i < count; ++i) {
    const std::string number = std::to_string(i);
    std::filesystem::create_directory(folder_.Path(
        "PreLabel/" + number + std::string(name_length - number.size() - 4, 'x') + ".spl"));
  }
  Child service = folder_.StartService();
  ASSERT_TRUE(WaitUntil([&] { return folder_.Exists("Cratemark.txt"); }));
  std::atomic<bool> done{false};
  std::atomic<int> missing{0};
  std::thread watcher([&] {
    while (!done) {
      if (!FileExists(folder_.Path("Cratemark.txt"))) ++missing;
      std::this_thread::sleep_for(100us);
    }
  });
  const auto skipped = [&] {
    const std::string both =
        folder_.ReadFile("Cratemark.old.txt") + folder_.ReadFile("Cratemark.txt");
    std::size_t lines = 0;
    for (std::size_t at = both.find("## Skipped "); at != std::string::npos;
         at = both.find("## Skipped ", at + 1)) {
      ++lines;
    }
    return lines;
  };
  EXPECT_TRUE(WaitUntil([&] { return skipped() == count; }, 20000ms))
      << skipped() << " of " << count;
  done = true;
  watcher.join();
  EXPECT_EQ(missing, 0) << "Cratemark.txt was missing while the service ran";
  EXPECT_TRUE(folder_.Exists("Cratemark.old.txt"));
  EXPECT_LE(StampOf(folder_.Path("Cratemark.txt")).size, kActivityLogMaxBytes);
  StopsCleanly(service);
  // The run's log survives the next start as the old log.
  Child again = folder_.StartService();
  ASSERT_TRUE(WaitUntil(
      [&] { return folder_.ReadFile("Cratemark.old.txt").find("Stopping") != std::string::npos; }));
  StopsCleanly(again);
}

}  // namespace
}  // namespace cratemark::e2e
