#include "service/srvMain.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "platform/file_system.h"
#include "platform/scoped_temp_dir.h"
#include "shared/status_file.h"

namespace cratemark {
namespace {

// A lock table that opens when its folder holds "LOCKSPL.DBF" and whose lock
// is always free (no spooler anywhere).
class FolderLockTable : public LockTable {
 public:
  void SetDatabaseName(const std::string& directory) override { directory_ = directory; }
  const std::string& DatabaseName() const override { return directory_; }
  void Open() override {
    if (active_) return;
    if (!FileExists(Path())) throw std::runtime_error("no lock table");
    active_ = true;
    if (after_open_) after_open_(*this);
  }
  void Close() override { active_ = false; }
  bool Active() const override { return active_; }
  bool FLock() override { return active_; }
  void CreateTable() override { WriteWholeFile(Path(), ""); }
  void SetAfterOpen(std::function<void(LockTable&)> handler) override {
    after_open_ = std::move(handler);
  }

 private:
  std::string Path() const { return directory_ + kPathSeparator + "LOCKSPL.DBF"; }
  std::string directory_;
  bool active_ = false;
  std::function<void(LockTable&)> after_open_;
};

class ServiceModuleTest : public ::testing::Test {
 protected:
  ServiceModuleTest() {
    for (const char* printer : {"PreLabel", "Label1", "Label2"}) {
      std::filesystem::create_directories(dir_.path() + printer);
    }
    WriteWholeFile(dir_.path() + "LabelDesign.txt", "<Reference>\r\n");
    std::string job = "Ann\r\n";
    for (int i = 1; i < 100; ++i) job += "\r\n";
    WriteWholeFile(Job(), job);
  }

  std::string Job() const { return dir_.path() + "PreLabel" + kPathSeparator + "a.spl"; }

  std::unique_ptr<TsrvCratemark> Start(const std::string& dest, const std::string& backup) {
    WriteWholeFile(dir_.path() + "Cratemark.cfg", "SPLDirSource=PreLabel\r\nSPLDirDest=" + dest +
                                                      "\r\nSPLDirBackup=" + backup + "\r\n");
    auto module = std::make_unique<TsrvCratemark>(dir_.path(), std::make_unique<FolderLockTable>(),
                                                  std::make_unique<FolderLockTable>(),
                                                  std::chrono::milliseconds(0));
    module->ServiceStart();
    return module;
  }

  ScopedTempDir dir_;
};

TEST_F(ServiceModuleTest, ALabelPrinterThatIsTheSourcePrinterHaltsAndKeepsTheOrder) {
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
    auto module = Start(c.dest, c.backup);
    EXPECT_EQ(ReadStatusFile(dir_.path()), c.status) << c.dest << " " << c.backup;
    EXPECT_TRUE(module->Halted());
    module->TimerTimer();
    EXPECT_TRUE(FileExists(Job())) << c.dest << " " << c.backup;
  }

  auto module = Start("Label1", "Label2");
  EXPECT_EQ(ReadStatusFile(dir_.path()), kStatusOk);
  module->TimerTimer();
  EXPECT_FALSE(FileExists(Job()));
  EXPECT_TRUE(FileExists(dir_.path() + "Label1" + kPathSeparator + "a.spl"));
}

}  // namespace
}  // namespace cratemark
