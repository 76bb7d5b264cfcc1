#include "platform/testing/fault_file_system.h"

#include "platform/error.h"

namespace cratemark::testing {

// The job's delete is an operation of its own, and can fail too.
class FaultFileSystem::Job final : public TakenJob {
 public:
  Job(FaultFileSystem& fs, std::unique_ptr<TakenJob> base) : fs_(fs), base_(std::move(base)) {
    bytes_ = base_->bytes();
    stamp_ = base_->stamp();
  }
  LeaseAnswer lease() const override { return base_->lease(); }
  JobDeletion DeleteIfUnchanged() override {
    if (fs_.Fails(Kind::kWrite)) return JobDeletion::kFailed;
    return base_->DeleteIfUnchanged();
  }

 private:
  FaultFileSystem& fs_;
  std::unique_ptr<TakenJob> base_;
};

void FaultFileSystem::FailAt(int n, bool from_then_on, Only only) {
  fail_at_ = n;
  from_then_on_ = from_then_on;
  only_ = only;
  count_ = 0;
  reached_ = false;
}

bool FaultFileSystem::Fails(Kind kind) {
  if (only_ == Only::kWrites && kind != Kind::kWrite) return false;
  if (only_ == Only::kSyncs && kind != Kind::kSync) return false;
  ++count_;
  const bool fails = fail_at_ > 0 && (count_ == fail_at_ || (from_then_on_ && count_ > fail_at_));
  reached_ = reached_ || fails;
  return fails;
}

void FaultFileSystem::Check(Kind kind, std::string_view what) {
  if (Fails(kind)) {
    throw Error(ErrorKind::kIo,
                std::string(what) + " An injected fault (" + std::to_string(count_) + ").");
  }
}

bool FaultFileSystem::FileExists(std::string_view path) {
  return !Fails(Kind::kRead) && base_.FileExists(path);
}
bool FaultFileSystem::DirectoryExists(std::string_view path) {
  return !Fails(Kind::kRead) && base_.DirectoryExists(path);
}
bool FaultFileSystem::PathExists(std::string_view path) {
  return !Fails(Kind::kRead) && base_.PathExists(path);
}
std::vector<DirectoryEntry> FaultFileSystem::ListDirectory(std::string_view directory,
                                                           std::string_view pattern) {
  if (Fails(Kind::kRead)) return {};
  return base_.ListDirectory(directory, pattern);
}
bool FaultFileSystem::DeleteFileAt(std::string_view path) {
  return !Fails(Kind::kWrite) && base_.DeleteFileAt(path);
}
void FaultFileSystem::CreateDirectories(std::string_view path) {
  Check(Kind::kWrite, "Cannot create directory.");
  base_.CreateDirectories(path);
}
std::string FaultFileSystem::ReadFileFrom(std::string_view path, std::uint64_t offset,
                                          FileStamp* stamp) {
  Check(Kind::kRead, "Cannot open file \"" + std::string(path) + "\".");
  return base_.ReadFileFrom(path, offset, stamp);
}
std::string FaultFileSystem::ReadSharedFrom(std::string_view path, std::uint64_t offset,
                                            FileStamp* stamp) {
  Check(Kind::kRead, "Cannot open file \"" + std::string(path) + "\".");
  return base_.ReadSharedFrom(path, offset, stamp);
}
void FaultFileSystem::WriteWholeFile(std::string_view path, std::string_view bytes) {
  Check(Kind::kWrite, "Cannot create file \"" + std::string(path) + "\".");
  base_.WriteWholeFile(path, bytes);
}
void FaultFileSystem::AppendToFile(std::string_view path, std::string_view bytes) {
  Check(Kind::kWrite, "Cannot create file \"" + std::string(path) + "\".");
  base_.AppendToFile(path, bytes);
}
void FaultFileSystem::LinkFile(std::string_view existing, std::string_view link) {
  Check(Kind::kWrite, "Cannot create file \"" + std::string(link) + "\".");
  base_.LinkFile(existing, link);
}
void FaultFileSystem::RenameFile(std::string_view from, std::string_view to) {
  Check(Kind::kWrite, "Cannot rename file \"" + std::string(from) + "\".");
  base_.RenameFile(from, to);
}
FileStamp FaultFileSystem::StampOf(std::string_view path) {
  if (Fails(Kind::kRead)) return {};
  return base_.StampOf(path);
}
bool FaultFileSystem::SameFolder(std::string_view a, std::string_view b) {
  return !Fails(Kind::kRead) && base_.SameFolder(a, b);
}
FileStamp FaultFileSystem::StampOfFileIn(std::string_view folder, std::string_view name) {
  if (Fails(Kind::kRead)) return {};
  return base_.StampOfFileIn(folder, name);
}
std::string FaultFileSystem::ReadFileIn(std::string_view folder, std::string_view name,
                                        std::uint64_t max_bytes) {
  Check(Kind::kRead, "Cannot open file \"" + std::string(name) + "\".");
  return base_.ReadFileIn(folder, name, max_bytes);
}
void FaultFileSystem::WriteWholeFileIn(std::string_view folder, std::string_view name,
                                       std::string_view bytes) {
  Check(Kind::kWrite, "Cannot create file \"" + std::string(name) + "\".");
  base_.WriteWholeFileIn(folder, name, bytes);
}
std::string FaultFileSystem::WriteNewFileIn(std::string_view folder, std::string_view name,
                                            std::string_view bytes) {
  Check(Kind::kWrite, "Cannot create file \"" + std::string(name) + "\".");
  return base_.WriteNewFileIn(folder, name, bytes);
}
int FaultFileSystem::RemoveAbandonedTemporaries(std::string_view folder) {
  if (Fails(Kind::kWrite)) return 0;
  return base_.RemoveAbandonedTemporaries(folder);
}
bool FaultFileSystem::DeleteFileIn(std::string_view folder, std::string_view name) {
  return !Fails(Kind::kWrite) && base_.DeleteFileIn(folder, name);
}
void FaultFileSystem::SyncFolder(std::string_view folder) {
  Check(Kind::kSync, "Cannot sync folder \"" + std::string(folder) + "\".");
  base_.SyncFolder(folder);
}
std::unique_ptr<TakenJob> FaultFileSystem::TakeJobIn(std::string_view folder, std::string_view name,
                                                     std::uint64_t max_bytes) {
  Check(Kind::kRead, "Cannot open file \"" + std::string(name) + "\".");
  return std::make_unique<Job>(*this, base_.TakeJobIn(folder, name, max_bytes));
}

Volume FaultFileSystem::VolumeOf(std::string_view folder) {
  // A volume that cannot be looked at is unknown, as on the machine.
  if (Fails(Kind::kRead)) return {};
  return base_.VolumeOf(folder);
}

std::unique_ptr<FolderClaim> FaultFileSystem::ClaimFolder(std::string_view path) {
  Check(Kind::kWrite, "Cannot open file \"" + std::string(path) + "\".");
  return base_.ClaimFolder(path);
}

}  // namespace cratemark::testing
