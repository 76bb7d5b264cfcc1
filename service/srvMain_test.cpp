#include "service/srvMain.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/scoped_temp_dir.h"
#include "service/testing/folder_lock_table.h"
#include "service/testing/site.h"
#include "shared/host_files.h"
#include "shared/order_job.h"
#include "shared/status_file.h"

namespace cratemark {
namespace {

using testing::FolderLockTable;
using testing::kSep;
using testing::Site;

const char* const kNotFound = "    Directory not found! Please setup a printer";

// How a printer's folder looks to the delivery.
enum class Lock { kNone, kFree, kHeld };

TEST(ServiceModule, EveryDeliveryOutcome) {
  struct Printer {
    Lock lock;
    const char* marker;  // spooler marker file name, or nullptr
  };
  // The lines after the tick's "-> Loading from" line, by their parts.
  enum Line {
    kDownD,
    kTrying,
    kToD,
    kToK,
    kDownK,
    kProblem,
    kCheck,
    kBack,
    kResume,
    kDeleting,
    kFailed,
    kAlertBackup,
    kAlertStopped
  };
  struct Case {
    const char* name;
    Printer dest;
    Printer backup;
    const char* written_to;
    std::vector<Line> lines;
  };
  const Case cases[] = {
      {"destination served",
       {Lock::kHeld, nullptr},
       {Lock::kNone, nullptr},
       "Label1",
       {kToD, kDeleting}},
      {"destination without lock table counts as served",
       {Lock::kNone, nullptr},
       {Lock::kNone, nullptr},
       "Label1",
       {kToD, kDeleting}},
      {"destination down, backup usable",
       {Lock::kFree, nullptr},
       {Lock::kNone, nullptr},
       "Label2",
       {kDownD, kTrying, kToK, kDeleting, kAlertBackup}},
      {"destination down, backup lock table opens and is free",
       {Lock::kFree, nullptr},
       {Lock::kFree, nullptr},
       "Label1",
       {kDownD, kTrying, kDownK, kBack, kResume, kToD, kDeleting, kAlertStopped, kFailed}},
      {"destination down, backup marker",
       {Lock::kFree, nullptr},
       {Lock::kNone, "TOLVANSPOOL.ERR"},
       "Label1",
       {kDownD, kTrying, kProblem, kCheck, kBack, kResume, kToD, kDeleting, kAlertStopped,
        kFailed}},
      {"a served backup is used",
       {Lock::kFree, nullptr},
       {Lock::kHeld, nullptr},
       "Label2",
       {kDownD, kTrying, kToK, kDeleting, kAlertBackup}},
      {"a served backup with a marker has a problem",
       {Lock::kFree, nullptr},
       {Lock::kHeld, "TolvanSpool.err"},
       "Label1",
       {kDownD, kTrying, kProblem, kCheck, kBack, kResume, kToD, kDeleting, kAlertStopped,
        kFailed}},
      {"a marker in any case downs a served destination",
       {Lock::kHeld, "tolvanspool.err"},
       {Lock::kNone, nullptr},
       "Label2",
       {kDownD, kTrying, kToK, kDeleting, kAlertBackup}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Site site;
    for (const auto& [folder, printer] :
         {std::pair{"Label1", c.dest}, std::pair{"Label2", c.backup}}) {
      const std::string lock_table = std::string(folder) + kSep + std::string(kLockTableFileName);
      if (printer.lock != Lock::kNone) {
        site.Put(lock_table, printer.lock == Lock::kHeld ? "held" : "");
      }
      if (printer.marker) site.Put(std::string(folder) + kSep + printer.marker, "");
    }
    // A label file of the same name already waiting is never replaced.
    site.Put(std::string(c.written_to) + kSep + "a.spl", "old");
    auto module = site.Start();
    ASSERT_EQ(ReadStatusFile(SystemFileSystem(), site.dir()), kStatusOk);
    const std::size_t before = site.LogLines().size();
    module->TimerTimer();

    EXPECT_FALSE(site.Has("PreLabel" + kSep + "a.spl"));
    EXPECT_EQ(ReadWholeFile(site.P(std::string(c.written_to) + kSep + "a.spl")), "old");
    EXPECT_EQ(ReadWholeFile(site.P(std::string(c.written_to) + kSep + "a-2.spl")), "Ann\r\n");
    const std::string other = std::string(c.written_to) == "Label1" ? "Label2" : "Label1";
    EXPECT_FALSE(site.Has(other + kSep + "a.spl"));

    const std::string d = site.P("Label1"), k = site.P("Label2");
    const std::map<Line, std::string> text{
        {kDownD, "## Spooler is down for printer: Label1"},
        {kTrying, "! Trying backup printer..."},
        {kToD, "++ Sending to " + d + kSep + "a-2.spl"},
        {kToK, "++ Sending to " + k + kSep + "a-2.spl"},
        {kDownK, "## Spooler is down for printer: Label2"},
        {kProblem, "# Problem sending to " + k},
        {kCheck, "  Please check TolvanSpool and Printer."},
        {kBack, "! Sending order back to " + d},
        {kResume, "! Labels will resume printing when the problem is resolved"},
        {kDeleting, "-- Deleting " + site.P("PreLabel" + kSep + "a.spl")},
        {kFailed, "# Failed to print..."},
        {kAlertBackup,
         "! Alert backup: Labels for Label1 print on the backup printer Label2: Label1 is down"},
        {kAlertStopped, "! Alert stopped: No printer prints: the labels of a.spl wait in " + d +
                            " until Label1 serves again"}};
    Lines expected{"-> Loading from " + site.P("PreLabel" + kSep + "a.spl")};
    for (Line line : c.lines) expected.push_back(text.at(line));
    EXPECT_EQ(site.Messages(before), expected);
  }
}

TEST(ServiceModule, AHaltedServiceNeitherTakesNorDeliversAJob) {
  Site site;
  site.Remove("LabelDesign.txt");
  auto module = site.Start();
  ASSERT_TRUE(module->Halted());
  const std::size_t before = site.LogLines().size();
  module->TimerTimer();
  EXPECT_EQ(site.LogLines().size(), before);
  EXPECT_FALSE(module->DeliverLabels("a.spl"));
  EXPECT_TRUE(site.Has("PreLabel" + kSep + "a.spl"));
  EXPECT_FALSE(site.Has("Label1" + kSep + "a.spl"));
}

TEST(ServiceModule, EveryStartUpConfigurationOutcome) {
  struct Case {
    const char* name;
    std::function<void(Site&)> arrange;
    std::int16_t status;
    bool halted;
    std::vector<const char*> not_found;  // printers reported missing
    bool lock_open = true;               // the source lock table open and locked
    const char* alert = nullptr;         // what the halted alert says
  };
  const Case cases[] = {
      {"everything in order", [](auto&) {}, kStatusOk, false, {}},
      {"design missing",
       [](auto& t) { t.Remove("LabelDesign.txt"); },
       kStatusDesignUnreadable,
       true,
       {},
       true,
       "The service takes no job (status 5): LabelDesign.txt does not exist."},
      {"backup missing",
       [](auto& t) { t.Remove("Label2"); },
       kStatusBackupDirMissing,
       true,
       {"Label2"},
       true,
       "The service takes no job (status 4): Printer \"Label2\" NOT configured"},
      {"source missing",
       [](auto& t) { t.Remove("PreLabel"); },
       kStatusSourceDirMissing,
       true,
       {"PreLabel"},
       false,
       "The service takes no job (status 1): Printer \"PreLabel\" NOT configured"},
      {"destination missing",
       [](auto& t) { t.Remove("Label1"); },
       kStatusDestDirMissing,
       true,
       {"Label1"},
       true,
       "The service takes no job (status 2): Printer \"Label1\" NOT configured"},
      {"source lock table neither opens nor opens after creation",
       [](auto& t) { t.Put("PreLabel" + kSep + std::string(kLockTableFileName), "unopenable"); },
       kStatusSourceLockTableFailed,
       true,
       {},
       false,
       "The service takes no job (status 3): Cannot open or create LockSPL.dbf"},
      {"a file named like a printer is no printer",
       [](auto& t) {
         t.Remove("Label1");
         t.Put("Label1", "");
       },
       kStatusDestDirMissing,
       true,
       {"Label1"},
       true,
       "The service takes no job (status 2): Printer \"Label1\" NOT configured"},
      {"codes come in the order 0, 5, 4, 3 or 1, 2: the last stays",
       [](auto& t) {
         t.Remove("LabelDesign.txt");
         t.Remove("Label2");
         t.Remove("PreLabel");
         t.Remove("Label1");
       },
       kStatusDestDirMissing,
       true,
       {"PreLabel", "Label1", "Label2"},
       false,
       "The service takes no job (status 2): Printer \"Label1\" NOT configured"},
      {"design and backup missing",
       [](auto& t) {
         t.Remove("LabelDesign.txt");
         t.Remove("Label2");
       },
       kStatusBackupDirMissing,
       true,
       {"Label2"},
       true,
       "The service takes no job (status 4): Printer \"Label2\" NOT configured"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Site t;
    c.arrange(t);
    t.Settings("PreLabel", "Label1", "Label2");
    auto module = t.Make();
    module->ServiceStart();
    EXPECT_EQ(ReadStatusFile(SystemFileSystem(), t.dir()), c.status);
    EXPECT_EQ(module->Halted(), c.halted);
    EXPECT_EQ(t.source_lock_->Active(), c.lock_open);
    Lines expected{"! Starting service..."};
    for (const char* printer : {"PreLabel", "Label1", "Label2"}) {
      const char* role = printer == std::string("PreLabel") ? "Source"
                         : printer == std::string("Label1") ? "Destination"
                                                            : "Backup";
      expected.push_back(std::string("! ") + role + " Spool Directory is: \"" + t.P(printer) +
                         "\"");
      bool found = true;
      for (const char* missing : c.not_found) {
        if (missing == std::string(printer)) {
          expected.push_back(kNotFound);
          found = false;
        }
      }
      // What it is on, and what that means (its wording is JobRule's test's).
      if (found) {
        const Volume volume = VolumeOf(t.P(printer));
        const bool source = role == std::string("Source");
        expected.push_back(JobRuleLine(printer, volume, source,
                                       JobRuleFor(volume.kind, LocalJobRule()), kJobQuietTime));
      }
    }
    // Said once the start-up configuration is through, with its last code.
    if (c.alert) expected.push_back(std::string("! Alert halted: ") + c.alert);
    EXPECT_EQ(t.Messages(), expected);
    module->TimerTimer();
    EXPECT_EQ(t.Has("Label1" + kSep + "a.spl"), !c.halted) << "delivered while halted";
  }
}

TEST(ServiceModule, UnreadableSettingsAreWrittenBackHaltWithTheirStatusAndAreReadAgain) {
  struct Case {
    const char* name;
    bool started_before;  // a successful reading came first
    std::string written;
  };
  const std::string defaults =
      "SPLDirSource=PreLabel\r\nSPLDirDest=Label1\r\nSPLDirBackup=Label2\r\n"
      "LabelsText=Labels\r\nTimeText=Time:\r\nMapText=Map:\r\nTotalText=Total:\r\n";
  const Case cases[] = {
      {"first start: the defaults", false, defaults},
      {"on a reload: the values read before", true,
       "SPLDirSource=PreLabel\r\nSPLDirDest=Label1\r\nSPLDirBackup=Label2\r\nLabelsText=\r\n"
       "TimeText=\r\nMapText=\r\nTotalText=\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Site t;
    t.Settings("PreLabel", "Label1", "Label2");
    auto module = t.Make();
    if (c.started_before) module->ServiceStart();
    // A folder in its place: the file cannot be read, but can be replaced.
    t.Remove("Cratemark.cfg");
    t.Mkdir("Cratemark.cfg");
    if (c.started_before) {
      t.Put("CratemarkConfigChanged", "");
      module->TimerTimer();  // the folder cannot be replaced either: the reload fails
      EXPECT_EQ(ReadStatusFile(SystemFileSystem(), t.dir()), kStatusReloadFailed);
      t.Remove("Cratemark.cfg");
      t.clock.Advance(1000);  // its pause
      module->TimerTimer();
    } else {
      t.Remove("Cratemark.cfg");
      module->ServiceStart();
    }
    EXPECT_EQ(ReadWholeFile(t.P("Cratemark.cfg")), c.written);
    EXPECT_TRUE(module->Halted());
    EXPECT_EQ(ReadStatusFile(SystemFileSystem(), t.dir()), kStatusSettingsUnreadable);
    EXPECT_TRUE(t.Has("PreLabel" + kSep + "a.spl"));
    // The site's own values written back are read again after a pause; the
    // defaults of a first start wait for the console's save.
    t.clock.Advance(61'000);
    module->TimerTimer();
    if (!c.started_before) {
      EXPECT_TRUE(module->Halted()) << "printers taken on a guess";
      t.Put("CratemarkConfigChanged", "");
      module->TimerTimer();
    }
    EXPECT_FALSE(module->Halted());
    EXPECT_FALSE(t.Has("PreLabel" + kSep + "a.spl"));
  }
}

TEST(ServiceModule, ALogThatCannotBeWrittenStopsNoOrderAndIsReportedOnce) {
  Site site;
  site.Mkdir("Cratemark.txt");
  auto module = site.Start();
  module->TimerTimer();
  EXPECT_FALSE(site.Has("PreLabel" + kSep + "a.spl"));
  EXPECT_EQ(ReadWholeFile(site.P("Label1" + kSep + "a.spl")), "Ann\r\n");
  EXPECT_EQ(site.reports.size(), 1u);
}

TEST(ServiceModule, FailuresThatEndTheStartUpConfiguration) {
  struct Case {
    const char* name;
    std::function<void(Site&)> arrange;
    std::int16_t status_left;  // the last code written before the failure
  };
  const Case cases[] = {
      {"the source lock table cannot be created (its step 10 is skipped)",
       [](auto& t) {
         t.Mkdir("PreLabel" + kSep + std::string(kLockTableFileName));
         t.Remove("Label1");
       },
       kStatusOk},
      {"the status file cannot be written", [](auto& t) { t.Mkdir("Cratemark.err"); }, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Site t;
    c.arrange(t);
    t.Settings("PreLabel", "Label1", "Label2");
    auto module = t.Make();
    EXPECT_THROW(module->ServiceStart(), Error);
    if (c.status_left >= 0) {
      EXPECT_EQ(ReadStatusFile(SystemFileSystem(), t.dir()), c.status_left);
    }
  }
}

TEST(ServiceModule, AnEmptySourceSettingMakesTheProgramFolderTheSource) {
  Site site;
  site.Settings("", "Label1", "Label2");
  auto module = site.Make();
  module->ServiceStart();
  EXPECT_EQ(ReadStatusFile(SystemFileSystem(), site.dir()), kStatusOk);
  EXPECT_TRUE(site.source_lock_->Active());
  EXPECT_TRUE(site.Has(std::string(kLockTableFileName)));
}

TEST(ServiceModule, AReloadWithTheSameSourceKeepsItsLockTableOpen) {
  Site site;
  auto module = site.Start();
  ASSERT_TRUE(site.source_lock_->Active());
  site.Put("CratemarkConfigChanged", "");
  site.Remove("PreLabel" + kSep + std::string(kLockTableFileName));  // reopening would fail
  module->TimerTimer();
  EXPECT_FALSE(site.Has("CratemarkConfigChanged"));
  EXPECT_TRUE(site.source_lock_->Active());
  EXPECT_EQ(ReadStatusFile(SystemFileSystem(), site.dir()), kStatusOk);
}

TEST(ServiceModule, ALabelPrinterThatIsTheSourcePrinterByAnySpellingHaltsAndKeepsTheOrder) {
  struct Case {
    std::string dest;
    std::string backup;
    std::int16_t status;
  };
  // Labels written into the source folder would replace the job they came
  // from, which is then deleted.
  const Case cases[] = {
      {"PreLabel", "Label2", kStatusDestDirMissing},
      {"prelabel", "Label2", kStatusDestDirMissing},
      {"PreLabel" + kSep + ".", "Label2", kStatusDestDirMissing},
      {"." + kSep + "PreLabel", "Label2", kStatusDestDirMissing},
      {"Label1" + kSep + ".." + kSep + "PreLabel", "Label2", kStatusDestDirMissing},
      {"PreLabel" + kSep, "Label2", kStatusDestDirMissing},
      // Windows drops trailing dots and blanks; elsewhere no such folder exists.
      {"PreLabel.", "Label2", kStatusDestDirMissing},
      {"PreLabel ", "Label2", kStatusDestDirMissing},
      {"Label1", "PreLabel", kStatusBackupDirMissing},
      {"Label1", "Label2" + kSep + ".." + kSep + "PRELABEL" + kSep + ".", kStatusBackupDirMissing},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dest + " " + c.backup);
    Site site;
    auto module = site.Start(c.dest, c.backup);
    EXPECT_EQ(ReadStatusFile(SystemFileSystem(), site.dir()), c.status);
    EXPECT_TRUE(module->Halted());
    module->TimerTimer();
    EXPECT_TRUE(site.Has("PreLabel" + kSep + "a.spl"));
  }

  Site site;
  auto module = site.Start("Label1", "Label2");
  EXPECT_EQ(ReadStatusFile(SystemFileSystem(), site.dir()), kStatusOk);
  module->TimerTimer();
  EXPECT_FALSE(site.Has("PreLabel" + kSep + "a.spl"));
  EXPECT_TRUE(site.Has("Label1" + kSep + "a.spl"));
}

// The number of log messages from `from` on that begin with `start`.
std::size_t CountStarting(const Site& site, const std::string& start, std::size_t from = 0) {
  std::size_t count = 0;
  for (const std::string& message : site.Messages(from)) {
    if (message.rfind(start, 0) == 0) ++count;
  }
  return count;
}

TEST(ServiceModule, EntriesThatAreNoJobsCostOneLineEachAndHoldUpNothing) {
  Site site;
  site.Mkdir("PreLabel" + kSep + "aaa.spl");
  // One byte over the limit; it stays until it is made smaller.
  site.Put("PreLabel" + kSep + "big.spl", std::string(kMaxJobBytes + 1, 'x'));
  site.Remove("PreLabel" + kSep + "a.spl");
  site.Put("PreLabel" + kSep + "z.spl", "Zoe\r\n" + std::string(99, '\n'));
  auto module = site.Start();
  const std::size_t before = site.LogLines().size();
  for (int tick = 0; tick < 4; ++tick) module->TimerTimer();

  EXPECT_EQ(ReadWholeFile(site.P("Label1" + kSep + "z.spl")), "Zoe\r\n");
  const std::string source = site.P("PreLabel" + kSep);
  EXPECT_EQ(CountStarting(site, "## Skipped " + source + "aaa.spl (not a regular file)", before),
            1u);
  EXPECT_EQ(CountStarting(site,
                          "## Skipped " + source + "big.spl (larger than " +
                              std::to_string(kMaxJobBytes) + " bytes)",
                          before),
            1u);
  EXPECT_TRUE(site.Has("PreLabel" + kSep + "big.spl"));
  EXPECT_TRUE(DirectoryExists(site.P("PreLabel" + kSep + "aaa.spl")));

  // Changed, it is looked at again.
  site.Put("PreLabel" + kSep + "big.spl", "Bob\r\n" + std::string(99, '\n'));
  module->TimerTimer();
  EXPECT_EQ(ReadWholeFile(site.P("Label1" + kSep + "big.spl")), "Bob\r\n");
  EXPECT_FALSE(site.Has("PreLabel" + kSep + "big.spl"));
}

TEST(ServiceModule, ControlCharactersInNamesAndSettingsShowAsQuestionMarks) {
  Site site;
  auto module = site.Start();
  module->WriteLog("-> Loading from a\r\nforged\tb.spl");
  EXPECT_EQ(site.Messages().back(), "-> Loading from a??forged?b.spl");
}

}  // namespace
}  // namespace cratemark
