#include "platform/testing/memory_file_system.h"

#include <algorithm>

#include "platform/error.h"
#include "platform/folder_claim.h"
#include "platform/text.h"
#include "platform/wildcard.h"

namespace cratemark::testing {
namespace {

// The components of `path`, "." and ".." resolved; "/" and "\\" separate.
std::vector<std::string> Components(std::string_view path) {
  std::vector<std::string> parts;
  std::string part;
  const auto flush = [&] {
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    part.clear();
  };
  for (char c : path) {
    if (c == '/' || c == '\\') {
      flush();
    } else {
      part += c;
    }
  }
  flush();
  return parts;
}

std::string Join(const std::vector<std::string>& parts, std::size_t count) {
  std::string joined;
  for (std::size_t i = 0; i < count; ++i) joined += "/" + parts[i];
  return joined;
}

std::string KeyOf(std::string_view path) {
  const auto parts = Components(path);
  return ToUpper(Join(parts, parts.size()));
}

// The folder key and the entry name of a file path.
std::pair<std::string, std::string> Split(std::string_view path) {
  const auto parts = Components(path);
  if (parts.empty()) return {"", ""};
  return {ToUpper(Join(parts, parts.size() - 1)), parts.back()};
}

Error Missing(std::string_view what, std::string_view path) {
  return Error(ErrorKind::kNotFound,
               std::string(what) + " \"" + std::string(path) + "\". The file does not exist.");
}

}  // namespace

// A job held: its delete checks that the entry is still the inode read and
// that no writer opened it since.
class MemoryFileSystem::Job final : public TakenJob {
 public:
  Job(MemoryFileSystem& fs, std::string folder, std::string name, std::shared_ptr<Inode> inode,
      LeaseAnswer lease)
      : fs_(fs),
        folder_(std::move(folder)),
        name_(std::move(name)),
        inode_(std::move(inode)),
        write_opens_(inode_->write_opens),
        lease_(lease) {
    bytes_ = inode_->data;
    stamp_ = fs_.StampFrom(*inode_);
  }
  LeaseAnswer lease() const override { return lease_; }
  JobDeletion DeleteIfUnchanged() override {
    fs_.Step();
    Folder* folder = fs_.FolderOf(folder_);
    if (!folder) return JobDeletion::kChanged;
    const auto it = folder->live.find(ToUpper(name_));
    // A writer is seen only through a lease that was granted.
    const bool leased = lease_ == LeaseAnswer::kGranted;
    if (it == folder->live.end() || it->second.second != inode_ ||
        (leased && (inode_->write_opens != write_opens_ || inode_->writers > 0)) ||
        !(fs_.StampFrom(*inode_) == stamp_)) {
      return JobDeletion::kChanged;
    }
    folder->live.erase(it);
    return JobDeletion::kDeleted;
  }

 private:
  MemoryFileSystem& fs_;
  std::string folder_;
  std::string name_;
  std::shared_ptr<Inode> inode_;
  unsigned write_opens_;
  LeaseAnswer lease_;
};

MemoryFileSystem::MemoryFileSystem() { folders_[""]; }

void MemoryFileSystem::Step() {
  if (cut_after_ == 0) CutPowerNow();
  if (power_off_) throw Error(ErrorKind::kIo, "The power is off.");
  if (cut_after_ > 0) --cut_after_;
  ++operations_;
}

void MemoryFileSystem::CutPowerNow() {
  for (auto& [key, folder] : folders_) folder.live = folder.durable;
  power_off_ = true;
  cut_after_ = -1;
}

MemoryFileSystem::Folder* MemoryFileSystem::FolderOf(std::string_view folder) {
  const auto it = folders_.find(KeyOf(folder));
  return it == folders_.end() ? nullptr : &it->second;
}

std::shared_ptr<MemoryFileSystem::Inode> MemoryFileSystem::Find(std::string_view path) const {
  const auto [folder_key, name] = Split(path);
  const auto folder = folders_.find(folder_key);
  if (folder == folders_.end() || name.empty()) return nullptr;
  const auto it = folder->second.live.find(ToUpper(name));
  return it == folder->second.live.end() ? nullptr : it->second.second;
}

std::shared_ptr<MemoryFileSystem::Inode> MemoryFileSystem::FindIn(std::string_view folder,
                                                                  std::string_view name) const {
  return Find(std::string(folder) + "/" + std::string(name));
}

std::shared_ptr<MemoryFileSystem::Inode> MemoryFileSystem::NewInode(std::string_view bytes) {
  auto inode = std::make_shared<Inode>();
  inode->data = std::string(bytes);
  inode->id = next_id_++;
  inode->modified_ns = clock_ns_ += 1000;
  return inode;
}

FileStamp MemoryFileSystem::StampFrom(const Inode& inode) const {
  return {true, inode.data.size(), inode.modified_ns, inode.id, inode.modified_ns};
}

void MemoryFileSystem::Put(std::string_view path, std::string_view bytes) {
  const auto parts = Components(path);
  for (std::size_t i = 0; i < parts.size(); ++i) folders_[ToUpper(Join(parts, i))];
  const auto [folder_key, name] = Split(path);
  Folder& folder = folders_[folder_key];
  const auto entry = std::make_pair(name, NewInode(bytes));
  folder.live[ToUpper(name)] = entry;
  folder.durable[ToUpper(name)] = entry;
}

std::optional<std::string> MemoryFileSystem::Get(std::string_view path) const {
  const auto inode = Find(path);
  if (!inode) return std::nullopt;
  return inode->data;
}

std::vector<std::string> MemoryFileSystem::FileNames(std::string_view folder) const {
  std::vector<std::string> names;
  const auto it = folders_.find(KeyOf(folder));
  if (it == folders_.end()) return names;
  for (const auto& [key, entry] : it->second.live) names.push_back(entry.first);
  return names;
}

void MemoryFileSystem::SetWriterOpen(std::string_view path, bool open) {
  const auto inode = Find(path);
  if (!inode) return;
  inode->writers += open ? 1 : -1;
  if (open) ++inode->write_opens;
}

void MemoryFileSystem::Append(std::string_view path, std::string_view bytes) {
  const auto inode = Find(path);
  if (!inode) return Put(path, bytes);
  inode->data += bytes;
  inode->modified_ns = clock_ns_ += 1000;
  ++inode->write_opens;
}

bool MemoryFileSystem::FileExists(std::string_view path) {
  Step();
  return Find(path) != nullptr;
}

bool MemoryFileSystem::DirectoryExists(std::string_view path) {
  Step();
  return folders_.contains(KeyOf(path));
}

bool MemoryFileSystem::PathExists(std::string_view path) {
  Step();
  return Find(path) != nullptr || folders_.contains(KeyOf(path));
}

std::vector<DirectoryEntry> MemoryFileSystem::ListDirectory(std::string_view directory,
                                                            std::string_view pattern) {
  Step();
  std::vector<DirectoryEntry> entries;
  const std::string key = KeyOf(directory);
  const auto folder = folders_.find(key);
  if (folder == folders_.end()) return entries;
  for (const auto& [upper, entry] : folder->second.live) {
    if (MatchesPattern(entry.first, pattern)) entries.push_back({entry.first, EntryType::kFile});
  }
  for (const auto& [other, unused] : folders_) {
    const auto [parent, name] = Split(other);
    if (!other.empty() && parent == key && MatchesPattern(name, pattern)) {
      entries.push_back({name, EntryType::kDirectory});
    }
  }
  std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return ToUpper(a.name) < ToUpper(b.name); });
  return entries;
}

bool MemoryFileSystem::DeleteFileAt(std::string_view path) {
  Step();
  const auto [folder_key, name] = Split(path);
  const auto folder = folders_.find(folder_key);
  return folder != folders_.end() && folder->second.live.erase(ToUpper(name)) > 0;
}

void MemoryFileSystem::CreateDirectories(std::string_view path) {
  Step();
  // Folders are durable at once: the system's tests make them, not the service.
  const auto parts = Components(path);
  for (std::size_t i = 0; i <= parts.size(); ++i) folders_[ToUpper(Join(parts, i))];
}

std::string MemoryFileSystem::ReadFileFrom(std::string_view path, std::uint64_t offset,
                                           FileStamp* stamp) {
  Step();
  const auto inode = Find(path);
  if (!inode) throw Missing("Cannot open file", path);
  if (stamp) *stamp = StampFrom(*inode);
  return offset >= inode->data.size() ? std::string() : inode->data.substr(offset);
}

std::string MemoryFileSystem::ReadSharedFrom(std::string_view path, std::uint64_t offset,
                                             FileStamp* stamp) {
  return ReadFileFrom(path, offset, stamp);
}

void MemoryFileSystem::WriteWholeFile(std::string_view path, std::string_view bytes) {
  Step();
  const auto [folder_key, name] = Split(path);
  const auto folder = folders_.find(folder_key);
  if (folder == folders_.end() || name.empty()) throw Missing("Cannot create file", path);
  if (folders_.contains(KeyOf(path))) {
    throw Error(ErrorKind::kAccessDenied, "Cannot create file \"" + std::string(path) + "\".");
  }
  const auto entry = std::make_pair(name, NewInode(bytes));
  folder->second.live[ToUpper(name)] = entry;
  folder->second.durable[ToUpper(name)] = entry;
}

void MemoryFileSystem::AppendToFile(std::string_view path, std::string_view bytes) {
  const auto inode = Find(path);
  if (!inode) return WriteWholeFile(path, bytes);
  Step();
  inode->data += bytes;
  inode->modified_ns = clock_ns_ += 1000;
}

void MemoryFileSystem::LinkFile(std::string_view existing, std::string_view link) {
  Step();
  const auto inode = Find(existing);
  const auto [folder_key, name] = Split(link);
  const auto folder = folders_.find(folder_key);
  if (!inode || folder == folders_.end()) throw Missing("Cannot create file", link);
  if (folder->second.live.contains(ToUpper(name))) {
    throw Error(ErrorKind::kIo, "Cannot create file \"" + std::string(link) + "\". It exists.");
  }
  folder->second.live[ToUpper(name)] = {name, inode};
}

void MemoryFileSystem::RenameFile(std::string_view from, std::string_view to) {
  Step();
  const auto [from_key, from_name] = Split(from);
  const auto [to_key, to_name] = Split(to);
  const auto source = folders_.find(from_key);
  const auto target = folders_.find(to_key);
  const std::string what =
      "Cannot rename file \"" + std::string(from) + "\" to \"" + std::string(to) + "\".";
  if (source == folders_.end() || target == folders_.end()) throw Error(ErrorKind::kNotFound, what);
  const auto it = source->second.live.find(ToUpper(from_name));
  if (it == source->second.live.end()) throw Error(ErrorKind::kNotFound, what);
  const auto inode = it->second.second;
  source->second.live.erase(it);
  target->second.live[ToUpper(to_name)] = {to_name, inode};
}

FileStamp MemoryFileSystem::StampOf(std::string_view path) {
  Step();
  const auto inode = Find(path);
  if (inode) return StampFrom(*inode);
  if (folders_.contains(KeyOf(path))) return {true, 0, 0, std::hash<std::string>{}(KeyOf(path))};
  return {};
}

bool MemoryFileSystem::SameFolder(std::string_view a, std::string_view b) {
  Step();
  return folders_.contains(KeyOf(a)) && KeyOf(a) == KeyOf(b);
}

FileStamp MemoryFileSystem::StampOfFileIn(std::string_view folder, std::string_view name) {
  Step();
  const auto inode = FindIn(folder, name);
  return inode ? StampFrom(*inode) : FileStamp{};
}

std::shared_ptr<MemoryFileSystem::Inode> MemoryFileSystem::EntryToRead(
    std::string_view folder, std::string_view name, std::uint64_t max_bytes) const {
  const std::string path = std::string(folder) + "/" + std::string(name);
  const auto inode = Find(path);
  if (!inode) {
    if (folders_.contains(KeyOf(path))) {
      throw Error(ErrorKind::kNotAFile,
                  "Cannot open file \"" + path + "\". It is not a regular file.");
    }
    throw Missing("Cannot open file", path);
  }
  if (inode->data.size() > max_bytes) {
    throw Error(ErrorKind::kTooLarge, "Cannot open file \"" + path + "\". It is too large.");
  }
  return inode;
}

std::string MemoryFileSystem::ReadFileIn(std::string_view folder, std::string_view name,
                                         std::uint64_t max_bytes) {
  Step();
  return EntryToRead(folder, name, max_bytes)->data;
}

void MemoryFileSystem::WriteWholeFileIn(std::string_view folder, std::string_view name,
                                        std::string_view bytes) {
  WriteWholeFile(std::string(folder) + "/" + std::string(name), bytes);
}

std::string MemoryFileSystem::WriteNewFileIn(std::string_view folder, std::string_view name,
                                             std::string_view bytes) {
  Step();
  Folder* target = FolderOf(folder);
  const std::string path = std::string(folder) + "/" + std::string(name);
  if (!target) throw Missing("Cannot create file", path);
  for (int n = 1; n <= 1000; ++n) {
    const std::string candidate = n == 1 ? std::string(name) : NumberedName(name, n);
    const std::string key = ToUpper(candidate);
    if (target->live.contains(key) ||
        folders_.contains(KeyOf(std::string(folder) + "/" + candidate))) {
      continue;
    }
    target->live[key] = {candidate, NewInode(bytes)};
    return candidate;
  }
  throw Error(ErrorKind::kIo, "Cannot create file \"" + path + "\". Every free name is taken.");
}

bool MemoryFileSystem::DeleteFileIn(std::string_view folder, std::string_view name) {
  return DeleteFileAt(std::string(folder) + "/" + std::string(name));
}

void MemoryFileSystem::SyncFolder(std::string_view folder) {
  Step();
  Folder* target = FolderOf(folder);
  if (!target) throw Missing("Cannot sync folder", folder);
  target->durable = target->live;
}

std::unique_ptr<TakenJob> MemoryFileSystem::TakeJobIn(std::string_view folder,
                                                      std::string_view name,
                                                      std::uint64_t max_bytes) {
  Step();
  const auto inode = EntryToRead(folder, name, max_bytes);
  const LeaseAnswer lease =
      lease_answer_ ? *lease_answer_
                    : (inode->writers > 0 ? LeaseAnswer::kWriterOpen : LeaseAnswer::kGranted);
  return std::make_unique<Job>(*this, std::string(folder), std::string(name), inode, lease);
}

Volume MemoryFileSystem::VolumeOf(std::string_view) {
  Step();
  return volume_;
}

namespace {

class MemoryClaim final : public FolderClaim {
 public:
  MemoryClaim(std::shared_ptr<std::set<std::string>> claims, std::string key)
      : claims_(std::move(claims)), key_(std::move(key)) {}
  ~MemoryClaim() override { claims_->erase(key_); }

 private:
  std::shared_ptr<std::set<std::string>> claims_;
  std::string key_;
};

}  // namespace

std::unique_ptr<FolderClaim> MemoryFileSystem::ClaimFolder(std::string_view path) {
  Step();
  const std::string key = KeyOf(path);
  if (!claims_->insert(key).second) return nullptr;
  return std::make_unique<MemoryClaim>(claims_, key);
}

}  // namespace cratemark::testing
