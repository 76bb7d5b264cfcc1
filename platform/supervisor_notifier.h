// What a service tells the supervisor that started it, on platforms where the
// supervisor listens (systemd's notification socket, for units of
// Type=notify). The Windows host reports its states to the service control
// manager itself and has no use for it.
#pragma once

#include <memory>

namespace cratemark {

class SupervisorNotifier {
 public:
  virtual ~SupervisorNotifier() = default;
  virtual void Ready() = 0;     // started: the first tick is due
  virtual void Stopping() = 0;  // on the way out
  // The heartbeat, sent from the loop that runs the ticks: a supervisor that
  // misses it for its watchdog time takes the service for hung.
  virtual void Alive() = 0;
};

// The notifier for the supervisor named by the process's environment; it does
// nothing when no supervisor listens. Failures to notify are ignored: the
// service's work does not depend on them.
std::unique_ptr<SupervisorNotifier> MakeSupervisorNotifier();

}  // namespace cratemark
