// What the service keeps of each order it delivers, and how a reprint the
// console writes comes out.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/file_system.h"
#include "platform/scoped_temp_dir.h"
#include "platform/testing/memory_file_system.h"
#include "service/srvMain.h"
#include "service/testing/folder_lock_table.h"
#include "service/testing/manual_clock.h"
#include "shared/order_history.h"
#include "shared/printed_folder.h"

namespace cratemark {
namespace {

using testing::FolderLockTable;
using testing::ManualClock;
using testing::MemoryFileSystem;

const std::string kDir = "/site/";

std::string Job(const std::string& reference) {
  std::string job = reference + "\r\n";
  for (int i = 1; i < 100; ++i) job += i == 20 ? "Soup\r\n" : "\r\n";
  return job;
}

struct Site {
  MemoryFileSystem fs;
  ManualClock clock;
  std::unique_ptr<TsrvCratemark> service;

  Site() {
    fs.Put(kDir + "Cratemark.cfg",
           "SPLDirSource=PreLabel\r\nSPLDirDest=Label1\r\nSPLDirBackup=Label2\r\n");
    fs.Put(kDir + "LabelDesign.txt", "<Reprint>|<Reference>\r\n");
    fs.Put(kDir + "Label1/LOCKSPL.DBF", "held");
    fs.CreateDirectories(kDir + "Label2");
    fs.CreateDirectories(kDir + "PreLabel");
    ServiceOptions options;
    options.fs = &fs;
    options.clock = &clock;
    options.settle_time = std::chrono::milliseconds(0);
    options.quiet_time = std::chrono::milliseconds(0);
    options.report_error = [](EventKind, const std::string&) {};
    service = std::make_unique<TsrvCratemark>(kDir, std::make_unique<FolderLockTable>(fs),
                                              std::make_unique<FolderLockTable>(fs), options);
    service->ServiceStart();
  }
  void Tick() {
    clock.Advance(1000);
    service->TimerTimer();
  }
};

TEST(PrintedKeeping, EachDeliveredOrderIsKeptWithWhereItsLabelsWent) {
  Site site;
  site.fs.Put(kDir + "PreLabel/a.spl", Job("Ann"));
  site.Tick();
  site.fs.DeleteFileAt(kDir + "Label1/LOCKSPL.DBF");
  site.fs.Put(kDir + "Label1/LOCKSPL.DBF", "");  // nobody holds it: down, the backup prints
  site.fs.Put(kDir + "PreLabel/b.spl", Job("Bob"));
  site.Tick();
  site.fs.Put(kDir + "Label2/LOCKSPL.DBF", "");  // the backup down too: the labels wait
  site.fs.Put(kDir + "PreLabel/c.spl", Job("Cy"));
  site.Tick();

  EXPECT_FALSE(site.fs.Get(kDir + "PreLabel/c.spl"));
  const auto history = ReadHistory(site.fs, kDir, site.clock.FileTimeNowNs());
  ASSERT_EQ(history.size(), 3u);
  EXPECT_EQ(history[0].job_name, "c.spl");
  EXPECT_EQ(history[0].where, PrintedWhere::kWaiting);
  EXPECT_EQ(history[0].printer, "Label1");
  EXPECT_EQ(history[1].job_name, "b.spl");
  EXPECT_EQ(history[1].where, PrintedWhere::kBackup);
  EXPECT_EQ(history[1].printer, "Label2");
  EXPECT_EQ(history[2].job_name, "a.spl");
  EXPECT_EQ(history[2].where, PrintedWhere::kPrinter);
  EXPECT_EQ(history[2].job_bytes, Job("Ann"));
}

TEST(PrintedKeeping, AReprintIsMarkedAndAFirstPrintIsNot) {
  Site site;
  site.fs.Put(kDir + "PreLabel/a.spl", Job("Ann"));
  site.Tick();
  site.fs.Put(kDir + "PreLabel/Reprint-a-1.spl", Job("Ann"));
  site.Tick();
  EXPECT_EQ(site.fs.Get(kDir + "Label1/a.spl"), "|Ann\r\n");
  EXPECT_EQ(site.fs.Get(kDir + "Label1/Reprint-a-1.spl"), "REPRINT|Ann\r\n");
}

TEST(PrintedKeeping, AHistoryThatCannotBeKeptIsLoggedOnceAndOrdersGoOn) {
  // On the disk: a file where the folder goes refuses every copy.
  ScopedTempDir dir;
  FileSystem& fs = SystemFileSystem();
  const std::string site = dir.path();
  const std::string sep(1, kPathSeparator);
  WriteWholeFile(site + "Cratemark.cfg",
                 "SPLDirSource=PreLabel\r\nSPLDirDest=Label1\r\nSPLDirBackup=Label2\r\n");
  WriteWholeFile(site + "LabelDesign.txt", "<Reference>\r\n");
  for (const char* folder : {"PreLabel", "Label1", "Label2"}) CreateDirectories(site + folder);
  WriteWholeFile(site + "Printed", "not a folder");
  ManualClock clock;
  ServiceOptions options;
  options.fs = &fs;
  options.clock = &clock;
  options.settle_time = std::chrono::milliseconds(0);
  options.quiet_time = std::chrono::milliseconds(0);
  options.report_error = [](EventKind, const std::string&) {};
  TsrvCratemark service(site, std::make_unique<FolderLockTable>(fs),
                        std::make_unique<FolderLockTable>(fs), options);
  service.ServiceStart();
  for (const char* name : {"a.spl", "b.spl"}) {
    WriteWholeFile(site + "PreLabel" + sep + name, Job("Ann"));
    clock.Advance(1000);
    service.TimerTimer();
    EXPECT_FALSE(FileExists(site + "PreLabel" + sep + name)) << name;
    EXPECT_TRUE(FileExists(site + "Label1" + sep + name)) << name;
  }
  const std::string log = ReadWholeFile(site + "Cratemark.txt");
  EXPECT_NE(log.find("# Could not keep a.spl in " + site + "Printed: "), std::string::npos) << log;
  EXPECT_EQ(log.find("# Could not keep b.spl"), std::string::npos) << log;
}

}  // namespace
}  // namespace cratemark
