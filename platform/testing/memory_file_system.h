// A file system in memory whose power can be cut: what was not made durable
// is lost, as on a disk. File data counts as durable once written (every
// write of the system syncs its data); a name created, renamed or deleted
// counts only once its folder is synced (SyncFolder, or WriteWholeFile, which
// syncs its folder as the system's does). Paths as the system forms them:
// "/" or "\\" separate, names match without regard to case.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace cratemark::testing {

class MemoryFileSystem final : public FileSystem {
 public:
  MemoryFileSystem();

  // Set-up and inspection for tests; neither counted nor refused.
  void Put(std::string_view path, std::string_view bytes);  // durable at once
  std::optional<std::string> Get(std::string_view path) const;
  std::vector<std::string> FileNames(std::string_view folder) const;
  // A program has (or no longer has) the file open for writing.
  void SetWriterOpen(std::string_view path, bool open);
  // Appends to a file as a writer does (a new modification time).
  void Append(std::string_view path, std::string_view bytes);
  // What every folder is on (a local disk unless told).
  void SetVolume(Volume volume) { volume_ = std::move(volume); }
  // Every lease is answered so (as a share with oplocks off answers EAGAIN),
  // whatever the writers; unset, a lease is refused while a writer has the
  // file open.
  void AnswerLeasesWith(std::optional<LeaseAnswer> answer) { lease_answer_ = answer; }
  // The file times written from now on start here, in nanoseconds since
  // 1970 (a file server whose clock is behind or ahead).
  void SetFileClockNs(std::int64_t ns) { clock_ns_ = ns; }

  // The power fails after `count` more operations: what was not durable is
  // lost and each later operation throws until PowerOn. Every operation
  // counts, reads included.
  void CutPowerAfter(int count) { cut_after_ = count; }
  void CutPowerNow();
  bool PowerIsOff() const { return power_off_; }
  // The operations asked for have all happened: the next would cut the power.
  bool CutIsDue() const { return cut_after_ == 0; }
  // The power comes back with what survived.
  void PowerOn() {
    power_off_ = false;
    cut_after_ = -1;
  }
  int operations() const { return operations_; }

  bool FileExists(std::string_view path) override;
  bool DirectoryExists(std::string_view path) override;
  bool PathExists(std::string_view path) override;
  std::vector<DirectoryEntry> ListDirectory(std::string_view directory,
                                            std::string_view pattern) override;
  bool DeleteFileAt(std::string_view path) override;
  void CreateDirectories(std::string_view path) override;
  std::string ReadFileFrom(std::string_view path, std::uint64_t offset, FileStamp* stamp) override;
  std::string ReadSharedFrom(std::string_view path, std::uint64_t offset,
                             FileStamp* stamp) override;
  void WriteWholeFile(std::string_view path, std::string_view bytes) override;
  void AppendToFile(std::string_view path, std::string_view bytes) override;
  void LinkFile(std::string_view existing, std::string_view link) override;
  void RenameFile(std::string_view from, std::string_view to) override;
  FileStamp StampOf(std::string_view path) override;
  bool SameFolder(std::string_view a, std::string_view b) override;
  FileStamp StampOfFileIn(std::string_view folder, std::string_view name) override;
  std::string ReadFileIn(std::string_view folder, std::string_view name,
                         std::uint64_t max_bytes) override;
  void WriteWholeFileIn(std::string_view folder, std::string_view name,
                        std::string_view bytes) override;
  std::string WriteNewFileIn(std::string_view folder, std::string_view name,
                             std::string_view bytes) override;
  int RemoveAbandonedTemporaries(std::string_view) override { return 0; }
  bool DeleteFileIn(std::string_view folder, std::string_view name) override;
  void SyncFolder(std::string_view folder) override;
  std::unique_ptr<TakenJob> TakeJobIn(std::string_view folder, std::string_view name,
                                      std::uint64_t max_bytes) override;
  Volume VolumeOf(std::string_view) override;
  // Claims last as long as their objects, power cuts included (a process
  // that dies lets go of its locks).
  std::unique_ptr<FolderClaim> ClaimFolder(std::string_view path) override;

  struct Inode {
    std::string data;
    std::uint64_t id = 0;
    std::int64_t modified_ns = 0;
    int writers = 0;
    unsigned write_opens = 0;  // how often a writer opened it
  };
  struct Folder {
    std::map<std::string, std::pair<std::string, std::shared_ptr<Inode>>> live, durable;
  };

 private:
  class Job;
  void Step();  // counts an operation; refuses it when the power is off
  Folder* FolderOf(std::string_view folder);
  std::shared_ptr<Inode> Find(std::string_view path) const;
  std::shared_ptr<Inode> FindIn(std::string_view folder, std::string_view name) const;
  std::shared_ptr<Inode> NewInode(std::string_view bytes);
  // The regular file to read, or the error a read of it gives.
  std::shared_ptr<Inode> EntryToRead(std::string_view folder, std::string_view name,
                                     std::uint64_t max_bytes) const;
  FileStamp StampFrom(const Inode& inode) const;

  std::map<std::string, Folder> folders_;  // by normalized, upper-cased path
  std::shared_ptr<std::set<std::string>> claims_ = std::make_shared<std::set<std::string>>();
  std::uint64_t next_id_ = 1;
  std::int64_t clock_ns_ = 1'700'000'000'000'000'000;
  Volume volume_{VolumeKind::kLocalDisk, "memory", false};
  std::optional<LeaseAnswer> lease_answer_;
  int operations_ = 0;
  int cut_after_ = -1;
  bool power_off_ = false;
};

}  // namespace cratemark::testing
