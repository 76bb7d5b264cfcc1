// The seam between a service program and the platform's service manager: the
// Windows service control manager, or systemd (a foreground process driven
// by signals) on POSIX. The host runs every control and every poll tick on
// one thread, so a module never sees two of its handlers at the same time.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace cratemark {

inline constexpr int kPollIntervalMs = 1000;

// The exit status of a service that did not start because another one
// already serves its folder: the supervisor must not restart it
// (RestartPreventExitStatus= in the systemd units).
inline constexpr int kExitFolderServed = 78;

// What the host drives. Handlers report failure by throwing.
class ServiceModule {
 public:
  virtual ~ServiceModule() = default;
  virtual void ServiceStart() = 0;  // start and continue controls
  virtual void ServiceStop() = 0;   // stop and pause controls
  virtual void TimerTimer() = 0;    // one poll tick
  // The poll timer: ticks run every kPollIntervalMs while it is enabled.
  virtual bool PollTimerEnabled() const = 0;
};

struct ServiceIdentity {
  std::string name;          // "srvCratemark": service name, unit name, event source
  std::string display_name;  // shown by the service manager
  // The libraries the program loads from its own folder: on POSIX copied
  // with it when it is installed.
  std::vector<std::string> libraries;
};

enum class ServiceCommand { kRun, kInstall, kUninstall, kSetAlert, kTestAlert };

struct ServiceCommandLine {
  ServiceCommand command = ServiceCommand::kRun;
  bool silent = false;  // no success message
  // The folder of the host's files, absolute, with a trailing separator;
  // empty when not given (the executable's folder is meant).
  std::string program_dir;
  std::string error;  // why the command line is unusable; empty when it is fine
  // "/ALERT <command line>": the alert command to set ("" removes it).
  std::optional<std::string> alert_command;
};

// Switches "INSTALL", "UNINSTALL" and "SILENT", each introduced by "/" or "-",
// letters in any case; INSTALL wins over UNINSTALL. "--program-dir DIR" (or
// "--program-dir=DIR") names the program folder; a relative DIR is taken
// from the current folder. "/ALERT <command line>" sets the alert command
// (kSetAlert, or after the install with "/INSTALL"); "/TESTALERT" (also
// "--test-alert") runs it once. Anything else runs.
ServiceCommandLine ParseServiceCommandLine(const std::vector<std::string>& args);

// Registers the service with the service manager (Windows: automatic start,
// own process, restarted after a failure; POSIX: a systemd unit, enabled,
// supervised and sandboxed) and reports the outcome to the user. A non-empty
// `program_dir` is passed on to the registered command. Returns the process
// exit status.
int InstallService(const ServiceIdentity& identity, const std::string& program_dir, bool silent);

// Removes the registration and reports the outcome. Returns the exit status.
int UninstallService(const ServiceIdentity& identity, bool silent);

// Serves the service manager's controls until the service stops, running the
// poll ticks in between. Returns the process exit status.
int RunService(ServiceModule& module, const ServiceIdentity& identity);

}  // namespace cratemark
