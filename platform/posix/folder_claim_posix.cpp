#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_system.h"
#include "platform/folder_claim.h"
#include "platform/posix/os_error.h"

namespace cratemark {
namespace {

class LockedFileClaim : public FolderClaim {
 public:
  explicit LockedFileClaim(int fd) : fd_(fd) {}
  ~LockedFileClaim() override { close(fd_); }  // closing drops the lock

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<FolderClaim> ClaimFolder(std::string_view path) {
  const std::string native = ResolvePath(path);
  const int fd = open(native.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) throw PosixError(errno, "Cannot open file \"" + std::string(path) + "\".");
  // An open-file-description lock: per open, not per process, and seen by a
  // Windows program under Wine locking the same byte.
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 1;
  if (fcntl(fd, F_OFD_SETLK, &lock) != 0) {
    const int error_number = errno;
    close(fd);
    if (error_number == EAGAIN || error_number == EACCES) return nullptr;
    throw PosixError(error_number, "Cannot lock file \"" + std::string(path) + "\".");
  }
  return std::make_unique<LockedFileClaim>(fd);
}

}  // namespace cratemark
