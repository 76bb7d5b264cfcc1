#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <memory>
#include <optional>
#include <utility>

#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/posix/file_mode_posix.h"
#include "platform/posix/os_error.h"
#include "platform/text.h"
#include "platform/wildcard.h"

namespace cratemark {

const char kPathSeparator = '/';

namespace {

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

// Closes a descriptor on every path out of a function.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  int get() const { return fd_; }
  // Closes now and reports the result; a failed close can mean lost data.
  int Close() {
    const int result = close(fd_);
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

std::string OpenMessage(std::string_view path) {
  return "Cannot open file \"" + std::string(path) + "\".";
}

std::string CreateMessage(std::string_view path) {
  return "Cannot create file \"" + std::string(path) + "\".";
}

// `path` with "\\" as "/" and repeated separators as one.
std::string NormalizeSeparators(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  for (char c : path) {
    if (c == '\\') c = '/';
    if (c == '/' && !out.empty() && out.back() == '/') continue;
    out += c;
  }
  return out;
}

// The name of an entry of `directory` that equals `name` without regard to
// case; of several, the smallest by byte order, so the choice is stable.
std::string FindEntryNoCase(const std::string& directory, const std::string& name) {
  DirHandle dir(opendir(directory.empty() ? "." : directory.c_str()));
  if (!dir) return {};
  std::string found;
  while (const dirent* entry = readdir(dir.get())) {
    const std::string_view entry_name = entry->d_name;
    if (EqualsNoCase(entry_name, name) && (found.empty() || entry_name < found)) {
      found = entry_name;
    }
  }
  return found;
}

bool StatOf(const std::string& native, struct stat* info) {
  return stat(native.c_str(), info) == 0;
}

// The entry `name` of the open folder `folder_fd`, its link not followed.
EntryType TypeOf(int folder_fd, const std::string& name) {
  struct stat info;
  if (fstatat(folder_fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return EntryType::kOther;
  if (S_ISREG(info.st_mode)) return EntryType::kFile;
  if (S_ISDIR(info.st_mode)) return EntryType::kDirectory;
  return EntryType::kOther;
}

FileStamp StampFrom(const struct stat& info) {
  // Device and inode together: the inode alone repeats across volumes.
  const std::uint64_t identity =
      static_cast<std::uint64_t>(info.st_ino) ^ (static_cast<std::uint64_t>(info.st_dev) << 48);
  return {true, static_cast<std::uint64_t>(info.st_size),
          static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
          identity,
          static_cast<std::int64_t>(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec};
}

// How many names WriteNewFileIn tries before it gives up.
constexpr int kMaxNumberedNames = 1000;

// A lease holder is told of a writer by SIGIO, which would end the process;
// the lease's state is asked for instead (F_GETLEASE).
void IgnoreLeaseBreakSignal() {
  static const bool ignored = [] {
    signal(SIGIO, SIG_IGN);
    return true;
  }();
  (void)ignored;
}

// Temporary files are ".cratemark-<pid>-<n>.tmp".
constexpr std::string_view kTemporaryPrefix = ".cratemark-";

// The folder of an entry operation, opened; the name shown in messages.
struct Folder {
  FileDescriptor fd;
  std::string shown;
};

// `fd` is -1 when the folder cannot be opened; errno says why.
Folder OpenFolder(std::string_view folder, std::string_view name) {
  std::string native = ResolvePath(folder);
  if (native.empty()) native.push_back('.');
  std::string shown(folder);
  if (!shown.empty() && shown.back() != '/' && shown.back() != '\\') shown += '/';
  shown += name;
  return {FileDescriptor(open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)),
          std::move(shown)};
}

// A name that is one entry of its folder: not empty, no "/" (which no
// listing gives), not "." or "..".
bool IsEntryName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

// Writes `bytes` under a new temporary name in the open folder and syncs
// them; returns the temporary's name. `shown` names the target in errors.
std::string WriteTemporary(int folder_fd, std::string_view bytes, const std::string& shown,
                           std::optional<mode_t> mode = std::nullopt) {
  // Hidden and ending in ".tmp": never taken for a job ("*.spl") by a reader.
  // Its length is fixed, so a name near the system's limit still fits.
  // Created with O_EXCL so the umask gives it the mode of any new file; one
  // with a mode of its own is nobody else's from its first moment.
  static std::atomic<unsigned> counter{0};
  std::string temp;
  int raw_fd = -1;
  for (int attempt = 0; raw_fd < 0 && attempt < 100; ++attempt) {
    temp = std::string(kTemporaryPrefix) + std::to_string(getpid()) + "-" +
           std::to_string(counter++) + ".tmp";
    raw_fd = openat(folder_fd, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                    mode ? 0600 : 0666);
    if (raw_fd < 0 && errno != EEXIST) break;
  }
  if (raw_fd < 0) throw PosixError(errno, CreateMessage(shown));
  FileDescriptor fd(raw_fd);
  const auto fail = [&](int error_number) {
    unlinkat(folder_fd, temp.c_str(), 0);
    return PosixError(error_number, CreateMessage(shown));
  };
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t count = write(fd.get(), bytes.data() + written, bytes.size() - written);
    if (count < 0) {
      if (errno == EINTR) continue;
      throw fail(errno);
    }
    written += static_cast<std::size_t>(count);
  }
  if (mode && fchmod(fd.get(), *mode) != 0) throw fail(errno);
  if (fdatasync(fd.get()) != 0 || fd.Close() != 0) throw fail(errno);
  return temp;
}

// fsync of an open folder: its names survive a power cut. False with errno.
bool SyncOpenFolder(int folder_fd) { return fsync(folder_fd) == 0 || errno == EINVAL; }

// Writes `bytes` under a temporary name in the open folder, then renames it
// to `name` and syncs the folder. `shown` names the target in errors.
void WriteIn(int folder_fd, const std::string& name, std::string_view bytes,
             const std::string& shown, std::optional<mode_t> mode = std::nullopt) {
  if (!IsEntryName(name)) throw PosixError(EISDIR, CreateMessage(shown));
  const std::string temp = WriteTemporary(folder_fd, bytes, shown, mode);
  if (renameat(folder_fd, temp.c_str(), folder_fd, name.c_str()) != 0) {
    const int error_number = errno;
    unlinkat(folder_fd, temp.c_str(), 0);
    throw PosixError(error_number, CreateMessage(shown));
  }
  // Settings, design and status stay as written across a power cut too.
  if (!SyncOpenFolder(folder_fd)) throw PosixError(errno, CreateMessage(shown));
}

// Gives the temporary `temp` the name `name` unless that name exists: false
// then. Throws Error on any other failure.
bool NameWithoutReplacing(int folder_fd, const std::string& temp, const std::string& name,
                          const std::string& shown) {
  if (renameat2(folder_fd, temp.c_str(), folder_fd, name.c_str(), RENAME_NOREPLACE) == 0) {
    return true;
  }
  if (errno == EEXIST) return false;
  if (errno != EINVAL && errno != ENOSYS) throw PosixError(errno, CreateMessage(shown));
  // No RENAME_NOREPLACE on this file system: a hard link refuses a taken
  // name as well.
  if (linkat(folder_fd, temp.c_str(), folder_fd, name.c_str(), 0) != 0) {
    if (errno == EEXIST) return false;
    throw PosixError(errno, CreateMessage(shown));
  }
  unlinkat(folder_fd, temp.c_str(), 0);
  return true;
}

// Appends to `bytes` what the open file holds from `offset` to its end.
// False as soon as `bytes` holds more than `max_bytes`. Throws Error with
// `message` when a read fails.
bool ReadToEnd(int fd, std::uint64_t offset, std::uint64_t max_bytes, const std::string& message,
               std::string& bytes) {
  char buffer[65536];
  for (std::uint64_t position = offset;;) {
    const ssize_t count = pread(fd, buffer, sizeof buffer, static_cast<off_t>(position));
    if (count < 0) {
      if (errno == EINTR) continue;
      throw PosixError(errno, message);
    }
    if (count == 0) return true;
    bytes.append(buffer, static_cast<std::size_t>(count));
    position += static_cast<std::uint64_t>(count);
    if (bytes.size() > max_bytes) return false;
  }
}

}  // namespace

std::string ProgramPath() {
  static const std::string path = [] {
    std::string buffer(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    buffer.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return buffer;
  }();
  return path;
}

std::string ResolvePath(std::string_view path) {
  const std::string normal = NormalizeSeparators(path);
  std::string resolved;
  bool parent_exists = true;  // once a component is missing, the rest keep their spelling
  std::size_t start = 0;
  if (!normal.empty() && normal[0] == '/') {
    resolved.push_back('/');  // (assigning "/" trips a false -Wrestrict in GCC 12 at -O3)
    start = 1;
  }
  while (start < normal.size()) {
    std::size_t end = normal.find('/', start);
    if (end == std::string::npos) end = normal.size();
    const std::string component = normal.substr(start, end - start);
    std::string candidate = resolved + component;
    if (parent_exists && component != "." && component != "..") {
      struct stat info;
      if (lstat(candidate.c_str(), &info) != 0) {
        const std::string match = errno == ENOENT ? FindEntryNoCase(resolved, component) : "";
        if (match.empty()) {
          parent_exists = false;
        } else {
          candidate = resolved + match;
        }
      }
    }
    resolved = candidate;
    if (end < normal.size()) resolved += '/';
    start = end + 1;
  }
  return resolved;
}

bool FileExists(std::string_view path) {
  struct stat info;
  return StatOf(ResolvePath(path), &info) && !S_ISDIR(info.st_mode);
}

bool DirectoryExists(std::string_view path) {
  struct stat info;
  return StatOf(ResolvePath(path), &info) && S_ISDIR(info.st_mode);
}

bool PathExists(std::string_view path) {
  struct stat info;
  return StatOf(ResolvePath(path), &info);
}

std::vector<DirectoryEntry> ListDirectory(std::string_view directory, std::string_view pattern) {
  std::string native = ResolvePath(directory);
  if (native.empty()) native.push_back('.');
  if (native.back() != '/') native += '/';
  std::vector<DirectoryEntry> entries;
  DirHandle dir(opendir(native.c_str()));
  if (!dir) return entries;
  // Each entry with its upper-cased name, made once rather than per comparison.
  std::vector<std::pair<std::string, DirectoryEntry>> found;
  while (const dirent* entry = readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name == "." || name == ".." || !MatchesPattern(name, pattern)) continue;
    found.push_back({ToUpper(name), {name, TypeOf(dirfd(dir.get()), name)}});
  }
  // readdir order is arbitrary (hash order on ext4); list by name as NTFS does,
  // so "the first job" is the same on every run.
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : a.second.name < b.second.name;
  });
  entries.reserve(found.size());
  for (auto& item : found) entries.push_back(std::move(item.second));
  return entries;
}

bool DeleteFileAt(std::string_view path) {
  const std::string native = ResolvePath(path);
  struct stat info;
  if (lstat(native.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return false;
  return unlink(native.c_str()) == 0;
}

void CreateDirectories(std::string_view path) {
  const std::string native = ResolvePath(path);
  for (std::size_t end = 1; end <= native.size(); ++end) {
    if (end < native.size() && native[end] != '/') continue;
    const std::string prefix = native.substr(0, end);
    if (mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) {
      throw PosixError(errno, "Cannot create directory \"" + std::string(path) + "\".");
    }
  }
  if (!DirectoryExists(native)) {
    throw PosixError(ENOTDIR, "Cannot create directory \"" + std::string(path) + "\".");
  }
}

std::string ReadWholeFile(std::string_view path) { return ReadFileFrom(path, 0); }

std::string ReadFileFrom(std::string_view path, std::uint64_t offset, FileStamp* stamp) {
  const std::string native = ResolvePath(path);
  // Every file the system reads is a regular file: a FIFO or a device put in
  // its place is refused, and O_NONBLOCK keeps the open itself from waiting.
  FileDescriptor fd(open(native.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.get() < 0) throw PosixError(errno, OpenMessage(path));
  struct stat info;
  if (fstat(fd.get(), &info) != 0) throw PosixError(errno, OpenMessage(path));
  if (S_ISDIR(info.st_mode)) throw PosixError(EISDIR, OpenMessage(path));
  if (!S_ISREG(info.st_mode)) {
    throw Error(ErrorKind::kNotAFile, OpenMessage(path) + " It is not a regular file.");
  }
  std::string bytes;
  ReadToEnd(fd.get(), offset, UINT64_MAX, OpenMessage(path), bytes);
  if (stamp) {
    if (fstat(fd.get(), &info) != 0) throw PosixError(errno, OpenMessage(path));
    *stamp = StampFrom(info);
  }
  return bytes;
}

namespace {

void WriteWholeFileAs(std::string_view path, std::string_view bytes, std::optional<mode_t> mode) {
  const std::string native = ResolvePath(path);
  const std::size_t slash = native.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : native.substr(0, slash + 1);
  const std::string name = native.substr(slash == std::string::npos ? 0 : slash + 1);
  FileDescriptor folder_fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder_fd.get() < 0) throw PosixError(errno, CreateMessage(path));
  WriteIn(folder_fd.get(), name, bytes, std::string(path), mode);
}

}  // namespace

void WriteWholeFile(std::string_view path, std::string_view bytes) {
  WriteWholeFileAs(path, bytes, std::nullopt);
}

void WriteWholeFileWithMode(std::string_view path, std::string_view bytes, mode_t mode) {
  WriteWholeFileAs(path, bytes, mode);
}

void AppendToFile(std::string_view path, std::string_view bytes) {
  const std::string native = ResolvePath(path);
  FileDescriptor fd(open(native.c_str(), O_WRONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    if (errno == ENOENT) return WriteWholeFile(path, bytes);
    throw PosixError(errno, CreateMessage(path));
  }
  struct stat info;
  if (fstat(fd.get(), &info) != 0) throw PosixError(errno, CreateMessage(path));
  const off_t start = info.st_size;
  const auto fail = [&](int error_number) {
    // Back to the last whole append: a reader never keeps a torn line.
    if (ftruncate(fd.get(), start) == 0) fdatasync(fd.get());
    return PosixError(error_number, CreateMessage(path));
  };
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t count = pwrite(fd.get(), bytes.data() + written, bytes.size() - written,
                                 start + static_cast<off_t>(written));
    if (count < 0) {
      if (errno == EINTR) continue;
      throw fail(errno);
    }
    written += static_cast<std::size_t>(count);
  }
  if (fdatasync(fd.get()) != 0) throw fail(errno);
  if (fd.Close() != 0) throw PosixError(errno, CreateMessage(path));
}

void LinkFile(std::string_view existing, std::string_view link) {
  if (::link(ResolvePath(existing).c_str(), ResolvePath(link).c_str()) != 0) {
    throw PosixError(errno, CreateMessage(link));
  }
}

void RenameFile(std::string_view from, std::string_view to) {
  if (rename(ResolvePath(from).c_str(), ResolvePath(to).c_str()) != 0) {
    throw PosixError(
        errno, "Cannot rename file \"" + std::string(from) + "\" to \"" + std::string(to) + "\".");
  }
}

FileStamp StampOf(std::string_view path) {
  struct stat info;
  if (!StatOf(ResolvePath(path), &info)) return {};
  return StampFrom(info);
}

bool SameFolder(std::string_view a, std::string_view b) {
  struct stat first, second;
  return StatOf(ResolvePath(a), &first) && S_ISDIR(first.st_mode) &&
         StatOf(ResolvePath(b), &second) && S_ISDIR(second.st_mode) &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

FileStamp StampOfFileIn(std::string_view folder, std::string_view name) {
  const Folder dir = OpenFolder(folder, name);
  struct stat info;
  if (dir.fd.get() < 0 || !IsEntryName(name) ||
      fstatat(dir.fd.get(), std::string(name).c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 ||
      !S_ISREG(info.st_mode)) {
    return {};
  }
  return StampFrom(info);
}

namespace {

// Opens the regular file `name` of the open folder for reading, never
// following a link and never waiting. Throws Error (kNotAFile for anything
// but a regular file) naming `shown`.
FileDescriptor OpenEntry(const Folder& dir, std::string_view name) {
  if (dir.fd.get() < 0) throw PosixError(errno, OpenMessage(dir.shown));
  if (!IsEntryName(name)) throw PosixError(ENOENT, OpenMessage(dir.shown));
  const std::string entry(name);
  // Looked at before it is opened: opening a device can have effects of its own.
  struct stat info;
  if (fstatat(dir.fd.get(), entry.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
    throw PosixError(errno, OpenMessage(dir.shown));
  }
  const auto not_a_file = [&] {
    return Error(ErrorKind::kNotAFile, OpenMessage(dir.shown) + " It is not a regular file.");
  };
  if (!S_ISREG(info.st_mode)) throw not_a_file();
  // O_NONBLOCK and O_NOFOLLOW: should the entry have been swapped for a FIFO
  // or a link since, the open neither waits nor follows.
  FileDescriptor fd(openat(dir.fd.get(), entry.c_str(),
                           O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.get() < 0) throw PosixError(errno, OpenMessage(dir.shown));
  if (fstat(fd.get(), &info) != 0) throw PosixError(errno, OpenMessage(dir.shown));
  if (!S_ISREG(info.st_mode)) throw not_a_file();
  return fd;
}

// The whole open file, at most `max_bytes` (ErrorKind::kTooLarge).
std::string ReadEntry(int fd, std::uint64_t max_bytes, const std::string& shown) {
  const auto too_large = [&] {
    return Error(ErrorKind::kTooLarge, OpenMessage(shown) + " It is larger than " +
                                           std::to_string(max_bytes) + " bytes.");
  };
  struct stat info;
  if (fstat(fd, &info) != 0) throw PosixError(errno, OpenMessage(shown));
  if (static_cast<std::uint64_t>(info.st_size) > max_bytes) throw too_large();
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(info.st_size));
  // It may have grown since it was looked at.
  if (!ReadToEnd(fd, 0, max_bytes, OpenMessage(shown), bytes)) throw too_large();
  return bytes;
}

}  // namespace

std::string ReadFileIn(std::string_view folder, std::string_view name, std::uint64_t max_bytes) {
  const Folder dir = OpenFolder(folder, name);
  const FileDescriptor fd = OpenEntry(dir, name);
  return ReadEntry(fd.get(), max_bytes, dir.shown);
}

void WriteWholeFileIn(std::string_view folder, std::string_view name, std::string_view bytes) {
  const Folder dir = OpenFolder(folder, name);
  if (dir.fd.get() < 0) throw PosixError(errno, CreateMessage(dir.shown));
  WriteIn(dir.fd.get(), std::string(name), bytes, dir.shown);
}

int RemoveAbandonedTemporaries(std::string_view folder) {
  std::string native = ResolvePath(folder);
  if (native.empty()) native.push_back('.');
  DirHandle dir(opendir(native.c_str()));
  if (!dir) return 0;
  int removed = 0;
  while (const dirent* entry = readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (!name.starts_with(kTemporaryPrefix) || !name.ends_with(".tmp")) continue;
    const std::string_view rest = name.substr(kTemporaryPrefix.size());
    const std::size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash > 9) continue;
    pid_t pid = 0;
    for (char c : rest.substr(0, dash)) {
      if (c < '0' || c > '9') {
        pid = 0;
        break;
      }
      pid = pid * 10 + (c - '0');
    }
    // Only a process that is gone: a live one may be writing it right now.
    if (pid <= 0 || pid == getpid() || kill(pid, 0) == 0 || errno != ESRCH) continue;
    if (unlinkat(dirfd(dir.get()), entry->d_name, 0) == 0) ++removed;
  }
  return removed;
}

bool DeleteFileIn(std::string_view folder, std::string_view name) {
  const Folder dir = OpenFolder(folder, name);
  if (dir.fd.get() < 0 || !IsEntryName(name)) return false;
  const std::string entry(name);
  struct stat info;
  if (fstatat(dir.fd.get(), entry.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 ||
      S_ISDIR(info.st_mode)) {
    return false;
  }
  return unlinkat(dir.fd.get(), entry.c_str(), 0) == 0;
}

std::string WriteNewFileIn(std::string_view folder, std::string_view name, std::string_view bytes) {
  const Folder dir = OpenFolder(folder, name);
  if (dir.fd.get() < 0) throw PosixError(errno, CreateMessage(dir.shown));
  if (!IsEntryName(name)) throw PosixError(EISDIR, CreateMessage(dir.shown));
  const std::string temp = WriteTemporary(dir.fd.get(), bytes, dir.shown);
  try {
    const std::string native = ResolvePath(folder);
    for (int n = 1; n <= kMaxNumberedNames; ++n) {
      const std::string candidate = n == 1 ? std::string(name) : NumberedName(name, n);
      // Taken in any case: to the host, as on Windows, "A.SPL" is "a.spl".
      if (!FindEntryNoCase(native.empty() ? "." : native, candidate).empty()) continue;
      if (NameWithoutReplacing(dir.fd.get(), temp, candidate, dir.shown)) return candidate;
    }
  } catch (const Error&) {
    unlinkat(dir.fd.get(), temp.c_str(), 0);
    throw;
  }
  unlinkat(dir.fd.get(), temp.c_str(), 0);
  throw PosixError(EEXIST, CreateMessage(dir.shown));
}

void SyncFolder(std::string_view folder) {
  std::string native = ResolvePath(folder);
  if (native.empty()) native.push_back('.');
  const std::string what = "Cannot sync folder \"" + std::string(folder) + "\".";
  FileDescriptor fd(open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() < 0) throw PosixError(errno, what);
  if (fsync(fd.get()) == 0) return;
  if (errno == EINVAL)
    throw Error(ErrorKind::kUnsupported, what + " The file system has no such sync.");
  throw PosixError(errno, what);
}

std::string ReadSharedFrom(std::string_view path, std::uint64_t offset, FileStamp* stamp) {
  // POSIX opens keep nobody out.
  return ReadFileFrom(path, offset, stamp);
}

namespace {

// A job held under a read lease where the file system grants one.
class PosixTakenJob final : public TakenJob {
 public:
  PosixTakenJob(FileDescriptor folder_fd, FileDescriptor fd, std::string name, LeaseAnswer lease)
      : folder_fd_(std::move(folder_fd)),
        fd_(std::move(fd)),
        name_(std::move(name)),
        lease_(lease) {}
  ~PosixTakenJob() override {
    if (leased()) fcntl(fd_.get(), F_SETLEASE, F_UNLCK);
  }
  void Read(std::uint64_t max_bytes, const std::string& shown) {
    bytes_ = ReadEntry(fd_.get(), max_bytes, shown);
    struct stat info;
    if (fstat(fd_.get(), &info) != 0) throw PosixError(errno, OpenMessage(shown));
    stamp_ = StampFrom(info);
  }
  LeaseAnswer lease() const override { return lease_; }

  JobDeletion DeleteIfUnchanged() override {
    if (!Unchanged() || !NameIsOurs(name_)) return JobDeletion::kChanged;
    // Set aside first, then looked at once more: a writer that opened it in
    // between (its open waits for the lease) gets it back under its name.
    const std::string aside = std::string(kTemporaryPrefix) + std::to_string(getpid()) + "-job-" +
                              std::to_string(aside_counter_++) + ".tmp";
    if (renameat(folder_fd_.get(), name_.c_str(), folder_fd_.get(), aside.c_str()) != 0) {
      return errno == ENOENT ? JobDeletion::kChanged : JobDeletion::kFailed;
    }
    if (!Unchanged()) {
      renameat2(folder_fd_.get(), aside.c_str(), folder_fd_.get(), name_.c_str(), RENAME_NOREPLACE);
      return JobDeletion::kChanged;
    }
    if (unlinkat(folder_fd_.get(), aside.c_str(), 0) != 0) {
      renameat2(folder_fd_.get(), aside.c_str(), folder_fd_.get(), name_.c_str(), RENAME_NOREPLACE);
      return JobDeletion::kFailed;
    }
    return JobDeletion::kDeleted;
  }

 private:
  // The open file still has the size and time it had when read, and no
  // writer has broken the lease. (Its change time moves with the rename.)
  bool Unchanged() const {
    if (leased() && fcntl(fd_.get(), F_GETLEASE) != F_RDLCK) return false;
    struct stat info;
    return fstat(fd_.get(), &info) == 0 && StampFrom(info).SameContents(stamp_);
  }
  // `name` in the folder is the file read, not one put in its place.
  bool NameIsOurs(const std::string& name) const {
    struct stat info;
    return fstatat(folder_fd_.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISREG(info.st_mode) && StampFrom(info).SameContents(stamp_);
  }

  static inline std::atomic<unsigned> aside_counter_{0};
  FileDescriptor folder_fd_;
  FileDescriptor fd_;
  std::string name_;
  bool leased() const { return lease_ == LeaseAnswer::kGranted; }

  LeaseAnswer lease_;
};

}  // namespace

std::unique_ptr<TakenJob> TakeJobIn(std::string_view folder, std::string_view name,
                                    std::uint64_t max_bytes) {
  Folder dir = OpenFolder(folder, name);
  FileDescriptor fd = OpenEntry(dir, name);
  IgnoreLeaseBreakSignal();
  LeaseAnswer lease = LeaseAnswer::kGranted;
  if (fcntl(fd.get(), F_SETLEASE, F_RDLCK) != 0) {
    // EAGAIN: on a local disk, a program has it open for writing; on a share
    // perhaps only no oplock from the server. Any other refusal (not the
    // owner and no CAP_LEASE, NFSv3): nothing tells of writers. The caller
    // judges by the volume.
    lease = errno == EAGAIN ? LeaseAnswer::kWriterOpen : LeaseAnswer::kRefused;
  }
  auto job =
      std::make_unique<PosixTakenJob>(std::move(dir.fd), std::move(fd), std::string(name), lease);
  job->Read(max_bytes, dir.shown);
  return job;
}

}  // namespace cratemark
