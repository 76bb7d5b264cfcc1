// The service under systemd: a foreground process. SIGTERM and SIGINT stop it
// (exit status 0), SIGUSR1 pauses and SIGUSR2 continues it. The signals are
// blocked and taken with sigtimedwait between ticks, so controls and ticks
// run on the one main thread, which also tells systemd that the service is
// ready, alive after every tick, and stopping.
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/posix/file_mode_posix.h"
#include "platform/service_controller.h"
#include "platform/service_host.h"
#include "platform/supervisor_notifier.h"

extern char** environ;

namespace cratemark {
namespace {

// The program the service manager is to start.
std::string ServiceProgramPath() {
  const std::string path = ProgramPath();
  return path.empty() ? ProgramDir() + "CratemarkService" : path;
}

std::string ServiceProgramFileName() {
  const std::string name = ProgramFileName();
  return name.empty() ? "CratemarkService" : name;
}

// Tests point these at a scratch folder and a fake systemctl.
std::string UnitFolder() {
  const char* folder = std::getenv("CRATEMARK_SYSTEMD_UNIT_DIR");
  return folder && *folder ? folder : "/etc/systemd/system";
}

// Where -INSTALL copies the programs: a folder of root's, outside the
// program folder, which the host's users may write (often a share).
std::string ProgramCopyFolder() {
  const char* folder = std::getenv("CRATEMARK_PROGRAM_COPY_DIR");
  return folder && *folder ? folder : "/usr/local/lib/cratemark";
}

std::string SystemctlCommand() {
  const char* command = std::getenv("CRATEMARK_SYSTEMCTL");
  return command && *command ? command : "systemctl";
}

// Runs systemctl with `args`; throws with its exit status on failure.
void Systemctl(const std::vector<std::string>& args) {
  std::vector<std::string> all{SystemctlCommand()};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  int rc = posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
  if (rc != 0) {
    throw Error(ErrorKind::kIo, all[0] + ": " + WithErrorCode(std::strerror(rc), rc));
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::string what = all[0];
    for (std::size_t i = 1; i < all.size(); ++i) what += " " + all[i];
    throw Error(ErrorKind::kIo, what + " failed with status " +
                                    std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1));
  }
}

// The supervision and sandboxing settings, the same as those of the
// package's template unit (a test compares them). Restart delays keep a
// service whose folder is gone from spinning.
constexpr char kServiceSettings[] =
    "CapabilityBoundingSet=CAP_LEASE\n"
    "AmbientCapabilities=CAP_LEASE\n"
    // Kept orders hold customers' names and addresses: not for every user.
    "UMask=0027\n"
    "Type=notify\n"
    "NotifyAccess=main\n"
    "WatchdogSec=60s\n"
    "Restart=on-failure\n"
    "RestartPreventExitStatus=78\n"
    "RestartSec=10s\n"
    "TimeoutStopSec=30s\n"
    "ProtectSystem=strict\n"
    "PrivateTmp=yes\n"
    "NoNewPrivileges=yes\n"
    "PrivateDevices=yes\n"
    "ProtectKernelTunables=yes\n"
    "ProtectKernelModules=yes\n"
    "ProtectKernelLogs=yes\n"
    "ProtectControlGroups=yes\n"
    "ProtectClock=yes\n"
    "ProtectHostname=yes\n"
    "RestrictAddressFamilies=AF_UNIX\n"
    "RestrictNamespaces=yes\n"
    "RestrictRealtime=yes\n"
    "RestrictSUIDSGID=yes\n"
    "LockPersonality=yes\n"
    "MemoryDenyWriteExecute=yes\n"
    "SystemCallArchitectures=native\n"
    "SystemCallFilter=@system-service\n";

enum class UnitWordKind { kPath, kCommand };

// `text` as one quoted word of a unit file: specifiers ("%") and, in
// commands, variables ("$") kept literal. Line breaks cannot be written.
std::string UnitWord(const std::string& text, UnitWordKind kind = UnitWordKind::kPath) {
  std::string word = "\"";
  for (char c : text) {
    if (c == '\n' || c == '\r') {
      throw Error(ErrorKind::kOther, "The path \"" + text + "\" cannot be named in a unit file.");
    }
    if (c == '\\' || c == '"') word += '\\';
    if (c == '%') word += '%';
    if (c == '$' && kind == UnitWordKind::kCommand) word += '$';
    word += c;
  }
  return word + "\"";
}

// ProtectHome= for a service whose folder is `folder`: home folders hidden,
// or read-only where the folder lies in one (ReadWritePaths= opens it).
std::string ProtectHomeFor(const std::string& folder) {
  for (const char* home : {"/home/", "/root/", "/run/user/"}) {
    if (folder.starts_with(home)) return "read-only";
  }
  return "yes";
}

// The service's user: the owner of the program folder, never root.
std::string ServiceUserFor(const std::string& folder) {
  struct stat status = {};
  if (stat(folder.c_str(), &status) != 0) {
    throw Error(ErrorKind::kNotFound, "Cannot read the owner of the folder \"" + folder + "\".");
  }
  if (status.st_uid == 0) {
    throw Error(ErrorKind::kOther,
                "The program folder \"" + folder +
                    "\" belongs to root, and the service does not run as root. Give the folder "
                    "to the user the service is to run as (chown -R USER \"" +
                    folder +
                    "\"), or install the Debian package, whose service runs as its own user "
                    "cratemark.");
  }
  const passwd* user = getpwuid(status.st_uid);
  if (user == nullptr) {
    throw Error(ErrorKind::kOther, "The program folder \"" + folder + "\" belongs to user ID " +
                                       std::to_string(status.st_uid) +
                                       ", which this machine does not know.");
  }
  return user->pw_name;
}

// `from` copied to `to` with `mode`: complete under its name or absent.
void InstallCopy(const std::string& from, const std::string& to, mode_t mode) {
  WriteWholeFileWithMode(to, ReadWholeFile(from), mode);
}

// The program and the libraries it loads, copied out of the program folder
// into a folder only root may change; returns the copied program's path.
std::string CopyPrograms(const ServiceIdentity& identity) {
  const std::string folder = ProgramCopyFolder();
  CreateDirectories(folder);
  if (chmod(folder.c_str(), 0755) != 0) {
    const int error = errno;
    throw Error(ErrorKind::kIo, "Cannot make the folder \"" + folder + "\" root's alone. " +
                                    WithErrorCode(std::strerror(error), error));
  }
  const std::string program = folder + "/" + ServiceProgramFileName();
  for (const std::string& library : identity.libraries) {
    InstallCopy(ProgramDir() + library, folder + "/" + library, 0644);
  }
  InstallCopy(ServiceProgramPath(), program, 0755);
  return program;
}

void RemoveProgramCopy(const ServiceIdentity& identity) {
  const std::string folder = ProgramCopyFolder();
  DeleteFileAt(folder + "/" + ServiceProgramFileName());
  for (const std::string& library : identity.libraries) DeleteFileAt(folder + "/" + library);
  rmdir(folder.c_str());  // only when nothing else lies there
}

std::string UnitFileText(const ServiceIdentity& identity, const std::string& program,
                         const std::string& folder, const std::string& user) {
  const std::string command = UnitWord(program, UnitWordKind::kCommand) + " --program-dir " +
                              UnitWord(folder, UnitWordKind::kCommand);
  return "[Unit]\n"
         "Description=" +
         identity.display_name + ": box labels for Tolvan's orders" +
         "\n"
         "After=local-fs.target remote-fs.target\n"
         "RequiresMountsFor=" +
         UnitWord(folder) +
         "\n"
         "\n"
         "[Service]\n"
         "ExecStart=" +
         command +
         "\n"
         "User=" +
         user +
         "\n"
         "ReadWritePaths=" +
         UnitWord(folder) +
         "\n"
         "ProtectHome=" +
         ProtectHomeFor(folder) + "\n" + kServiceSettings +
         "\n"
         "[Install]\n"
         "WantedBy=multi-user.target\n";
}

std::string UnitPath(const ServiceIdentity& identity) {
  return UnitFolder() + "/" + identity.name + ".service";
}

}  // namespace

int InstallService(const ServiceIdentity& identity, const std::string& program_dir, bool silent) {
  try {
    // The program runs from a copy only root may change, as the folder's
    // owner: whoever may write the folder can then replace neither.
    const std::string folder = program_dir.empty() ? ProgramDir() : program_dir;
    const std::string user = ServiceUserFor(folder);
    const std::string program = CopyPrograms(identity);
    WriteWholeFile(UnitPath(identity), UnitFileText(identity, program, folder, user));
    Systemctl({"daemon-reload"});
    Systemctl({"enable", identity.name + ".service"});
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Service \"%s\" failed to install with error: \"%s\"\n",
                 identity.display_name.c_str(), e.what());
    return 1;
  }
  if (!silent) std::printf("Service installed successfully\n");
  return 0;
}

int UninstallService(const ServiceIdentity& identity, bool silent) {
  try {
    const std::string unit = UnitPath(identity);
    if (!FileExists(unit)) {
      throw Error(ErrorKind::kNotFound, "The unit file \"" + unit + "\" does not exist.");
    }
    Systemctl({"disable", identity.name + ".service"});
    if (!DeleteFileAt(unit)) {
      throw Error(ErrorKind::kIo, "Cannot delete file \"" + unit + "\".");
    }
    Systemctl({"daemon-reload"});
    RemoveProgramCopy(identity);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Service \"%s\" failed to uninstall with error: \"%s\"\n",
                 identity.display_name.c_str(), e.what());
    return 1;
  }
  if (!silent) std::printf("Service uninstalled successfully\n");
  return 0;
}

int RunService(ServiceModule& module, const ServiceIdentity& identity) {
  sigset_t controls;
  sigemptyset(&controls);
  for (int s : {SIGTERM, SIGINT, SIGUSR1, SIGUSR2}) sigaddset(&controls, s);
  sigprocmask(SIG_BLOCK, &controls, nullptr);

  const std::unique_ptr<SupervisorNotifier> supervisor = MakeSupervisorNotifier();
  ServiceController controller(module, identity.name, ServiceProgramFileName());
  controller.Handle(ServiceControl::kStart);
  if (controller.state() == ServiceState::kStopped) {
    return controller.start_refused() ? kExitFolderServed : 1;
  }
  supervisor->Ready();

  using Clock = std::chrono::steady_clock;
  const auto interval = std::chrono::milliseconds(kPollIntervalMs);
  auto next_tick = Clock::now() + interval;
  while (controller.state() != ServiceState::kStopped) {
    auto wait = std::chrono::duration_cast<std::chrono::nanoseconds>(next_tick - Clock::now());
    if (wait.count() < 0) wait = std::chrono::nanoseconds(0);
    timespec timeout{static_cast<time_t>(wait.count() / 1000000000),
                     static_cast<long>(wait.count() % 1000000000)};
    int signal_number = sigtimedwait(&controls, nullptr, &timeout);
    if (signal_number == SIGTERM || signal_number == SIGINT) {
      supervisor->Stopping();
      controller.Handle(ServiceControl::kStop);
    } else if (signal_number == SIGUSR1) {
      controller.Handle(ServiceControl::kPause);
    } else if (signal_number == SIGUSR2) {
      controller.Handle(ServiceControl::kContinue);
    } else if (signal_number < 0 && errno == EAGAIN) {
      controller.Tick();
      supervisor->Alive();
      // A tick longer than the interval delays the next one; ticks never pile up.
      next_tick = std::max(next_tick + interval, Clock::now());
    }
  }
  return 0;
}

}  // namespace cratemark
