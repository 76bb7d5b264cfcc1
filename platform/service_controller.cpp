#include "platform/service_controller.h"

#include <exception>

#include "platform/error.h"
#include "platform/error_channel.h"

namespace cratemark {
namespace {

const char* ControlName(ServiceControl control) {
  switch (control) {
    case ServiceControl::kStart:
      return "start";
    case ServiceControl::kStop:
      return "stop";
    case ServiceControl::kPause:
      return "pause";
    case ServiceControl::kContinue:
      return "continue";
    case ServiceControl::kShutdown:
      return "shutdown";
  }
  return "control";
}

}  // namespace

ServiceController::ServiceController(ServiceModule& module, std::string service_name,
                                     std::string program_file_name)
    : module_(module),
      service_name_(std::move(service_name)),
      program_file_name_(std::move(program_file_name)) {}

void ServiceController::Handle(ServiceControl control) {
  const ServiceState before = state_;
  try {
    switch (control) {
      case ServiceControl::kStart:
        if (state_ != ServiceState::kStopped) return;
        module_.ServiceStart();
        state_ = ServiceState::kRunning;
        break;
      case ServiceControl::kContinue:
        if (state_ != ServiceState::kPaused) return;
        module_.ServiceStart();
        state_ = ServiceState::kRunning;
        break;
      case ServiceControl::kPause:
        if (state_ != ServiceState::kRunning) return;
        module_.ServiceStop();
        state_ = ServiceState::kPaused;
        break;
      case ServiceControl::kStop:
        if (state_ == ServiceState::kStopped) return;
        module_.ServiceStop();
        state_ = ServiceState::kStopped;
        break;
      case ServiceControl::kShutdown:
        // The system is going down: no stop line, the log file stays.
        state_ = ServiceState::kStopped;
        break;
    }
  } catch (const std::exception& e) {
    const auto* error = dynamic_cast<const Error*>(&e);
    start_refused_ =
        control == ServiceControl::kStart && error && error->kind() == ErrorKind::kAlreadyServed;
    const std::string message =
        std::string("Service failed on ") + ControlName(control) + ": " + e.what();
    if (start_refused_) {
      ReportServiceEvent(EventKind::kStartRefused, message);
    } else {
      ReportError(service_name_, message);
    }
    state_ = control == ServiceControl::kStart ? ServiceState::kStopped : before;
  }
}

void ServiceController::Tick() {
  if (state_ != ServiceState::kRunning || !module_.PollTimerEnabled()) return;
  try {
    module_.TimerTimer();
  } catch (const std::exception& e) {
    ReportError(program_file_name_, e.what());
  }
}

}  // namespace cratemark
