#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/alert_command.h"
#include "platform/file_system.h"
#include "platform/scoped_temp_dir.h"

namespace cratemark {
namespace {

using namespace std::chrono_literals;

class AlertCommandPosix : public ::testing::Test {
 protected:
  ScopedTempDir dir_;

  // A script in the temporary folder; returns its path.
  std::string Script(const std::string& name, const std::string& body) {
    const std::string path = dir_.path() + name;
    WriteWholeFile(path, "#!/bin/sh\n" + body);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
  }
};

TEST_F(AlertCommandPosix, RunsWithoutAShellAndTellsHowEachRunEnded) {
  const std::string record = dir_.path() + "args";
  const std::string ok =
      Script("ok", "for a in \"$@\"; do echo \"[$a]\"; done > '" + record + "'\n");
  const std::string fails = Script("fails", "exit 3\n");
  const struct {
    std::string command;
    bool succeeded;
    std::string description;
  } cases[] = {
      {"\"" + ok + "\" first", true, "exited with status 0"},
      {fails, false, "exited with status 3"},
      {dir_.path() + "missing", false,
       "cannot start " + dir_.path() + "missing: No such file or directory (2)"},
      {"", false, "cannot start: the command is empty"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    auto runner = MakeAlertCommandRunner(c.command);
    runner->Start({"backup", "0", "/srv/x y", "$(touch /tmp/no) ; `id` *"});
    const std::vector<AlertCommandResult> results = runner->WaitAll();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].succeeded, c.succeeded);
    EXPECT_EQ(results[0].description, c.description);
  }
  // Each argument arrives as one word, untouched by any shell.
  EXPECT_EQ(ReadWholeFile(record),
            "[first]\n[backup]\n[0]\n[/srv/x y]\n[$(touch /tmp/no) ; `id` *]\n");
}

TEST_F(AlertCommandPosix, ARunThatHangsNeverHoldsTheCallerAndIsEndedWithWhatItStarted) {
  const std::string pid_file = dir_.path() + "child.pid";
  const std::string hangs = Script("hangs", "sleep 60 &\necho $! > '" + pid_file + "'\nwait\n");
  auto runner = MakeAlertCommandRunner(hangs, 300ms);
  runner->Start({"stopped"});
  // Start returned with the command still running; polling never waits for it.
  EXPECT_TRUE(runner->Poll().empty());
  EXPECT_TRUE(runner->Busy());
  const std::vector<AlertCommandResult> results = runner->WaitAll();
  ASSERT_EQ(results.size(), 1u);
  EXPECT_FALSE(results[0].succeeded);
  EXPECT_EQ(results[0].description, "ran longer than 300 ms and was ended");
  // The sleep it started went with it.
  const pid_t child = std::stoi(ReadWholeFile(pid_file));
  // Gone, or a zombie waiting for whoever reaps orphans.
  auto ended = [&] {
    if (kill(child, 0) != 0) return true;
    const std::string stat = ReadWholeFile("/proc/" + std::to_string(child) + "/stat");
    return stat.find(") Z ") != std::string::npos;
  };
  bool gone = false;
  for (int i = 0; i < 100 && !gone; ++i) {
    gone = ended();
    if (!gone) std::this_thread::sleep_for(20ms);
  }
  EXPECT_TRUE(gone);
}

}  // namespace
}  // namespace cratemark
