// The service's memory after 100,000 jobs against its memory after 10: the
// service module itself (TsrvCratemark, as the service host drives it), one
// poll tick per job, in a program folder on a memory file system so that
// 100,000 jobs take a minute rather than the days a real one-second poll
// would. The lock tables are folder-backed stand-ins: the destination
// printer counts as served. Heap in use is what the process's allocator
// reports (mallinfo2), the figure that grows when something is kept per job.
#include <malloc.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "bench/bench_util.h"
#include "platform/file_system.h"
#include "service/srvMain.h"

using namespace cratemark;
using namespace cratemark::bench;

namespace {

// A printer's lock table as a folder holding "LOCKSPL.DBF"; its lock is
// refused (a spooler holds it) for the destination printer only.
class FolderLockTable : public LockTable {
 public:
  void SetDatabaseName(const std::string& directory) override { directory_ = directory; }
  const std::string& DatabaseName() const override { return directory_; }
  void Open() override {
    if (!FileExists(directory_ + "/LOCKSPL.DBF")) throw std::runtime_error("no lock table");
    active_ = true;
    if (after_open_) after_open_(*this);
  }
  void Close() override { active_ = false; }
  bool Active() const override { return active_; }
  bool FLock() override { return active_ && !directory_.ends_with("Label1"); }
  void CreateTable() override { WriteWholeFile(directory_ + "/LOCKSPL.DBF", ""); }
  void SetAfterOpen(std::function<void(LockTable&)> handler) override {
    after_open_ = std::move(handler);
  }

 private:
  std::string directory_;
  bool active_ = false;
  std::function<void(LockTable&)> after_open_;
};

std::size_t HeapInUse() { return mallinfo2().uordblks; }

}  // namespace

int main(int argc, char** argv) {
  const int jobs = argc > 1 ? std::atoi(argv[1]) : 100000;
  const std::string base = std::filesystem::exists("/dev/shm") ? "/dev/shm/" : "/tmp/";
  const std::string dir = base + "cratemark-memory-bench-" + std::to_string(getpid()) + "/";
  for (const char* printer : {"PreLabel", "Label1", "Label2"}) {
    std::filesystem::create_directories(dir + printer);
    WriteWholeFile(dir + printer + "/LOCKSPL.DBF", "");
  }
  WriteWholeFile(dir + "Cratemark.cfg",
                 "SPLDirSource=PreLabel\r\nSPLDirDest=Label1\r\nSPLDirBackup=Label2\r\n"
                 "LabelsText=Labels\r\nTimeText=Time:\r\nMapText=Map:\r\nTotalText=Total:\r\n");
  WriteWholeFile(dir + "LabelDesign.txt", "<Reference>\r\n<Item Name>\r\n<Item Mod[1]>\r\n");
  std::string job = "Order 1234\r\n";
  for (int i = 1; i < 100; ++i) job += "line " + std::to_string(i) + "\r\n";

  std::size_t heap_after_10 = 0;
  {
    ServiceOptions options;
    options.settle_time = std::chrono::milliseconds(0);
    TsrvCratemark service(dir, std::make_unique<FolderLockTable>(),
                          std::make_unique<FolderLockTable>(), options);
    service.ServiceStart();
    const auto start = Clock::now();
    for (int n = 1; n <= jobs; ++n) {
      WriteWholeFile(dir + "PreLabel/job.spl", job);
      service.TimerTimer();
      if (FileExists(dir + "PreLabel/job.spl")) {
        std::fprintf(stderr, "job %d was not taken\n", n);
        return 2;
      }
      DeleteFileAt(dir + "Label1/job.spl");  // the spooler prints it
      if (n == 10) heap_after_10 = HeapInUse();
    }
    const double seconds = SecondsSince(start);
    const std::size_t heap_after_all = HeapInUse();
    const double log_mb = static_cast<double>(StampOf(dir + "Cratemark.txt").size) / 1e6;
    std::printf("Service memory (in-process module, %d jobs in %.0f s, log %.1f MB)\n", jobs,
                seconds, log_mb);
    PrintFigure("heap in use after 10 jobs", heap_after_10 / 1024.0, "KB");
    PrintFigure("heap in use after " + std::to_string(jobs) + " jobs", heap_after_all / 1024.0,
                "KB");
    const bool met = PrintRatio(
        "after all / after 10",
        static_cast<double>(heap_after_all) / static_cast<double>(heap_after_10), 2.0, true);
    service.ServiceStop();
    std::filesystem::remove_all(dir);
    return met ? 0 : 1;
  }
}
