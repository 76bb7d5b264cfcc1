#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <memory>
#include <utility>

#include "platform/error.h"
#include "platform/file_system.h"
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

FileStamp StampFromStat(const struct stat& info) {
  // Device and inode together: the inode alone repeats across volumes.
  const std::uint64_t identity =
      static_cast<std::uint64_t>(info.st_ino) ^ (static_cast<std::uint64_t>(info.st_dev) << 48);
  return {true, static_cast<std::uint64_t>(info.st_size),
          static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
          identity};
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
    struct stat info;
    const bool is_directory = StatOf(native + name, &info) && S_ISDIR(info.st_mode);
    found.push_back({ToUpper(name), {name, is_directory}});
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
  FileDescriptor fd(open(native.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) throw PosixError(errno, OpenMessage(path));
  struct stat info;
  if (fstat(fd.get(), &info) != 0) throw PosixError(errno, OpenMessage(path));
  if (S_ISDIR(info.st_mode)) throw PosixError(EISDIR, OpenMessage(path));
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t count =
        pread(fd.get(), buffer, sizeof buffer, static_cast<off_t>(offset + bytes.size()));
    if (count < 0) {
      if (errno == EINTR) continue;
      throw PosixError(errno, OpenMessage(path));
    }
    if (count == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(count));
  }
  if (stamp) {
    if (fstat(fd.get(), &info) != 0) throw PosixError(errno, OpenMessage(path));
    *stamp = StampFromStat(info);
  }
  return bytes;
}

void WriteWholeFile(std::string_view path, std::string_view bytes) {
  const std::string native = ResolvePath(path);
  const std::size_t slash = native.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : native.substr(0, slash + 1);
  const std::string name = native.substr(folder.size());
  if (name.empty()) throw PosixError(EISDIR, CreateMessage(path));

  // Hidden and ending in ".tmp": never taken for a job ("*.spl") by a reader.
  // Created with O_EXCL so the umask gives it the mode of any new file.
  static std::atomic<unsigned> counter{0};
  std::string temp;
  int raw_fd = -1;
  for (int attempt = 0; raw_fd < 0 && attempt < 100; ++attempt) {
    temp = folder + "." + name + "." + std::to_string(getpid()) + "-" + std::to_string(counter++) +
           ".tmp";
    raw_fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (raw_fd < 0 && errno != EEXIST) break;
  }
  if (raw_fd < 0) throw PosixError(errno, CreateMessage(path));
  FileDescriptor fd(raw_fd);
  const auto fail = [&](int error_number) {
    unlink(temp.c_str());
    return PosixError(error_number, CreateMessage(path));
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
  if (fdatasync(fd.get()) != 0 || fd.Close() != 0) throw fail(errno);
  if (rename(temp.c_str(), native.c_str()) != 0) throw fail(errno);
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

void RenameFile(std::string_view from, std::string_view to) {
  if (rename(ResolvePath(from).c_str(), ResolvePath(to).c_str()) != 0) {
    throw PosixError(
        errno, "Cannot rename file \"" + std::string(from) + "\" to \"" + std::string(to) + "\".");
  }
}

FileStamp StampOf(std::string_view path) {
  struct stat info;
  if (!StatOf(ResolvePath(path), &info)) return {};
  return StampFromStat(info);
}

}  // namespace cratemark
