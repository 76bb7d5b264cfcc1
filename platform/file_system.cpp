// The machine's FileSystem: each method is the free function of its name.
#include "platform/file_system.h"

#include "platform/folder_claim.h"

namespace cratemark {
namespace {

class SystemFs final : public FileSystem {
 public:
  bool FileExists(std::string_view path) override { return cratemark::FileExists(path); }
  bool DirectoryExists(std::string_view path) override { return cratemark::DirectoryExists(path); }
  bool PathExists(std::string_view path) override { return cratemark::PathExists(path); }
  std::vector<DirectoryEntry> ListDirectory(std::string_view directory,
                                            std::string_view pattern) override {
    return cratemark::ListDirectory(directory, pattern);
  }
  bool DeleteFileAt(std::string_view path) override { return cratemark::DeleteFileAt(path); }
  void CreateDirectories(std::string_view path) override { cratemark::CreateDirectories(path); }
  std::string ReadFileFrom(std::string_view path, std::uint64_t offset, FileStamp* stamp) override {
    return cratemark::ReadFileFrom(path, offset, stamp);
  }
  std::string ReadSharedFrom(std::string_view path, std::uint64_t offset,
                             FileStamp* stamp) override {
    return cratemark::ReadSharedFrom(path, offset, stamp);
  }
  void WriteWholeFile(std::string_view path, std::string_view bytes) override {
    cratemark::WriteWholeFile(path, bytes);
  }
  void AppendToFile(std::string_view path, std::string_view bytes) override {
    cratemark::AppendToFile(path, bytes);
  }
  void LinkFile(std::string_view existing, std::string_view link) override {
    cratemark::LinkFile(existing, link);
  }
  void RenameFile(std::string_view from, std::string_view to) override {
    cratemark::RenameFile(from, to);
  }
  FileStamp StampOf(std::string_view path) override { return cratemark::StampOf(path); }
  bool SameFolder(std::string_view a, std::string_view b) override {
    return cratemark::SameFolder(a, b);
  }
  FileStamp StampOfFileIn(std::string_view folder, std::string_view name) override {
    return cratemark::StampOfFileIn(folder, name);
  }
  std::string ReadFileIn(std::string_view folder, std::string_view name,
                         std::uint64_t max_bytes) override {
    return cratemark::ReadFileIn(folder, name, max_bytes);
  }
  void WriteWholeFileIn(std::string_view folder, std::string_view name,
                        std::string_view bytes) override {
    cratemark::WriteWholeFileIn(folder, name, bytes);
  }
  std::string WriteNewFileIn(std::string_view folder, std::string_view name,
                             std::string_view bytes) override {
    return cratemark::WriteNewFileIn(folder, name, bytes);
  }
  int RemoveAbandonedTemporaries(std::string_view folder) override {
    return cratemark::RemoveAbandonedTemporaries(folder);
  }
  bool DeleteFileIn(std::string_view folder, std::string_view name) override {
    return cratemark::DeleteFileIn(folder, name);
  }
  void SyncFolder(std::string_view folder) override { cratemark::SyncFolder(folder); }
  std::unique_ptr<TakenJob> TakeJobIn(std::string_view folder, std::string_view name,
                                      std::uint64_t max_bytes) override {
    return cratemark::TakeJobIn(folder, name, max_bytes);
  }
  Volume VolumeOf(std::string_view folder) override { return cratemark::VolumeOf(folder); }
  std::unique_ptr<FolderClaim> ClaimFolder(std::string_view path) override {
    return cratemark::ClaimFolder(path);
  }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static SystemFs file_system;
  return file_system;
}

std::string NumberedName(std::string_view name, int n) {
  // The number goes before the extension, so the name still matches "*.spl".
  const std::size_t dot = name.rfind('.');
  const std::size_t split = dot == std::string_view::npos || dot == 0 ? name.size() : dot;
  return std::string(name.substr(0, split)) + "-" + std::to_string(n) +
         std::string(name.substr(split));
}

}  // namespace cratemark
