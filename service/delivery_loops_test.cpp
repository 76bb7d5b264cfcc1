// Every operation of a delivery made to fail, and the power cut after each:
// whatever happens, the order is still in its folder, its labels are whole
// in a printer's folder, or its bytes are kept in "Unprinted". The copy kept
// in "Printed" is whole or absent, and never holds an order up.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "platform/error.h"
#include "platform/testing/fault_file_system.h"
#include "platform/testing/memory_file_system.h"
#include "service/srvMain.h"
#include "service/testing/folder_lock_table.h"
#include "service/testing/manual_clock.h"
#include "shared/change_marker.h"
#include "shared/printed_folder.h"
#include "shared/status_file.h"

namespace cratemark {
namespace {

using testing::FaultFileSystem;
using testing::FolderLockTable;
using testing::ManualClock;
using testing::MemoryFileSystem;

const std::string kDir = "/site/";

std::string Job(int lines, const std::string& reference) {
  std::string job = reference + "\r\n";
  for (int i = 1; i < lines; ++i) job += i == 20 ? "Soup\r\n" : "\r\n";
  return job;
}

// Runs `step`; a failure it throws is what the service host reports.
void Survive(const std::function<void()>& step) {
  try {
    step();
  } catch (const std::exception&) {
  }
}

// What a tick is made to do: the site it starts from.
struct Scenario {
  const char* name;
  std::function<void(MemoryFileSystem&)> arrange;
  bool reload;  // the tick reloads the settings first
  std::uint64_t log_bound = kActivityLogMaxBytes;
  // Done once the fault is gone, as a site's user would.
  std::function<void(MemoryFileSystem&)> afterwards = [](MemoryFileSystem&) {};
  // Ticks before the one that fails, with the host still writing.
  std::function<void(MemoryFileSystem&, TsrvCratemark&, ManualClock&)> lead_up =
      [](MemoryFileSystem&, TsrvCratemark&, ManualClock&) {};
  std::chrono::milliseconds quiet_time{0};
  std::string labels = "Ann\r\n";  // the order's labels
  std::string finished_job = "";   // once the lead-up is over; empty: as arranged
};

// A share whose file server's clock is `skew_ns` off this machine's, and
// that answers every lease with EAGAIN (its oplocks are off; Windows keeps
// its share modes there): the host writes one block, holding the job open,
// stalls 2 s, then writes the second. The failing tick is the one that
// finds the job complete.
Scenario NetworkShare(const char* name, std::int64_t skew_ns) {
  Scenario scenario{name,
                    [skew_ns](MemoryFileSystem& fs) {
                      fs.SetVolume({VolumeKind::kNetwork, "cifs", false});
                      if (LocalJobRule() == JobRule::kLease) {
                        fs.AnswerLeasesWith(LeaseAnswer::kWriterOpen);
                      }
                      fs.SetFileClockNs(ManualClock().FileTimeNowNs() + skew_ns);
                      fs.Put(kDir + "PreLabel/a.spl", Job(100, "Ann"));
                      fs.SetWriterOpen(kDir + "PreLabel/a.spl", true);
                    },
                    false};
  scenario.quiet_time = kJobQuietTime;
  scenario.labels = "Ann\r\nBob\r\n";
  scenario.lead_up = [](MemoryFileSystem& fs, TsrvCratemark& service, ManualClock& clock) {
    for (int tick = 0; tick < 3; ++tick) {
      Survive([&] { service.TimerTimer(); });
      clock.Advance(1000);
    }
    EXPECT_EQ(fs.Get(kDir + "PreLabel/a.spl"), Job(100, "Ann")) << "taken between two sittings";
    fs.Append(kDir + "PreLabel/a.spl", Job(100, "Bob"));
    fs.SetWriterOpen(kDir + "PreLabel/a.spl", false);
    if (LocalJobRule() == JobRule::kLease) {
      // The first look at the whole job; the failing tick finds it quiet.
      Survive([&] { service.TimerTimer(); });
      clock.Advance(kJobQuietTime.count());
    }
  };
  scenario.finished_job = Job(100, "Ann") + Job(100, "Bob");
  return scenario;
}

constexpr std::int64_t kHourNs = 3'600'000'000'000;

const Scenario kScenarios[] = {
    {"a delivery", [](MemoryFileSystem&) {}, false},
    {"a backup delivery",
     [](MemoryFileSystem& fs) { fs.Put(kDir + "Label1/LOCKSPL.DBF", ""); },  // nobody holds it
     false},
    {"a job of another layout",
     [](MemoryFileSystem& fs) { fs.Put(kDir + "PreLabel/a.spl", Job(150, "Ann")); }, false},
    {"a reload", [](MemoryFileSystem&) {}, true},
    {"a log that reaches its bound", [](MemoryFileSystem&) {}, false, /*log_bound=*/400},
    {"a source printer Tolvan's spooler still serves",
     [](MemoryFileSystem& fs) { fs.Put(kDir + "PreLabel/LOCKSPL.DBF", "held"); }, false,
     kActivityLogMaxBytes, [](MemoryFileSystem& fs) { fs.Put(kDir + "PreLabel/LOCKSPL.DBF", ""); }},
    // Keeping its copy in "Printed" first removes one past its day.
    {"a delivery that ages out a kept order",
     [](MemoryFileSystem& fs) {
       // The test clock starts a quarter of an hour after 1970: a day before it.
       const std::int64_t day_before = -100'000'000'000'000;
       fs.Put(kDir + "Printed/000000000007-" + std::to_string(day_before) + ".job",
              PrintedEntryBytes({day_before, "old.spl", PrintedWhere::kPrinter, "Label1"},
                                Job(100, "Ann")));
     },
     false},
    NetworkShare("a share whose clock is an hour behind, a host that stalls", -kHourNs),
    NetworkShare("a share whose clock is an hour ahead, a host that stalls", kHourNs),
};

void LaySite(MemoryFileSystem& fs, const Scenario& scenario) {
  fs.Put(kDir + "Cratemark.cfg",
         "SPLDirSource=PreLabel\r\nSPLDirDest=Label1\r\nSPLDirBackup=Label2\r\n");
  fs.Put(kDir + "LabelDesign.txt", "<Reference>\r\n");
  fs.Put(kDir + "Label1/LOCKSPL.DBF", "held");  // its spooler serves it
  fs.CreateDirectories(kDir + "Label2");
  fs.Put(kDir + "PreLabel/a.spl", Job(100, "Ann"));
  scenario.arrange(fs);
}

std::unique_ptr<TsrvCratemark> MakeService(FileSystem& fs, ManualClock& clock,
                                           const Scenario& scenario) {
  ServiceOptions options;
  options.log_max_bytes = scenario.log_bound;
  options.fs = &fs;
  options.clock = &clock;
  options.settle_time = std::chrono::milliseconds(0);
  options.quiet_time = scenario.quiet_time;
  options.report_error = [](EventKind, const std::string&) {};
  return std::make_unique<TsrvCratemark>(kDir, std::make_unique<FolderLockTable>(fs),
                                         std::make_unique<FolderLockTable>(fs), options);
}

// The order's labels are in a printer's folder, or its bytes in "Unprinted".
bool Delivered(MemoryFileSystem& fs, const std::string& job, const Scenario& scenario) {
  for (const char* printer : {"Label1", "Label2"}) {
    for (const std::string& name : fs.FileNames(kDir + printer)) {
      if (fs.Get(kDir + printer + "/" + name) == scenario.labels) return true;
    }
  }
  for (const std::string& name : fs.FileNames(kDir + "Unprinted")) {
    if (fs.Get(kDir + "Unprinted/" + name) == job) return true;
  }
  return false;
}

// Neither delivered nor still waiting in its folder.
bool Lost(MemoryFileSystem& fs, const std::string& job, const Scenario& scenario) {
  return !Delivered(fs, job, scenario) && fs.Get(kDir + "PreLabel/a.spl") != job;
}

// Every label file is whole (never one label of two), and the log holds
// whole lines.
void ExpectNothingHalfWritten(MemoryFileSystem& fs, const std::string& job,
                              const Scenario& scenario) {
  for (const char* printer : {"Label1", "Label2"}) {
    for (const std::string& name : fs.FileNames(kDir + printer)) {
      if (name.ends_with(".spl")) {
        EXPECT_EQ(fs.Get(kDir + printer + "/" + name), scenario.labels) << name;
      }
    }
  }
  if (fs.DirectoryExists(kDir + "Printed")) {
    for (const std::string& name : fs.FileNames(kDir + "Printed")) {
      if (!ParsePrintedEntryName(name)) continue;
      const auto bytes = fs.Get(kDir + "Printed/" + name);
      if (!bytes) continue;
      const auto entry = ParsePrintedEntry(*bytes);
      ASSERT_TRUE(entry) << name;
      EXPECT_EQ(entry->job_bytes, job) << name;
    }
  }
  for (const char* name : {"Cratemark.txt", "Cratemark.old.txt"}) {
    const auto log = fs.Get(kDir + name);
    if (log && !log->empty()) {
      EXPECT_TRUE(log->ends_with("\r\n")) << name;
    }
  }
}

// The ticks after a fault: the service goes on, and once the fault is gone
// the order comes out. A halt the fault caused ends as every halt does: the
// console's change marker reloads.
void RunOn(MemoryFileSystem& fs, TsrvCratemark& service, ManualClock& clock) {
  for (int tick = 0; tick < 8; ++tick) {
    if (service.Halted() && tick == 4) fs.Put(kDir + "CratemarkConfigChanged", "");
    clock.Advance(61'000);  // past any retry pause
    Survive([&] { service.TimerTimer(); });
  }
}

// The order as its host finished writing it.
std::string JobOf(const Scenario& scenario, MemoryFileSystem& fs) {
  if (!scenario.finished_job.empty()) return scenario.finished_job;
  return fs.Get(kDir + "PreLabel/a.spl").value_or("");
}

TEST(DeliveryLoops, FailingAnyOperationLosesNoOrder) {
  int operations = 0;
  int lost = 0;
  for (const Scenario& scenario : kScenarios) {
    for (bool from_then_on : {false, true}) {
      for (int n = 1;; ++n) {
        SCOPED_TRACE(std::string(scenario.name) + (from_then_on ? ", from " : ", once at ") +
                     std::to_string(n));
        MemoryFileSystem memory;
        LaySite(memory, scenario);
        FaultFileSystem fs(memory);
        ManualClock clock;
        auto service = MakeService(fs, clock, scenario);
        service->ServiceStart();
        scenario.lead_up(memory, *service, clock);
        const std::string job = JobOf(scenario, memory);
        if (scenario.reload) memory.Put(kDir + "CratemarkConfigChanged", "");
        fs.FailAt(n, from_then_on);
        Survive([&] { service->TimerTimer(); });
        const bool reached = fs.reached();
        if (Lost(memory, job, scenario)) ++lost;
        fs.Heal();
        scenario.afterwards(memory);
        RunOn(memory, *service, clock);
        if (Lost(memory, job, scenario)) ++lost;
        EXPECT_TRUE(Delivered(memory, job, scenario)) << "not delivered once the fault was gone";
        if (!reached && scenario.log_bound < kActivityLogMaxBytes) {
          EXPECT_TRUE(memory.Get(kDir + "Cratemark.old.txt")) << "the log never reached its bound";
        }
        ExpectNothingHalfWritten(memory, job, scenario);
        if (!reached) {
          operations += n - 1;
          break;
        }
      }
    }
  }
  std::printf("fault loop: %d operations, each failed once and from then on: %d orders lost\n",
              operations, lost);
  EXPECT_EQ(lost, 0);
}

TEST(DeliveryLoops, CuttingThePowerAfterAnyOperationLosesNoOrder) {
  int cut_points = 0;
  int lost = 0;
  for (const Scenario& scenario : kScenarios) {
    for (int n = 0;; ++n) {
      SCOPED_TRACE(std::string(scenario.name) + ", cut after " + std::to_string(n));
      MemoryFileSystem fs;
      LaySite(fs, scenario);
      ManualClock clock;
      std::string job;
      {
        auto service = MakeService(fs, clock, scenario);
        service->ServiceStart();
        scenario.lead_up(fs, *service, clock);
        job = JobOf(scenario, fs);
        if (scenario.reload) fs.Put(kDir + "CratemarkConfigChanged", "");
        fs.CutPowerAfter(n);
        Survive([&] { service->TimerTimer(); });
      }
      if (fs.CutIsDue()) fs.CutPowerNow();  // right after the tick's last operation
      if (!fs.PowerIsOff()) break;          // the tick ended before the cut
      ++cut_points;
      fs.PowerOn();
      if (Lost(fs, job, scenario)) ++lost;
      scenario.afterwards(fs);
      // The restart, on what survived.
      auto service = MakeService(fs, clock, scenario);
      Survive([&] { service->ServiceStart(); });
      RunOn(fs, *service, clock);
      if (Lost(fs, job, scenario)) ++lost;
      EXPECT_TRUE(Delivered(fs, job, scenario)) << "not delivered after the restart";
      ExpectNothingHalfWritten(fs, job, scenario);
    }
  }
  std::printf("crash loop: %d cut points: %d orders lost\n", cut_points, lost);
  EXPECT_EQ(lost, 0);
}

}  // namespace
}  // namespace cratemark
