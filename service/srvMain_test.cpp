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
#include "platform/text_file.h"
#include "service/testing/folder_lock_table.h"
#include "shared/activity_log.h"
#include "shared/host_files.h"
#include "shared/status_file.h"

namespace cratemark {
namespace {

using testing::FolderLockTable;

const std::string kSep(1, kPathSeparator);
const char* const kNotFound = "    Directory not found! Please setup a printer";

// A program folder with three printers, a design and one job "a.spl", and
// the service module over folder-backed lock tables.
class Site {
 public:
  Site() {
    for (const char* printer : {"PreLabel", "Label1", "Label2"}) Mkdir(printer);
    WriteWholeFile(P("LabelDesign.txt"), "<Reference>\r\n");
    std::string job = "Ann\r\n";
    for (int i = 1; i < 100; ++i) job += "\r\n";
    WriteWholeFile(P("PreLabel" + kSep + "a.spl"), job);
  }

  std::string P(const std::string& name) const { return dir_.path() + name; }
  void Mkdir(const std::string& name) { std::filesystem::create_directories(P(name)); }
  void Remove(const std::string& name) { std::filesystem::remove_all(P(name)); }
  void Put(const std::string& name, const std::string& bytes) { WriteWholeFile(P(name), bytes); }
  bool Has(const std::string& name) const { return FileExists(P(name)); }

  void Settings(const std::string& source, const std::string& dest, const std::string& backup) {
    Put("Cratemark.cfg", "SPLDirSource=" + source + "\r\nSPLDirDest=" + dest +
                             "\r\nSPLDirBackup=" + backup + "\r\n");
  }

  // A module over folder-backed lock tables, not yet started.
  std::unique_ptr<TsrvCratemark> Make() {
    auto source = std::make_unique<FolderLockTable>();
    source_lock_ = source.get();
    return std::make_unique<TsrvCratemark>(dir_.path(), std::move(source),
                                           std::make_unique<FolderLockTable>(),
                                           std::chrono::milliseconds(0));
  }

  std::unique_ptr<TsrvCratemark> Start(const std::string& dest = "Label1",
                                       const std::string& backup = "Label2") {
    Settings("PreLabel", dest, backup);
    auto module = Make();
    module->ServiceStart();
    return module;
  }

  // The lines of the activity log file; none when there is no file.
  Lines LogLines() const {
    if (!Has(std::string(kActivityLogFileName))) return {};
    return ReadTextFile(ActivityLogPath(dir())).lines;
  }

  // The messages of the log lines, from line `from` on.
  Lines Messages(std::size_t from = 0) const {
    Lines messages;
    const Lines lines = LogLines();
    for (std::size_t i = from; i < lines.size(); ++i) {
      const std::size_t colon = lines[i].find(" : ");
      messages.push_back(lines[i].substr(colon + 3));
    }
    return messages;
  }

  const std::string& dir() const { return dir_.path(); }
  FolderLockTable* source_lock_ = nullptr;

 private:
  ScopedTempDir dir_;
};

// How a printer's folder looks to the delivery.
enum class Lock { kNone, kFree, kHeld };

TEST(ServiceModule, EveryDeliveryOutcome) {
  struct Printer {
    Lock lock;
    const char* marker;  // spooler marker file name, or nullptr
  };
  // The lines after the tick's "++ Sending to" line, by their parts.
  enum Line { kDownD, kTrying, kToK, kDownK, kProblem, kCheck, kBack, kResume, kDeleting, kFailed };
  struct Case {
    const char* name;
    Printer dest;
    Printer backup;
    const char* written_to;
    std::vector<Line> lines;
  };
  const Case cases[] = {
      {"destination served", {Lock::kHeld, nullptr}, {Lock::kNone, nullptr}, "Label1", {kDeleting}},
      {"destination without lock table counts as served",
       {Lock::kNone, nullptr},
       {Lock::kNone, nullptr},
       "Label1",
       {kDeleting}},
      {"destination down, backup usable",
       {Lock::kFree, nullptr},
       {Lock::kNone, nullptr},
       "Label2",
       {kDownD, kTrying, kToK, kDeleting}},
      {"destination down, backup lock table opens and is free",
       {Lock::kFree, nullptr},
       {Lock::kFree, nullptr},
       "Label1",
       {kDownD, kTrying, kDownK, kBack, kResume, kDeleting, kFailed}},
      {"destination down, backup marker",
       {Lock::kFree, nullptr},
       {Lock::kNone, "TOLVANSPOOL.ERR"},
       "Label1",
       {kDownD, kTrying, kProblem, kCheck, kBack, kResume, kDeleting, kFailed}},
      {"a served backup is used",
       {Lock::kFree, nullptr},
       {Lock::kHeld, nullptr},
       "Label2",
       {kDownD, kTrying, kToK, kDeleting}},
      {"a served backup with a marker has a problem",
       {Lock::kFree, nullptr},
       {Lock::kHeld, "TolvanSpool.err"},
       "Label1",
       {kDownD, kTrying, kProblem, kCheck, kBack, kResume, kDeleting, kFailed}},
      {"a marker in any case downs a served destination",
       {Lock::kHeld, "tolvanspool.err"},
       {Lock::kNone, nullptr},
       "Label2",
       {kDownD, kTrying, kToK, kDeleting}},
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
    // A label file of the same name already waiting is replaced.
    site.Put(std::string(c.written_to) + kSep + "a.spl", "old");
    auto module = site.Start();
    ASSERT_EQ(ReadStatusFile(site.dir()), kStatusOk);
    const std::size_t before = site.LogLines().size();
    module->TimerTimer();

    EXPECT_FALSE(site.Has("PreLabel" + kSep + "a.spl"));
    EXPECT_EQ(ReadWholeFile(site.P(std::string(c.written_to) + kSep + "a.spl")), "Ann\r\n");
    const std::string other = std::string(c.written_to) == "Label1" ? "Label2" : "Label1";
    EXPECT_FALSE(site.Has(other + kSep + "a.spl"));

    const std::string d = site.P("Label1"), k = site.P("Label2");
    const std::map<Line, std::string> text{
        {kDownD, "## Spooler is down for printer: Label1"},
        {kTrying, "! Trying backup printer..."},
        {kToK, "++ Sending to " + k + kSep + "a.spl"},
        {kDownK, "## Spooler is down for printer: Label2"},
        {kProblem, "# Problem sending to " + k},
        {kCheck, "  Please check TolvanSpool and Printer."},
        {kBack, "! Sending order back to " + d},
        {kResume, "! Labels will resume printing when the problem is resolved"},
        {kDeleting, "-- Deleting " + site.P("PreLabel" + kSep + "a.spl")},
        {kFailed, "# Failed to print..."}};
    Lines expected{"-> Loading from " + site.P("PreLabel" + kSep + "a.spl"),
                   "++ Sending to " + d + kSep + "a.spl"};
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
  };
  const Case cases[] = {
      {"everything in order", [](auto&) {}, kStatusOk, false, {}},
      {"design missing",
       [](auto& t) { t.Remove("LabelDesign.txt"); },
       kStatusDesignUnreadable,
       true,
       {}},
      {"backup missing",
       [](auto& t) { t.Remove("Label2"); },
       kStatusBackupDirMissing,
       true,
       {"Label2"}},
      {"source missing",
       [](auto& t) { t.Remove("PreLabel"); },
       kStatusSourceDirMissing,
       true,
       {"PreLabel"},
       false},
      {"destination missing",
       [](auto& t) { t.Remove("Label1"); },
       kStatusDestDirMissing,
       true,
       {"Label1"}},
      {"source lock table neither opens nor opens after creation",
       [](auto& t) { t.Put("PreLabel" + kSep + std::string(kLockTableFileName), "unopenable"); },
       kStatusSourceLockTableFailed,
       true,
       {},
       false},
      {"a file named like a printer is no printer",
       [](auto& t) {
         t.Remove("Label1");
         t.Put("Label1", "");
       },
       kStatusDestDirMissing,
       true,
       {"Label1"}},
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
       false},
      {"design and backup missing",
       [](auto& t) {
         t.Remove("LabelDesign.txt");
         t.Remove("Label2");
       },
       kStatusBackupDirMissing,
       true,
       {"Label2"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Site t;
    c.arrange(t);
    t.Settings("PreLabel", "Label1", "Label2");
    auto module = t.Make();
    module->ServiceStart();
    EXPECT_EQ(ReadStatusFile(t.dir()), c.status);
    EXPECT_EQ(module->Halted(), c.halted);
    EXPECT_EQ(t.source_lock_->Active(), c.lock_open);
    Lines expected{"! Starting service..."};
    for (const char* printer : {"PreLabel", "Label1", "Label2"}) {
      const char* role = printer == std::string("PreLabel") ? "Source"
                         : printer == std::string("Label1") ? "Destination"
                                                            : "Backup";
      expected.push_back(std::string("! ") + role + " Spool Directory is: \"" + t.P(printer) +
                         "\"");
      for (const char* missing : c.not_found) {
        if (missing == std::string(printer)) expected.push_back(kNotFound);
      }
    }
    EXPECT_EQ(t.Messages(), expected);
    module->TimerTimer();
    EXPECT_EQ(t.Has("Label1" + kSep + "a.spl"), !c.halted) << "delivered while halted";
  }
}

TEST(ServiceModule, UnreadableSettingsAreWrittenBackAndHaltWithoutAStatusCode) {
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
      EXPECT_THROW(module->TimerTimer(), Error);  // the folder cannot be replaced either
      t.Remove("Cratemark.cfg");
      module->TimerTimer();
    } else {
      t.Remove("Cratemark.cfg");
      module->ServiceStart();
    }
    EXPECT_EQ(ReadWholeFile(t.P("Cratemark.cfg")), c.written);
    EXPECT_TRUE(module->Halted());
    EXPECT_EQ(ReadStatusFile(t.dir()), kStatusOk);
    EXPECT_TRUE(t.Has("PreLabel" + kSep + "a.spl"));
  }
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
      {"the log file cannot be written", [](auto& t) { t.Mkdir("Cratemark.txt"); }, kStatusOk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Site t;
    c.arrange(t);
    t.Settings("PreLabel", "Label1", "Label2");
    auto module = t.Make();
    EXPECT_THROW(module->ServiceStart(), Error);
    if (c.status_left >= 0) {
      EXPECT_EQ(ReadStatusFile(t.dir()), c.status_left);
    }
  }
}

TEST(ServiceModule, AnEmptySourceSettingMakesTheProgramFolderTheSource) {
  Site site;
  site.Settings("", "Label1", "Label2");
  auto module = site.Make();
  module->ServiceStart();
  EXPECT_EQ(ReadStatusFile(site.dir()), kStatusOk);
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
  EXPECT_EQ(ReadStatusFile(site.dir()), kStatusOk);
}

TEST(ServiceModule, ALabelPrinterThatIsTheSourcePrinterHaltsAndKeepsTheOrder) {
  struct Case {
    const char* dest;
    const char* backup;
    std::int16_t status;
  };
  // Labels written into the source folder would replace the job they came
  // from, which is then deleted.
  for (const Case& c : {Case{"PreLabel", "Label2", kStatusDestDirMissing},
                        Case{"prelabel", "Label2", kStatusDestDirMissing},
                        Case{"Label1", "PreLabel", kStatusBackupDirMissing}}) {
    Site site;
    auto module = site.Start(c.dest, c.backup);
    EXPECT_EQ(ReadStatusFile(site.dir()), c.status) << c.dest << " " << c.backup;
    EXPECT_TRUE(module->Halted());
    module->TimerTimer();
    EXPECT_TRUE(site.Has("PreLabel" + kSep + "a.spl")) << c.dest << " " << c.backup;
  }

  Site site;
  auto module = site.Start("Label1", "Label2");
  EXPECT_EQ(ReadStatusFile(site.dir()), kStatusOk);
  module->TimerTimer();
  EXPECT_FALSE(site.Has("PreLabel" + kSep + "a.spl"));
  EXPECT_TRUE(site.Has("Label1" + kSep + "a.spl"));
}

}  // namespace
}  // namespace cratemark
