// The real service against what a site can put in its way: odd and hostile
// spool entries, folders and disks that go away, broken tables and files.
// Each test ends with every order delivered or still waiting, and the
// service running (it answers SIGTERM) or having reported a failed start.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <thread>

#include "platform/file_system.h"
#include "tests/service_e2e_harness.h"

namespace cratemark::e2e {
namespace {

class ServiceFault : public ::testing::Test {
 protected:
  ProgramFolder folder_;

  void Order(const std::string& job, const std::string& reference) {
    ASSERT_EQ(RunTool(folder_.Sim({"order", folder_.Path("PreLabel"), job, reference + "|Soup"})),
              0);
  }
  std::string Label(const std::string& reference) { return reference + "/Soup/\r\n"; }
  bool Delivered(const std::string& job, const std::string& reference) {
    return !folder_.Exists("PreLabel/" + job) &&
           folder_.ReadFile("Label1/" + job) == Label(reference);
  }
  // The service is still there and ends cleanly when asked.
  void StopsCleanly(Child& service) {
    ASSERT_TRUE(service.Running());
    service.Signal(SIGTERM);
    EXPECT_EQ(service.Wait(), 0);
  }
  std::size_t LinesContaining(const std::string& part) {
    std::size_t count = 0;
    for (const std::string& message : folder_.LogMessages()) {
      if (message.find(part) != std::string::npos) ++count;
    }
    return count;
  }
};

TEST_F(ServiceFault, HostileEntriesNeitherHangTheServiceNorCostAnOrder) {
  folder_.SetUp();
  const std::string source = folder_.Path("PreLabel/");
  // Listed before the real order, each of them.
  ASSERT_EQ(mkfifo((source + "0fifo.spl").c_str(), 0644), 0);
  std::filesystem::create_symlink("/dev/zero", source + "1zero.spl");
  std::filesystem::create_directory(source + "2folder.spl");
  folder_.WriteFile("PreLabel/3big.spl", std::string(5 * 1024 * 1024, 'x'));
  folder_.WriteFile("Label1/victim.spl", "waiting label");
  Order("4job.spl", "Ann");
  std::filesystem::rename(source + "4job.spl", source + "..\\Label1\\victim.spl");
  Order("5job.spl", "Bob");
  std::filesystem::rename(source + "5job.spl", source + "5 forged\n01-01-2026 : ! Starting.spl");
  Order("6job.spl", "Cy");
  std::filesystem::rename(source + "6job.spl", source + std::string(251, 'n') + ".spl");
  Order("7job.spl", "Di");

  Child service = folder_.StartService();
  // Listed last of all (sorted by name), so every entry has been seen.
  const std::string last = std::string(251, 'n') + ".spl";
  ASSERT_TRUE(WaitUntil([&] { return !std::filesystem::exists(source + last); }, 15000ms));
  EXPECT_TRUE(Delivered("7job.spl", "Di"));
  EXPECT_EQ(folder_.ReadFile("Label1/victim.spl"), "waiting label");
  EXPECT_EQ(ReadFileIn(folder_.Path("Label1"), "..\\Label1\\victim.spl", 1000), Label("Ann"));
  EXPECT_EQ(ReadFileIn(folder_.Path("Label1"), "5 forged\n01-01-2026 : ! Starting.spl", 1000),
            Label("Bob"));
  EXPECT_EQ(ReadFileIn(folder_.Path("Label1"), std::string(251, 'n') + ".spl", 1000), Label("Cy"));
  std::this_thread::sleep_for(2s);  // more ticks over the entries left
  for (const char* entry : {"0fifo.spl", "1zero.spl", "2folder.spl", "3big.spl"}) {
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::symlink_status(source + entry))) << entry;
    EXPECT_EQ(LinesContaining("## Skipped " + source + entry), 1u) << entry;
  }
  Lines log = folder_.LogMessages();
  EXPECT_EQ(std::count_if(log.begin(), log.end(),
                          [](const std::string& m) { return m.starts_with("! Starting"); }),
            1)
      << "a name forged a log line";
  EXPECT_EQ(LinesContaining("5 forged?01-01-2026 : ! Starting.spl"),
            3u);  // loading, sending, deleting
  StopsCleanly(service);
}

TEST_F(ServiceFault, ADestinationFolderRemovedAndRecreatedKeepsTheOrderUntilItIsBack) {
  folder_.SetUp();
  Child service = folder_.StartService("/dev/null", folder_.Path("stderr"));
  // Started, and its folders checked: status 0 is written before the checks.
  ASSERT_TRUE(WaitUntil([&] { return folder_.LogMessages().size() == kStartLines; }));
  ASSERT_EQ(folder_.Status(), "0");
  // The backup down too (a lock table nobody holds): nowhere to print.
  ASSERT_EQ(RunTool(folder_.Sim({"locktable", folder_.Path("Label2")})), 0);
  std::filesystem::remove_all(folder_.Path("Label1"));
  Order("a.spl", "Ann");
  std::this_thread::sleep_for(2500ms);
  EXPECT_TRUE(folder_.Exists("PreLabel/a.spl")) << "gone while its printer was";
  std::filesystem::create_directory(folder_.Path("Label1"));
  EXPECT_TRUE(WaitUntil([&] { return Delivered("a.spl", "Ann"); }))
      << JoinLines(folder_.LogMessages()) << folder_.ReadFile("stderr");
  StopsCleanly(service);
}

TEST_F(ServiceFault, AFullDestinationDiskKeepsTheOrderUntilThereIsRoom) {
  if (geteuid() != 0) GTEST_SKIP() << "mounting a small disk needs root";
  folder_.SetUp();
  const std::string dest = folder_.Path("Label1");
  if (mount("tmpfs", dest.c_str(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "cannot mount a tmpfs here";
  }
  struct Unmount {
    std::string path;
    ~Unmount() { umount2(path.c_str(), MNT_DETACH); }
  } unmount{dest};
  folder_.WriteFile("Label1/filler", std::string(64 * 1024, 'f'));  // as much as fits
  // The backup down (a lock table nobody holds): nowhere else to print.
  ASSERT_EQ(RunTool(folder_.Sim({"locktable", folder_.Path("Label2")})), 0);
  Child service = folder_.StartService();
  ASSERT_TRUE(WaitUntil([&] { return folder_.Status() == "0"; }));
  Order("a.spl", "Ann");
  std::this_thread::sleep_for(2500ms);
  EXPECT_TRUE(folder_.Exists("PreLabel/a.spl")) << "deleted although its labels were not written";
  EXPECT_FALSE(folder_.Exists("Label1/a.spl"));
  std::filesystem::remove(folder_.Path("Label1/filler"));
  EXPECT_TRUE(WaitUntil([&] { return Delivered("a.spl", "Ann"); }));
  // Nothing but the label is left on the disk: no temporary file.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dest), {}), 1);
  StopsCleanly(service);
}

TEST_F(ServiceFault, CorruptLockTables) {
  struct Case {
    const char* name;
    const char* folder;
  };
  for (const Case& c :
       {Case{"in the source folder", "PreLabel"}, Case{"in the destination folder", "Label1"}}) {
    SCOPED_TRACE(c.name);
    ProgramFolder folder;
    folder.SetUp();
    folder.WriteFile(std::string(c.folder) + "/LOCKSPL.DBF", "this is no table\x1a");
    ASSERT_EQ(RunTool(folder.Sim({"order", folder.Path("PreLabel"), "a.spl", "Ann|Soup"})), 0);
    Child service = folder.StartService("/dev/null", folder.Path("stderr"));
    // Either the service runs and delivers, or it halts or fails with the order kept.
    ASSERT_TRUE(WaitUntil([&] {
      return !folder.Exists("PreLabel/a.spl") || !service.Running() || folder.Status() == "3";
    }));
    std::this_thread::sleep_for(1500ms);
    const bool kept = folder.Exists("PreLabel/a.spl");
    const bool delivered = folder.ReadFile("Label1/a.spl") == "Ann/Soup/\r\n" ||
                           folder.ReadFile("Label2/a.spl") == "Ann/Soup/\r\n";
    EXPECT_TRUE(kept || delivered) << "the order is lost";
    if (service.Running()) {
      service.Signal(SIGTERM);
      EXPECT_EQ(service.Wait(), 0);
    } else {
      EXPECT_NE(service.Wait(), 0);
      EXPECT_NE(folder.ReadFile("stderr").find("Service failed on start"), std::string::npos);
    }
  }
}

TEST_F(ServiceFault, ADesignDeletedWhileRunningHaltsUntilItIsBack) {
  folder_.SetUp();
  Child service = folder_.StartService();
  ASSERT_TRUE(WaitUntil([&] { return folder_.Status() == "0"; }));
  std::filesystem::remove(folder_.Path("LabelDesign.txt"));
  Order("a.spl", "Ann");
  ASSERT_TRUE(WaitUntil([&] { return folder_.Status() == "5"; }));
  std::this_thread::sleep_for(1500ms);
  EXPECT_TRUE(folder_.Exists("PreLabel/a.spl"));
  folder_.WriteFile("LabelDesign.txt", "<Reference>/<Item Name>/<Item Mod[1]>\r\n");
  folder_.WriteFile("CratemarkConfigChanged", "");
  EXPECT_TRUE(WaitUntil([&] { return Delivered("a.spl", "Ann"); }));
  StopsCleanly(service);
}

TEST_F(ServiceFault, UnreadableSettings) {
  struct Case {
    const char* name;
    std::function<void(ProgramFolder&)> spoil;
    bool starts;  // false: the start fails and says so
  };
  const Case cases[] = {
      {"a FIFO in its place",
       [](ProgramFolder& f) {
         std::filesystem::remove(f.Path("Cratemark.cfg"));
         ASSERT_EQ(mkfifo(f.Path("Cratemark.cfg").c_str(), 0644), 0);
       },
       true},
      {"a folder in its place, which cannot be replaced either",
       [](ProgramFolder& f) {
         std::filesystem::remove(f.Path("Cratemark.cfg"));
         std::filesystem::create_directories(f.Path("Cratemark.cfg/inner"));
       },
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramFolder folder;
    folder.SetUp();
    c.spoil(folder);
    ASSERT_EQ(RunTool(folder.Sim({"order", folder.Path("PreLabel"), "a.spl", "Ann|Soup"})), 0);
    Child service = folder.StartService("/dev/null", folder.Path("stderr"));
    if (c.starts) {
      // Halted with its status and a line that names the file; the settings
      // are written back, but not used until the console saves them.
      ASSERT_TRUE(WaitUntil([&] { return folder.LogMessages().size() > kStartLines; }));
      EXPECT_TRUE(
          WaitUntil([&] { return folder.ReadFile("Cratemark.cfg").starts_with("SPLDirSource="); }));
      EXPECT_TRUE(WaitUntil([&] { return folder.Status() == "7"; }));
      EXPECT_NE(JoinLines(folder.LogMessages()).find("Cratemark.cfg"), std::string::npos);
      std::this_thread::sleep_for(1500ms);
      EXPECT_TRUE(folder.Exists("PreLabel/a.spl"));
      folder.WriteFile("CratemarkConfigChanged", "");
      EXPECT_TRUE(WaitUntil([&] { return !folder.Exists("PreLabel/a.spl"); }))
          << "taken once the console saved";
      service.Signal(SIGTERM);
      EXPECT_EQ(service.Wait(), 0);
    } else {
      EXPECT_NE(service.Wait(), 0);
      EXPECT_NE(folder.ReadFile("stderr").find("Service failed on start"), std::string::npos);
      EXPECT_TRUE(folder.Exists("PreLabel/a.spl"));
    }
  }
}

}  // namespace
}  // namespace cratemark::e2e
