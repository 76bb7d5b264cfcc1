// POSIX side of LockedFile: open-file-description locks, so that a lock
// belongs to the open file (as on Windows) and not to the whole process.
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/error.h"
#include "platform/locked_file.h"
#include "platform/posix/os_error.h"

#ifndef F_OFD_SETLK
#error "open-file-description locks (F_OFD_SETLK) are required"
#endif

namespace cratemark {
namespace {

// POSIX has no share modes. Every open takes a lock on this byte, which lies
// past the xBase lock ranges (they end at 2,000,000,000): shared opens a read
// lock, exclusive opens a write lock, so an exclusive open and any other open
// exclude each other.
constexpr off_t kOpenModeByte = 2'000'000'001;

int Fd(std::intptr_t handle) { return static_cast<int>(handle); }

// Whether `fd` may take a lock of `type` on [offset, offset + length): the
// test alone, for descriptors that cannot hold a write lock.
bool CanLock(int fd, short type, off_t offset, off_t length) {
  struct flock lock = {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = offset;
  lock.l_len = length;
  lock.l_pid = 0;
  return fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type == F_UNLCK;
}

bool SetLock(int fd, short type, off_t offset, off_t length) {
  struct flock lock = {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = offset;
  lock.l_len = length;
  lock.l_pid = 0;  // required for open-file-description locks
  return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

}  // namespace

LockedFile::LockedFile(std::string_view path, FileAccess access, FileSharing sharing)
    : path_(path) {
  const std::string native(path);
  const std::string what = "Cannot open file \"" + native + "\".";
  int fd = -1;
  if (access == FileAccess::kRead) {
    fd = open(native.c_str(), O_RDONLY | O_CLOEXEC);
  } else {
    fd = open(native.c_str(), O_RDWR | O_CLOEXEC);
    is_writable_ = fd >= 0 && access != FileAccess::kReadWithLocks;
    if (fd < 0 && access != FileAccess::kReadWrite &&
        (errno == EACCES || errno == EPERM || errno == EROFS)) {
      fd = open(native.c_str(), O_RDONLY | O_CLOEXEC);
    }
  }
  if (fd < 0) throw PosixError(errno, what);

  struct stat status = {};
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    const int error = S_ISDIR(status.st_mode) ? EISDIR : errno;
    close(fd);
    throw PosixError(error, what);
  }
  const bool is_exclusive = sharing == FileSharing::kExclusive;
  if (!SetLock(fd, is_exclusive ? F_WRLCK : F_RDLCK, kOpenModeByte, 1)) {
    const int error = errno;
    close(fd);
    if (error == EAGAIN || error == EACCES) {
      throw Error(ErrorKind::kSharingViolation, what + " Another program holds it exclusively.");
    }
    // A write lock on a descriptor open for reading fails with EBADF.
    throw PosixError(error == EBADF ? EACCES : error, what);
  }
  handle_ = fd;
}

std::string LockedFile::Failed(std::string_view verb) const {
  return "Cannot " + std::string(verb) + " file \"" + path_ + "\".";
}

LockedFile::~LockedFile() { close(Fd(handle_)); }  // drops this object's locks

std::uint64_t LockedFile::Size() const {
  struct stat status = {};
  if (fstat(Fd(handle_), &status) != 0) throw PosixError(errno, Failed("read the size of"));
  return static_cast<std::uint64_t>(status.st_size);
}

std::size_t LockedFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = pread(Fd(handle_), static_cast<char*>(buffer) + done, size - done,
                            static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw PosixError(errno, Failed("read"));
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

void LockedFile::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = pwrite(Fd(handle_), static_cast<const char*>(data) + done, size - done,
                             static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw PosixError(n < 0 ? errno : EIO, Failed("write"));
    done += static_cast<std::size_t>(n);
  }
}

void LockedFile::Truncate(std::uint64_t size) {
  if (ftruncate(Fd(handle_), static_cast<off_t>(size)) != 0) {
    throw PosixError(errno, Failed("truncate"));
  }
}

void LockedFile::Flush() {
  if (fsync(Fd(handle_)) != 0) throw PosixError(errno, Failed("flush"));
}

bool LockedFile::TryLock(std::uint64_t offset, std::uint64_t length) {
  return SetLock(Fd(handle_), F_WRLCK, static_cast<off_t>(offset), static_cast<off_t>(length));
}

void LockedFile::Unlock(std::uint64_t offset, std::uint64_t length) {
  SetLock(Fd(handle_), F_UNLCK, static_cast<off_t>(offset), static_cast<off_t>(length));
}

ReplaceClaim::ReplaceClaim(std::string_view path) {
  const std::string native(path);
  int fd = open(native.c_str(), O_RDWR | O_CLOEXEC);
  const bool is_writable = fd >= 0;
  if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) {
    fd = open(native.c_str(), O_RDONLY | O_CLOEXEC);
  }
  // Missing, or something the replace will report itself (a directory).
  if (fd < 0) return;
  // Every open holds a lock on the open-mode byte: when a write lock cannot
  // be had there, somebody has the file open. Holding it keeps newcomers out
  // until the replace is done.
  const bool is_free =
      is_writable ? SetLock(fd, F_WRLCK, kOpenModeByte, 1) : CanLock(fd, F_WRLCK, kOpenModeByte, 1);
  if (!is_free) {
    close(fd);
    throw Error(ErrorKind::kSharingViolation,
                "Cannot replace file \"" + native + "\". Another program has it open.");
  }
  handle_ = fd;
}

ReplaceClaim::~ReplaceClaim() {
  if (handle_ >= 0) close(Fd(handle_));
}

}  // namespace cratemark
