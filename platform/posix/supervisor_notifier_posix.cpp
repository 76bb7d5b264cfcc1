// systemd's notification protocol through libsystemd; sd_notify does nothing
// when NOTIFY_SOCKET is not set.
#include <systemd/sd-daemon.h>

#include "platform/supervisor_notifier.h"

namespace cratemark {
namespace {

class SystemdNotifier final : public SupervisorNotifier {
 public:
  void Ready() override { sd_notify(/*unset_environment=*/0, "READY=1"); }
  void Stopping() override { sd_notify(/*unset_environment=*/0, "STOPPING=1"); }
  void Alive() override { sd_notify(/*unset_environment=*/0, "WATCHDOG=1"); }
};

}  // namespace

std::unique_ptr<SupervisorNotifier> MakeSupervisorNotifier() {
  return std::make_unique<SystemdNotifier>();
}

}  // namespace cratemark
