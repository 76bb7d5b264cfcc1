// A lock table backed by a plain file "LOCKSPL.DBF" in its folder, for the
// service's tests. What the file holds plays the host's part:
//   "held"        a spooler holds the lock (FLock fails);
//   "unopenable"  the table cannot be opened, and creating it changes nothing;
//   anything else a lock table nobody holds.
// A folder named "LOCKSPL.DBF" makes the creation fail.
#pragma once

#include <functional>
#include <string>

#include "platform/error.h"
#include "platform/file_system.h"
#include "service/lock_table.h"
#include "shared/host_files.h"

namespace cratemark::testing {

class FolderLockTable : public LockTable {
 public:
  // `fs` must outlive the table.
  explicit FolderLockTable(FileSystem& fs = SystemFileSystem()) : fs_(fs) {}
  void SetDatabaseName(const std::string& directory) override { directory_ = directory; }
  const std::string& DatabaseName() const override { return directory_; }
  void Open() override {
    if (active_) return;
    if (!fs_.FileExists(Path()) || Content() == "unopenable") {
      throw Error(ErrorKind::kNotFound, "Unable to open table: " + Path());
    }
    active_ = true;
    if (after_open_) after_open_(*this);
  }
  void Close() override { active_ = false; }
  bool Active() const override { return active_; }
  bool FLock() override { return active_ && Content() != "held"; }
  void CreateTable() override {
    if (fs_.FileExists(Path()) && Content() == "unopenable") return;
    fs_.WriteWholeFile(Path(), "");
  }
  void SetAfterOpen(std::function<void(LockTable&)> handler) override {
    after_open_ = std::move(handler);
  }

 private:
  std::string Path() const { return directory_ + kPathSeparator + std::string(kLockTableFileName); }
  std::string Content() const {
    try {
      return fs_.ReadWholeFile(Path());
    } catch (const Error&) {
      return "";
    }
  }

  FileSystem& fs_;
  std::string directory_;
  bool active_ = false;
  std::function<void(LockTable&)> after_open_;
};

}  // namespace cratemark::testing
