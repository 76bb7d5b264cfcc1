#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/single_instance.h"

namespace cratemark {

namespace {

class LockFileClaim : public InstanceClaim {
 public:
  explicit LockFileClaim(int fd) : fd_(fd) {}
  ~LockFileClaim() override { close(fd_); }  // closing drops the lock

 private:
  int fd_;
};

// The user's runtime folder when there is one, otherwise /tmp with the user
// id in the name, so that every user has a lock of their own.
std::string LockPath(std::string_view name) {
  const char* runtime_dir = std::getenv("XDG_RUNTIME_DIR");
  if (runtime_dir != nullptr && *runtime_dir != '\0') {
    return std::string(runtime_dir) + "/" + std::string(name) + ".lock";
  }
  return "/tmp/" + std::string(name) + "-" + std::to_string(getuid()) + ".lock";
}

}  // namespace

std::unique_ptr<InstanceClaim> ClaimSingleInstance(std::string_view name) {
  int fd = open(LockPath(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return nullptr;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return nullptr;
  }
  return std::make_unique<LockFileClaim>(fd);
}

}  // namespace cratemark
