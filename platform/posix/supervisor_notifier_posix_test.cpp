// The notifier against a datagram socket standing in for systemd's.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/scoped_temp_dir.h"
#include "platform/supervisor_notifier.h"

namespace cratemark {
namespace {

// Messages arriving at a socket in a scratch folder, named by NOTIFY_SOCKET
// while the object lives.
class NotifySocket {
 public:
  NotifySocket() {
    path_ = dir_.path() + "notify";
    fd_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path_.c_str(), sizeof(address.sun_path) - 1);
    EXPECT_EQ(bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0) << path_;
    setenv("NOTIFY_SOCKET", path_.c_str(), 1);
  }
  ~NotifySocket() {
    unsetenv("NOTIFY_SOCKET");
    close(fd_);
  }
  // Every message received so far.
  std::vector<std::string> Messages() {
    std::vector<std::string> messages;
    char buffer[512];
    ssize_t length;
    while ((length = recv(fd_, buffer, sizeof(buffer), MSG_DONTWAIT)) > 0) {
      messages.emplace_back(buffer, static_cast<std::size_t>(length));
    }
    return messages;
  }

 private:
  ScopedTempDir dir_;
  std::string path_;
  int fd_ = -1;
};

TEST(SupervisorNotifier, SendsReadyHeartbeatAndStoppingToTheNotifySocket) {
  NotifySocket socket;
  auto notifier = MakeSupervisorNotifier();
  notifier->Ready();
  notifier->Alive();
  notifier->Alive();
  notifier->Stopping();
  EXPECT_EQ(socket.Messages(),
            (std::vector<std::string>{"READY=1", "WATCHDOG=1", "WATCHDOG=1", "STOPPING=1"}));
  // The environment stays for the next message.
  notifier->Alive();
  EXPECT_EQ(socket.Messages(), std::vector<std::string>{"WATCHDOG=1"});
}

}  // namespace
}  // namespace cratemark
