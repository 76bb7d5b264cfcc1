// A file system that fails on purpose, over another one: operation N fails
// once, or every operation from N on. A failing operation throws
// Error(kIo), or gives what it gives for a failure (false, an empty
// listing, no stamp). Faults can be kept to writes (a full disk) or to
// folder syncs.
#pragma once

#include <memory>
#include <string>

#include "platform/file_system.h"

namespace cratemark::testing {

class FaultFileSystem final : public FileSystem {
 public:
  enum class Only { kAny, kWrites, kSyncs };
  explicit FaultFileSystem(FileSystem& base) : base_(base) {}

  // Operation `n` (counted from 1 from now on) fails; with `from_then_on`,
  // every one after it too. Only operations of the kind `only` count.
  void FailAt(int n, bool from_then_on, Only only = Only::kAny);
  void Heal() { fail_at_ = 0; }
  // Operations counted since the last FailAt (of the kind it names).
  int operations() const { return count_; }
  bool reached() const { return reached_; }  // a fault was injected

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
  int RemoveAbandonedTemporaries(std::string_view folder) override;
  bool DeleteFileIn(std::string_view folder, std::string_view name) override;
  void SyncFolder(std::string_view folder) override;
  std::unique_ptr<TakenJob> TakeJobIn(std::string_view folder, std::string_view name,
                                      std::uint64_t max_bytes) override;
  Volume VolumeOf(std::string_view folder) override;
  std::unique_ptr<FolderClaim> ClaimFolder(std::string_view path) override;

 private:
  class Job;
  enum class Kind { kRead, kWrite, kSync };
  // True when this operation is to fail.
  bool Fails(Kind kind);
  // Throws the injected error when this operation is to fail.
  void Check(Kind kind, std::string_view what);

  FileSystem& base_;
  int fail_at_ = 0;  // 0: no fault
  bool from_then_on_ = false;
  Only only_ = Only::kAny;
  int count_ = 0;
  bool reached_ = false;
};

}  // namespace cratemark::testing
