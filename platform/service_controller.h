// The service's states and how controls move between them, shared by the
// platform hosts. Not thread-safe: the host calls it from its one thread.
#pragma once

#include <string>

#include "platform/service_host.h"

namespace cratemark {

enum class ServiceControl { kStart, kStop, kPause, kContinue, kShutdown };
enum class ServiceState { kStopped, kRunning, kPaused };

class ServiceController {
 public:
  // `service_name` is the source of control failures, `program_file_name`
  // that of tick failures (both go to the error channel).
  ServiceController(ServiceModule& module, std::string service_name, std::string program_file_name);

  // Runs one control. A failure goes to the error channel as
  // "Service failed on <control>: <message>"; after a failed start the
  // service is stopped, after any other failure it keeps its earlier state.
  void Handle(ServiceControl control);

  // Runs one poll tick when the service runs and its timer is enabled. A
  // failure ends the tick and goes to the error channel; the service goes on.
  void Tick();

  ServiceState state() const { return state_; }

  // The start failed because another process already serves the folder
  // (ErrorKind::kAlreadyServed): the host ends without asking for a restart.
  bool start_refused() const { return start_refused_; }

 private:
  ServiceModule& module_;
  std::string service_name_;
  std::string program_file_name_;
  ServiceState state_ = ServiceState::kStopped;
  bool start_refused_ = false;
};

}  // namespace cratemark
