// The real service program against a simulated Tolvan, across processes.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "tests/service_e2e_harness.h"

namespace cratemark::e2e {
namespace {

// The separator the service puts between a spool folder and a job name.
const std::string kSep = "/";

class ServiceE2e : public ::testing::Test {
 protected:
  ProgramFolder folder_;

  // Writes an order of `labels` blocks ("REF|ITEM|MOD...") into the source folder.
  void Order(const std::string& job, std::vector<std::string> labels,
             const std::string& source = "PreLabel") {
    std::vector<std::string> args{"order", folder_.Path(source), job};
    args.insert(args.end(), labels.begin(), labels.end());
    ASSERT_EQ(RunTool(folder_.Sim(args)), 0);
  }

  bool Gone(const std::string& path) { return !folder_.Exists(path); }

  // Starts the simulated spooler of `printer` (taking its jobs, or with
  // `hold` only holding its lock); returns once it holds the lock.
  Child Serve(const std::string& printer, bool hold) {
    const std::string messages = printer + ".spooler";
    std::vector<std::string> args{"serve", folder_.Path(printer)};
    if (hold) args.push_back("--hold");
    Child spooler(folder_.Sim(args), "/dev/null", folder_.Path(messages));
    WaitUntil([&] {
      return folder_.ReadFile(messages).find("tolvansim: serving") != std::string::npos ||
             !spooler.Running();
    });
    EXPECT_TRUE(spooler.Running())
        << printer << " could not be served: " << folder_.ReadFile(messages);
    return spooler;
  }

  // The log messages after the last "-> Loading from " line for `job`.
  Lines AfterLoading(const std::string& job) {
    Lines log = folder_.LogMessages();
    const std::string loading = "-> Loading from " + folder_.dir() + "PreLabel" + kSep + job;
    auto it = std::find(log.rbegin(), log.rend(), loading);
    if (it == log.rend()) return {"(no loading line)"};
    return Lines(it.base(), log.end());
  }

  bool LogHas(const std::string& message) {
    Lines log = folder_.LogMessages();
    return std::find(log.begin(), log.end(), message) != log.end();
  }
};

TEST_F(ServiceE2e, FirstStartInAnEmptyFolderWritesDefaultsAndReportsMissingPrinters) {
  Child service = folder_.StartService();
  // Status codes come in the order 0, 5, 4, 1, 2; the last is final.
  ASSERT_TRUE(WaitUntil([&] { return folder_.Status() == "2"; }));
  EXPECT_EQ(folder_.ReadFile("Cratemark.cfg"),
            "SPLDirSource=PreLabel\r\nSPLDirDest=Label1\r\nSPLDirBackup=Label2\r\n"
            "LabelsText=Labels\r\nTimeText=Time:\r\nMapText=Map:\r\nTotalText=Total:\r\n");
  const std::string d = folder_.dir();
  const std::string not_found = "    Directory not found! Please setup a printer";
  // The halt's alert is the last line, written just after the status.
  const std::string alert =
      "! Alert halted: The service takes no job (status 2): Printer \"Label1\" NOT configured";
  ASSERT_TRUE(WaitUntil([&] { return LogHas(alert); }));
  EXPECT_EQ(folder_.LogMessages(),
            (Lines{"! Starting service...", "! Source Spool Directory is: \"" + d + "PreLabel\"",
                   not_found, "! Destination Spool Directory is: \"" + d + "Label1\"", not_found,
                   "! Backup Spool Directory is: \"" + d + "Label2\"", not_found,
                   "# The service takes no job: Cannot open file \"" + d +
                       "Cratemark.cfg\". No such file or directory (2) The settings in use were "
                       "written back. Check the printers and press Save & Activate.",
                   alert}));

  service.Signal(SIGTERM);
  EXPECT_EQ(service.Wait(), 0);
  EXPECT_FALSE(folder_.Exists("Cratemark.txt"));
}

TEST_F(ServiceE2e, EveryDeliveryOutcome) {
  folder_.SetUp();
  const std::string d = folder_.dir();
  const std::string dest = d + "Label1", backup = d + "Label2";
  Child service = folder_.StartService();
  ASSERT_TRUE(WaitUntil([&] { return folder_.Status() == "0"; }));

  auto deliver = [&](const std::string& job) {
    Order(job, {"Ann|Soup|hot"});
    EXPECT_TRUE(WaitUntil([&] { return Gone("PreLabel/" + job); })) << job;
    EXPECT_TRUE(WaitUntil([&] { return LogHas("-- Deleting " + d + "PreLabel" + kSep + job); }));
    std::this_thread::sleep_for(100ms);  // the tick's last line, if any
  };
  const std::string down1 = "## Spooler is down for printer: Label1";

  {  // Destination served: its spooler holds the lock.
    Child spooler = Serve("Label1", /*hold=*/true);
    deliver("a.spl");
    EXPECT_TRUE(folder_.Exists("Label1/a.spl"));
    EXPECT_EQ(AfterLoading("a.spl"), (Lines{"++ Sending to " + dest + kSep + "a.spl",
                                            "-- Deleting " + d + "PreLabel" + kSep + "a.spl"}));
    spooler.Signal(SIGTERM);
    spooler.Wait();
  }

  // From here the destination has a lock table nobody holds: down.
  deliver("b.spl");  // backup without lock table, without marker: used
  EXPECT_TRUE(folder_.Exists("Label2/b.spl"));
  EXPECT_EQ(AfterLoading("b.spl"),
            (Lines{down1, "! Trying backup printer...", "++ Sending to " + backup + kSep + "b.spl",
                   "-- Deleting " + d + "PreLabel" + kSep + "b.spl",
                   "! Alert backup: Labels for Label1 print on the backup printer Label2: Label1 "
                   "is down"}));

  ASSERT_EQ(RunTool(folder_.Sim({"down", backup})), 0);  // backup marker: problem
  deliver("c.spl");
  EXPECT_TRUE(folder_.Exists("Label1/c.spl"));
  EXPECT_EQ(AfterLoading("c.spl"),
            (Lines{down1, "! Trying backup printer...", "# Problem sending to " + backup,
                   "  Please check TolvanSpool and Printer.", "! Sending order back to " + dest,
                   "! Labels will resume printing when the problem is resolved",
                   "++ Sending to " + dest + kSep + "c.spl",
                   "-- Deleting " + d + "PreLabel" + kSep + "c.spl",
                   "! Alert stopped: No printer prints: the labels of c.spl wait in " + dest +
                       " until Label1 serves again",
                   "# Failed to print..."}));
  ASSERT_EQ(RunTool(folder_.Sim({"up", backup})), 0);

  ASSERT_EQ(RunTool(folder_.Sim({"locktable", backup})), 0);  // backup lock table, no spooler
  deliver("e.spl");
  EXPECT_TRUE(folder_.Exists("Label1/e.spl"));
  EXPECT_EQ(AfterLoading("e.spl"),
            (Lines{down1, "! Trying backup printer...", "## Spooler is down for printer: Label2",
                   "! Sending order back to " + dest,
                   "! Labels will resume printing when the problem is resolved",
                   "++ Sending to " + dest + kSep + "e.spl",
                   "-- Deleting " + d + "PreLabel" + kSep + "e.spl", "# Failed to print..."}));

  {  // A backup whose spooler holds its lock is used.
    Child spooler = Serve("Label2", /*hold=*/true);
    deliver("f.spl");
    EXPECT_TRUE(folder_.Exists("Label2/f.spl"));
    EXPECT_EQ(AfterLoading("f.spl"), (Lines{down1, "! Trying backup printer...",
                                            "++ Sending to " + backup + kSep + "f.spl",
                                            "-- Deleting " + d + "PreLabel" + kSep + "f.spl"}));
  }

  {  // A marker downs a destination even while its spooler holds the lock.
    Child spooler = Serve("Label1", /*hold=*/true);
    ASSERT_EQ(RunTool(folder_.Sim({"down", dest})), 0);
    deliver("g.spl");
    EXPECT_EQ(AfterLoading("g.spl").front(), down1);
  }

  // The service keeps no check table open: spoolers can take both printers.
  ASSERT_EQ(RunTool(folder_.Sim({"up", dest})), 0);
  Serve("Label1", /*hold=*/false);
  Serve("Label2", /*hold=*/false);
}

TEST_F(ServiceE2e, ReloadWhileHaltedHandlesTheWaitingJobInTheSameTick) {
  folder_.SetUp();
  std::filesystem::remove(folder_.Path("LabelDesign.txt"));
  Child service = folder_.StartService();
  ASSERT_TRUE(WaitUntil([&] { return folder_.Status() == "5"; }));
  Order("wait.spl", {"Ann|Soup"});
  std::this_thread::sleep_for(1500ms);
  EXPECT_TRUE(folder_.Exists("PreLabel/wait.spl"));  // halted

  folder_.WriteFile("LabelDesign.txt", "<Reference>\r\n");
  folder_.WriteFile("CratemarkConfigChanged", "");
  ASSERT_TRUE(WaitUntil([&] { return Gone("PreLabel/wait.spl"); }));
  EXPECT_FALSE(folder_.Exists("CratemarkConfigChanged"));
  EXPECT_EQ(folder_.Status(), "0");
  Lines log = folder_.LogMessages();
  auto reload = std::find(log.rbegin(), log.rend(), "! Starting service...").base() - 1;
  ASSERT_GE(log.end() - reload, 6);
  EXPECT_EQ(reload[4], "! Alert cleared: The service takes jobs again (over: halted)");
  EXPECT_EQ(reload[5], "-> Loading from " + folder_.dir() + "PreLabel" + kSep + "wait.spl");
  EXPECT_EQ(folder_.ReadFile("Label1/wait.spl"), "Ann\r\n");
}

TEST_F(ServiceE2e, PauseRemovesTheLogAndContinueBringsBackEveryLine) {
  folder_.SetUp();
  Child service = folder_.StartService();
  ASSERT_TRUE(WaitUntil([&] { return folder_.LogMessages().size() == kStartLines; }));
  const Lines before = folder_.LogMessages();

  service.Signal(SIGUSR1);
  ASSERT_TRUE(WaitUntil([&] { return !folder_.Exists("Cratemark.txt"); }));
  Order("paused.spl", {"Ann|Soup"});
  std::this_thread::sleep_for(1500ms);
  EXPECT_TRUE(folder_.Exists("PreLabel/paused.spl"));

  service.Signal(SIGUSR2);
  ASSERT_TRUE(WaitUntil([&] { return Gone("PreLabel/paused.spl"); }));
  Lines log = folder_.LogMessages();
  ASSERT_GT(log.size(), 2 * kStartLines + 1);
  EXPECT_EQ(Lines(log.begin(), log.begin() + kStartLines), before);
  EXPECT_EQ(log[kStartLines], "! Stopping service...");
  EXPECT_EQ(log[kStartLines + 1], "! Starting service...");

  service.Signal(SIGTERM);
  EXPECT_EQ(service.Wait(), 0);
  EXPECT_FALSE(folder_.Exists("Cratemark.txt"));
}

TEST_F(ServiceE2e, AStopWhoseLogLineCannotBeWrittenStillStops) {
  folder_.SetUp();
  Child service = folder_.StartService("/dev/null", folder_.Path("stderr"));
  ASSERT_TRUE(WaitUntil([&] { return folder_.LogMessages().size() == kStartLines; }));
  // A folder in place of the log file: the stop's log line cannot be written.
  std::filesystem::remove(folder_.Path("Cratemark.txt"));
  std::filesystem::create_directories(folder_.Path("Cratemark.txt/held"));
  service.Signal(SIGTERM);
  EXPECT_EQ(service.Wait(), 0);
  EXPECT_NE(folder_.ReadFile("stderr").find("Cratemark.txt"), std::string::npos)
      << "the log's failure goes to the journal: " << folder_.ReadFile("stderr");
}

TEST_F(ServiceE2e, AFailedStartEndsTheProcessWithAFailureStatus) {
  folder_.SetUp();
  // A folder in place of the status file: the start-up configuration fails.
  std::filesystem::create_directories(folder_.Path("Cratemark.err/held"));
  Child service = folder_.StartService("/dev/null", folder_.Path("stderr"));
  EXPECT_NE(service.Wait(), 0);  // systemd restarts it on failure
  EXPECT_NE(folder_.ReadFile("stderr").find("srvCratemark: Service failed on start: "),
            std::string::npos)
      << folder_.ReadFile("stderr");
}

TEST_F(ServiceE2e, JobsOfAnyLengthAndEncoding) {
  folder_.SetUp();
  Child service = folder_.StartService();
  ASSERT_TRUE(WaitUntil([&] { return folder_.Status() == "0"; }));
  const std::string warning =
      "## WARNING: Label Setup in Tolvan does not seem to be compatible with Cratemark ##";
  auto handled = [&](const std::string& job) {
    return WaitUntil([&] { return Gone("PreLabel/" + job) && folder_.Exists("Label1/" + job); });
  };

  ASSERT_EQ(RunTool(folder_.Sim({"lines", folder_.Path("PreLabel"), "zero.spl", "0"})), 0);
  ASSERT_TRUE(handled("zero.spl"));
  EXPECT_EQ(folder_.ReadFile("Label1/zero.spl"), "");
  EXPECT_FALSE(LogHas(warning));

  // Another layout: kept, bytes unchanged, in Unprinted; nothing reaches the printer.
  ASSERT_EQ(RunTool(folder_.Sim({"lines", folder_.Path("PreLabel"), "half.spl", "150"})), 0);
  const std::string half = folder_.ReadFile("PreLabel/half.spl");
  ASSERT_TRUE(WaitUntil([&] { return Gone("PreLabel/half.spl"); }));
  EXPECT_EQ(folder_.ReadFile("Unprinted/half.spl"), half);
  EXPECT_FALSE(folder_.Exists("Label1/half.spl"));
  EXPECT_TRUE(LogHas(warning));
  EXPECT_TRUE(LogHas("## Not printed: kept as " + folder_.dir() + "Unprinted" + kSep + "half.spl"));

  Order("three.spl", {"Ann|Soup|hot", "Bob|Tea", "Cy|Pie|cream"});
  ASSERT_TRUE(handled("three.spl"));
  EXPECT_EQ(folder_.ReadFile("Label1/three.spl"), "Ann/Soup/hot\r\nBob/Tea/\r\nCy/Pie/cream\r\n");

  ASSERT_EQ(RunTool(folder_.Sim({"order", folder_.Path("PreLabel"), "wide.spl", "--utf16",
                                 "Zoë|Crème brûlée|extra"})),
            0);
  ASSERT_TRUE(handled("wide.spl"));
  // Written back in the ANSI code page (Windows-1252).
  EXPECT_EQ(folder_.ReadFile("Label1/wide.spl"), "Zo\xEB/Cr\xE8me br\xFBl\xE9\x65/extra\r\n");
}

TEST_F(ServiceE2e, DesignGoneWhenAJobComesHaltsWithStatus5AndKeepsTheJob) {
  folder_.SetUp();
  Child service = folder_.StartService();
  // Started and configured: status 0 comes before the design is checked.
  ASSERT_TRUE(WaitUntil([&] { return folder_.LogMessages().size() == kStartLines; }));
  std::filesystem::remove(folder_.Path("LabelDesign.txt"));
  Order("kept.spl", {"Ann|Soup", "Bob|Tea", "Cy|Pie"});
  ASSERT_TRUE(WaitUntil([&] { return LogHas("# Failed to print..."); }));
  EXPECT_EQ(folder_.Status(), "5");
  std::this_thread::sleep_for(1200ms);
  // Halted: delivery refused, and no later tick takes the job up again.
  EXPECT_EQ(AfterLoading("kept.spl"),
            (Lines{"# Failed to print...",
                   "! Alert halted: The service takes no job (status 5): LabelDesign.txt does not "
                   "exist."}));
  EXPECT_TRUE(folder_.Exists("PreLabel/kept.spl"));
  EXPECT_FALSE(folder_.Exists("Label1/kept.spl"));
}

TEST_F(ServiceE2e, FoldersNamedLikeJobsArePassedOver) {
  folder_.SetUp();
  std::filesystem::create_directories(folder_.Path("PreLabel/aaa.spl"));
  Child service = folder_.StartService();
  ASSERT_TRUE(WaitUntil([&] { return folder_.Status() == "0"; }));
  Order("zzz.spl", {"Ann|Soup"});
  ASSERT_TRUE(WaitUntil([&] { return Gone("PreLabel/zzz.spl"); }));
  EXPECT_TRUE(folder_.Exists("Label1/zzz.spl"));
}

TEST_F(ServiceE2e, AJobStillGrowingIsLeftUntilItSettles) {
  folder_.SetUp();
  Child service = folder_.StartService();
  ASSERT_TRUE(WaitUntil([&] { return folder_.Status() == "0"; }));
  // The host writes the job in pieces, 300 ms apart, over 2.4 s.
  Lines job(100);
  job[0] = "Ann";
  job[20] = "Soup";
  const std::string text = JoinLines(job);
  const std::string path = folder_.Path("PreLabel/slow.spl");
  for (std::size_t part = 0; part < 8; ++part) {
    std::ofstream(path, std::ios::binary | std::ios::app) << text.substr(
        part * text.size() / 8, (part + 1) * text.size() / 8 - part * text.size() / 8);
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(folder_.Exists("PreLabel/slow.spl")) << "taken while being written";
  }
  ASSERT_TRUE(WaitUntil([&] { return Gone("PreLabel/slow.spl"); }));
  EXPECT_EQ(folder_.ReadFile("Label1/slow.spl"), "Ann/Soup/\r\n");
}

TEST_F(ServiceE2e, AHostThatStallsMidJobLosesNoLine) {
  folder_.SetUp();
  Child service = folder_.StartService();
  ASSERT_TRUE(WaitUntil([&] { return folder_.Status() == "0"; }));
  Lines job(200);
  job[0] = "Ann";
  job[20] = "Soup";
  job[100] = "Bob";
  job[120] = "Tea";
  const std::string text = JoinLines(job);
  const auto upto = [&](std::size_t line) {
    std::size_t at = 0;
    for (std::size_t i = 0; i < line; ++i) at = text.find("\r\n", at) + 2;
    return at;
  };
  struct Case {
    const char* name;
    std::size_t first_lines;  // written before the stall
    bool stays_open;          // the host keeps the file open through the stall
  };
  // Held open: the job has a writer (a lease refused) and waits. Closed
  // between two sittings: a layout that does not fit waits for quiet.
  const Case cases[] = {{"150 lines, held open", 150, true},
                        {"a whole block, held open", 100, true},
                        {"150 lines, closed in between", 150, false}};
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string name = "stall" + std::to_string(n++) + ".spl";
    const std::string path = folder_.Path("PreLabel/" + name);
    {
      std::ofstream host(path, std::ios::binary);
      host << text.substr(0, upto(c.first_lines)) << std::flush;
      if (c.stays_open) {
        std::this_thread::sleep_for(2000ms);
        ASSERT_TRUE(folder_.Exists("PreLabel/" + name)) << "taken while held for writing";
        host << text.substr(upto(c.first_lines));
      }
    }
    if (!c.stays_open) {
      std::this_thread::sleep_for(2000ms);
      ASSERT_TRUE(folder_.Exists("PreLabel/" + name)) << "taken between two sittings";
      std::ofstream(path, std::ios::binary | std::ios::app) << text.substr(upto(c.first_lines));
    }
    ASSERT_TRUE(WaitUntil([&] { return Gone("PreLabel/" + name); }, 15000ms));
    EXPECT_EQ(folder_.ReadFile("Label1/" + name), "Ann/Soup/\r\nBob/Tea/\r\n");
    EXPECT_FALSE(folder_.Exists("Unprinted/" + name));
  }
}

TEST_F(ServiceE2e, ANameUsedTwiceNeverReplacesLabelsThatWait) {
  folder_.SetUp();
  // Both printers down: labels wait in the label printer's folder.
  ASSERT_EQ(RunTool(folder_.Sim({"locktable", folder_.Path("Label1")})), 0);
  ASSERT_EQ(RunTool(folder_.Sim({"locktable", folder_.Path("Label2")})), 0);
  // And a folder in the way of a third.
  std::filesystem::create_directories(folder_.Path("Label1/7001-3.spl"));
  Child service = folder_.StartService();
  ASSERT_TRUE(WaitUntil([&] { return folder_.Status() == "0"; }));
  const std::string dest = folder_.dir() + "Label1" + kSep;
  for (const char* reference : {"Ann", "Bob", "Cy"}) {
    Order("7001.spl", {std::string(reference) + "|Soup"});
    ASSERT_TRUE(WaitUntil([&] { return Gone("PreLabel/7001.spl"); })) << reference;
  }
  EXPECT_EQ(folder_.ReadFile("Label1/7001.spl"), "Ann/Soup/\r\n");
  EXPECT_EQ(folder_.ReadFile("Label1/7001-2.spl"), "Bob/Soup/\r\n");
  EXPECT_EQ(folder_.ReadFile("Label1/7001-4.spl"), "Cy/Soup/\r\n");
  EXPECT_TRUE(LogHas("++ Sending to " + dest + "7001-4.spl"));
}

TEST_F(ServiceE2e, TheSourceLockFollowsTheSourcePrinterOnReload) {
  folder_.SetUp();
  std::filesystem::create_directories(folder_.Path("Kitchen"));
  Child service = folder_.StartService();
  auto held = [&](const std::string& printer) { return folder_.LockHeld(printer); };
  // The lock is taken right after the last directory line; a probe while the
  // service takes it would make it fail, so none is made before.
  ASSERT_TRUE(WaitUntil([&] { return folder_.LogMessages().size() == kStartLines; }));
  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(held("PreLabel"));

  folder_.WriteFile("Cratemark.cfg",
                    "SPLDirSource=Kitchen\r\nSPLDirDest=Label1\r\nSPLDirBackup=Label2\r\n");
  folder_.WriteFile("CratemarkConfigChanged", "");
  ASSERT_TRUE(WaitUntil([&] { return !folder_.Exists("CratemarkConfigChanged"); }));
  EXPECT_TRUE(held("Kitchen"));
  EXPECT_FALSE(held("PreLabel")) << "the old source printer is still locked";
}

TEST_F(ServiceE2e, KilledAtAnyMomentEveryJobStillComesOut) {
  folder_.SetUp();
  std::mt19937 random(std::random_device{}());
  std::vector<std::string> jobs;
  for (int round = 0; round < 3; ++round) {
    Child service = folder_.StartService();
    for (int j = 0; j < 3; ++j) {
      // Formatted, not concatenated: GCC 12 warns falsely (-Wrestrict) on the
      // chain of string additions here.
      char name[32];
      std::snprintf(name, sizeof name, "r%dj%d.spl", round, j);
      jobs.push_back(name);
      Order(jobs.back(), {"Ann|Soup", "Bob|Tea"});
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500 + random() % 2000));
    service.Signal(SIGKILL);
    service.Wait();
  }
  Child service = folder_.StartService();
  for (const std::string& job : jobs) {
    EXPECT_TRUE(WaitUntil([&] { return Gone("PreLabel/" + job); }, 15000ms)) << job;
    EXPECT_EQ(folder_.ReadFile("Label1/" + job), "Ann/Soup/\r\nBob/Tea/\r\n") << job;
  }
}

}  // namespace
}  // namespace cratemark::e2e
