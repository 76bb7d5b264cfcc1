// The service's alerts: which observations raise them, what the command is
// given, and that the command's failures are told once.
#include <gtest/gtest.h>

#include <memory>

#include "platform/file_system.h"
#include "service/testing/recording_alert_runner.h"
#include "service/testing/site.h"
#include "shared/host_files.h"

namespace cratemark {
namespace {

using testing::kSep;
using testing::RecordingAlertRunner;
using testing::Site;

class ServiceAlerts : public ::testing::Test {
 protected:
  ServiceAlerts() { site_.alert_runner = runner_; }

  void Order(const std::string& name) {
    std::string job = name + "\r\n";
    for (int i = 1; i < 100; ++i) job += "\r\n";
    site_.Put("PreLabel" + kSep + name, job);
  }
  void Tick() {
    site_.clock.Advance(1000);
    module_->TimerTimer();
  }
  void Lock(const std::string& printer, const char* state) {
    site_.Put(printer + kSep + std::string(kLockTableFileName), state);
  }
  Lines AlertLines() const {
    Lines lines;
    for (const std::string& m : site_.Messages()) {
      if (m.starts_with("! Alert ") || m.starts_with("# The alert command")) lines.push_back(m);
    }
    return lines;
  }

  Site site_;
  std::shared_ptr<RecordingAlertRunner> runner_ = std::make_shared<RecordingAlertRunner>();
  std::unique_ptr<TsrvCratemark> module_;
};

TEST_F(ServiceAlerts, BackupOnceForABurstMarkedLabelsAndClearedWhenTheLabelPrinterServes) {
  site_.Put("LabelDesign.txt", "<Reference> <Backup>\r\n");
  Lock("Label1", "");  // nobody holds it: down
  module_ = site_.Start();
  for (const char* job : {"b.spl", "c.spl"}) Order(job);
  for (int i = 0; i < 3; ++i) Tick();
  EXPECT_EQ(ReadWholeFile(site_.P("Label2" + kSep + "a.spl")), "Ann BACKUP for Label1\r\n");
  EXPECT_EQ(ReadWholeFile(site_.P("Label2" + kSep + "c.spl")), "c.spl BACKUP for Label1\r\n");

  Lock("Label1", "held");  // its spooler is back
  Order("d.spl");
  Tick();
  Order("e.spl");
  Tick();
  EXPECT_EQ(ReadWholeFile(site_.P("Label1" + kSep + "d.spl")), "d.spl \r\n");
  EXPECT_EQ(AlertLines(),
            (Lines{"! Alert backup: Labels for Label1 print on the backup printer Label2: Label1 "
                   "is down",
                   "! Alert cleared: Labels print on Label1 again (over: backup)"}));
  ASSERT_EQ(runner_->runs.size(), 2u);
  EXPECT_EQ(runner_->runs[0],
            (std::vector<std::string>{"backup", "0", site_.P("PreLabel"),
                                      "Labels for Label1 print on the backup printer Label2: "
                                      "Label1 is down"}));
  EXPECT_EQ(runner_->runs[1][0], "cleared");
  // The event log gets each alert too.
  EXPECT_EQ(std::count_if(site_.reports.begin(), site_.reports.end(),
                          [](const std::string& r) { return r.starts_with("backup: "); }),
            1);
}

TEST_F(ServiceAlerts, StoppedWhenLabelsAreParked) {
  Lock("Label1", "");
  Lock("Label2", "");  // opens: down as well
  module_ = site_.Start();
  Tick();  // parked in Label1
  Order("b.spl");
  Tick();  // and again: still the same stop
  EXPECT_TRUE(site_.Has("Label1" + kSep + "b.spl"));
  ASSERT_EQ(runner_->Kinds(), (std::vector<std::string>{"stopped"}));
  EXPECT_EQ(runner_->runs[0][3], "No printer prints: the labels of a.spl wait in " +
                                     site_.P("Label1") + " until Label1 serves again");
}

TEST_F(ServiceAlerts, StoppedWhenAnOrderWaitsUndeliveredForAMinute) {
  Lock("Label2", "");
  module_ = site_.Start();
  // Labels that cannot be written anywhere: the order waits in its folder.
  site_.Remove("Label1");
  for (int i = 0; i < 55; ++i) Tick();
  EXPECT_TRUE(runner_->runs.empty());
  for (int i = 0; i < 30; ++i) Tick();
  EXPECT_TRUE(site_.Has("PreLabel" + kSep + "a.spl"));
  ASSERT_EQ(runner_->Kinds(), (std::vector<std::string>{"stopped"}));
  EXPECT_TRUE(runner_->runs[0][3].starts_with("The order " + site_.P("PreLabel" + kSep + "a.spl") +
                                              " has waited undelivered for "))
      << runner_->runs[0][3];
}

TEST_F(ServiceAlerts, HaltedWithTheStatusUntilItIsBackToZero) {
  site_.Remove("Label2");
  module_ = site_.Start();
  site_.Mkdir("Label2");
  site_.Put("CratemarkConfigChanged", "");
  Tick();
  EXPECT_EQ(AlertLines(), (Lines{"! Alert halted: The service takes no job (status 4): Printer "
                                 "\"Label2\" NOT configured",
                                 "! Alert cleared: The service takes jobs again (over: halted)"}));
  ASSERT_EQ(runner_->runs.size(), 2u);
  EXPECT_EQ(runner_->runs[0][1], "4");
  EXPECT_EQ(runner_->runs[1][1], "0");
}

TEST_F(ServiceAlerts, UnprintedForAnOrderOfAnotherLayout) {
  module_ = site_.Start();
  site_.Put("PreLabel" + kSep + "a.spl", "one line only\r\n");
  Tick();
  ASSERT_EQ(runner_->Kinds(), (std::vector<std::string>{"unprinted"}));
  EXPECT_TRUE(
      runner_->runs[0][3].starts_with("An order of another layout was not printed; it is "
                                      "kept as "));
}

TEST_F(ServiceAlerts, ACommandThatFailsTheSameWayIsToldOnce) {
  runner_->outcome = {false, "cannot start /nowhere: No such file or directory (2)"};
  Lock("Label1", "");
  module_ = site_.Start();
  Tick();  // backup
  site_.Remove("Label2");
  site_.Put("CratemarkConfigChanged", "");
  Tick();  // halted
  Tick();
  EXPECT_EQ(runner_->Kinds(), (std::vector<std::string>{"backup", "halted"}));
  const std::string failed =
      "# The alert command failed: cannot start /nowhere: No such file or directory (2)";
  const Lines lines = AlertLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), failed), 1) << ::testing::PrintToString(lines);
}

}  // namespace
}  // namespace cratemark
