// The alert command with the real service: CRATEMARK_ALERT_COMMAND names a
// script that records its arguments, one run a line.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "tests/service_e2e_harness.h"

namespace cratemark::e2e {
namespace {

class ServiceAlertE2e : public ::testing::Test {
 protected:
  ProgramFolder folder_;

  ~ServiceAlertE2e() override {
    unsetenv("CRATEMARK_ALERT_COMMAND");
    // A command still asleep is no business of the next test.
    const std::string pid = folder_.ReadFile("alert.pid");
    if (!pid.empty()) kill(std::stoi(pid), SIGKILL);
  }

  // Sets the command to a script that records "kind|status|folder|message"
  // and then runs `then` (shell text).
  void RecordingCommand(const std::string& then = "") {
    const std::string script = folder_.Path("alert.sh");
    folder_.WriteFile("alert.sh", "#!/bin/sh\necho $$ > '" + folder_.Path("alert.pid") +
                                      "'\nprintf '%s|%s|%s|%s\\n' \"$@\" >> '" +
                                      folder_.Path("alerts") + "'\n" + then);
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    // The words of the command are split as the unit's would be.
    setenv("CRATEMARK_ALERT_COMMAND", ("\"" + script + "\"").c_str(), 1);
  }

  // The recorded runs.
  Lines Alerts() const {
    Lines runs;
    for (const std::string& line : SplitLines(folder_.ReadFile("alerts"))) {
      if (!line.empty()) runs.push_back(line);
    }
    return runs;
  }
  // The recorded runs of `kind`.
  Lines AlertsOf(const std::string& kind) const {
    Lines runs = Alerts();
    std::erase_if(runs, [&](const std::string& run) { return !run.starts_with(kind + "|"); });
    return runs;
  }

  void Order(const std::string& job, const std::string& label = "Ann|Soup|hot") {
    ASSERT_EQ(RunTool(folder_.Sim({"order", folder_.Path("PreLabel"), job, label})), 0);
  }
  // The printer's lock table, held by nobody: its spooler is down.
  void Down(const std::string& printer) {
    ASSERT_EQ(RunTool(folder_.Sim({"locktable", folder_.Path(printer)})), 0);
  }
  Child Start() {
    Child service = folder_.StartService();
    EXPECT_TRUE(WaitUntil([&] { return folder_.Status() == "0"; }));
    return service;
  }
  int LogCount(const std::string& prefix) const {
    const Lines log = folder_.LogMessages();
    return static_cast<int>(std::count_if(
        log.begin(), log.end(), [&](const std::string& m) { return m.starts_with(prefix); }));
  }
};

TEST_F(ServiceAlertE2e, OneBackupAlertForABurstAndTheLabelsSaySo) {
  RecordingCommand();
  folder_.SetUp("PreLabel", "Label1", "Label2", "<Reference> <Backup>\r\n");
  Down("Label1");
  Child service = Start();
  for (const char* job : {"1.spl", "2.spl", "3.spl", "4.spl"}) Order(job);
  ASSERT_TRUE(WaitUntil([&] { return folder_.Exists("Label2/4.spl"); }));
  EXPECT_EQ(folder_.ReadFile("Label2/1.spl"), "Ann BACKUP for Label1\r\n");
  ASSERT_TRUE(WaitUntil([&] { return !Alerts().empty(); }));
  std::this_thread::sleep_for(1500ms);
  EXPECT_EQ(Alerts(), (Lines{"backup|0|" + folder_.Path("PreLabel") +
                             "|Labels for Label1 print on the backup printer Label2: Label1 is "
                             "down"}));
  EXPECT_EQ(LogCount("! Alert backup: "), 1);
}

TEST_F(ServiceAlertE2e, StoppedWhenNoPrinterPrintsAndClearedWhenTheLabelPrinterDoes) {
  RecordingCommand();
  folder_.SetUp();
  Down("Label1");
  Down("Label2");
  Child service = Start();
  Order("1.spl");
  ASSERT_TRUE(WaitUntil([&] { return !AlertsOf("stopped").empty(); }, 60s));
  EXPECT_TRUE(folder_.Exists("Label1/1.spl"));  // parked where it belongs

  Child spooler(folder_.Sim({"serve", folder_.Path("Label1"), "--hold"}));
  ASSERT_TRUE(WaitUntil([&] { return folder_.LockHeld("Label1"); }));
  Order("2.spl");
  ASSERT_TRUE(WaitUntil([&] { return !AlertsOf("cleared").empty(); }));
  EXPECT_EQ(AlertsOf("cleared"), (Lines{"cleared|0|" + folder_.Path("PreLabel") +
                                        "|Labels print on Label1 again (over: stopped)"}));
}

TEST_F(ServiceAlertE2e, HaltedOnUnreadableSettingsAndUnprintedForAnotherLayout) {
  RecordingCommand();
  folder_.SetUp();
  std::filesystem::remove(folder_.Path("Cratemark.cfg"));
  ASSERT_EQ(mkfifo(folder_.Path("Cratemark.cfg").c_str(), 0644), 0);
  Child service = folder_.StartService();
  ASSERT_TRUE(WaitUntil([&] { return !AlertsOf("halted").empty(); }));
  EXPECT_EQ(AlertsOf("halted"), (Lines{"halted|7|" + folder_.Path("PreLabel") +
                                       "|The service takes no job (status 7): Cratemark.cfg "
                                       "cannot be read"}));

  // The settings were written back; the console's Save & Activate.
  folder_.WriteFile("CratemarkConfigChanged", "");
  ASSERT_TRUE(WaitUntil([&] { return !AlertsOf("cleared").empty(); }));
  EXPECT_EQ(AlertsOf("cleared"), (Lines{"cleared|0|" + folder_.Path("PreLabel") +
                                        "|The service takes jobs again (over: halted)"}));

  ASSERT_EQ(RunTool(folder_.Sim({"lines", folder_.Path("PreLabel"), "half.spl", "150"})), 0);
  ASSERT_TRUE(WaitUntil([&] { return !AlertsOf("unprinted").empty(); }));
  EXPECT_EQ(AlertsOf("unprinted"),
            (Lines{"unprinted|0|" + folder_.Path("PreLabel") +
                   "|An order of another layout was not printed; it is kept as " +
                   folder_.Path("Unprinted/half.spl")}));
}

TEST_F(ServiceAlertE2e, ACommandThatSleepsHoldsUpNoLabel) {
  RecordingCommand("exec sleep 60\n");
  folder_.SetUp();
  Down("Label1");
  Child service = Start();
  Order("0.spl");  // goes to the backup: the command runs and sleeps
  ASSERT_TRUE(WaitUntil([&] { return !Alerts().empty(); }));
  for (const char* job : {"1.spl", "2.spl", "3.spl", "4.spl", "5.spl"}) {
    Order(job);
    EXPECT_TRUE(WaitUntil([&] { return folder_.Exists(std::string("Label2/") + job); }, 5s)) << job;
  }
}

TEST_F(ServiceAlertE2e, ACommandThatDoesNotExistIsOneLogLine) {
  setenv("CRATEMARK_ALERT_COMMAND", folder_.Path("no-such-alert").c_str(), 1);
  folder_.SetUp();
  Down("Label1");
  Down("Label2");
  Child service = Start();
  Order("1.spl");  // stopped
  ASSERT_EQ(RunTool(folder_.Sim({"lines", folder_.Path("PreLabel"), "half.spl", "150"})), 0);
  ASSERT_TRUE(WaitUntil([&] { return LogCount("! Alert unprinted") == 1; }));
  std::this_thread::sleep_for(1500ms);
  EXPECT_EQ(LogCount("# The alert command failed: cannot start " + folder_.Path("no-such-alert")),
            1);
}

TEST_F(ServiceAlertE2e, TestAlertRunsTheCommandOnceAndSaysWhatCameOfIt) {
  RecordingCommand();
  folder_.SetUp();
  const std::string out = folder_.Path("out");
  Child test({BinDir() + "CratemarkService", "--test-alert", "--program-dir", folder_.dir()}, out);
  EXPECT_EQ(test.Wait(), 0);
  EXPECT_EQ(folder_.ReadFile("out"),
            "The alert command \"" + folder_.Path("alert.sh") + "\" exited with status 0.\n");
  EXPECT_EQ(Alerts(), (Lines{"test|0|" + folder_.Path("PreLabel") +
                             "|A test of the alert command: no order is concerned."}));

  unsetenv("CRATEMARK_ALERT_COMMAND");
  Child none({BinDir() + "CratemarkService", "--test-alert", "--program-dir", folder_.dir()}, out,
             folder_.Path("err"));
  EXPECT_EQ(none.Wait(), 1);
  EXPECT_EQ(folder_.ReadFile("err"),
            "No alert command is set in the environment variable CRATEMARK_ALERT_COMMAND of the "
            "service's unit.\n");
}

}  // namespace
}  // namespace cratemark::e2e
