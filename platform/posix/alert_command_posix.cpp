// The alert command on POSIX: set in the unit's environment, run with
// posix_spawn (no shell) in a process group of its own, so that ending it
// after the time limit also ends what it started.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/alert_command.h"
#include "platform/error.h"

extern char** environ;

namespace cratemark {
namespace {

class PosixAlertCommandRunner : public TimedAlertRuns<pid_t> {
 public:
  PosixAlertCommandRunner(std::string command, std::chrono::milliseconds time_limit)
      : TimedAlertRuns(time_limit), words_(SplitCommandWords(command)) {}

  void Start(const std::vector<std::string>& args) override {
    if (words_.empty()) return NotStarted("cannot start: the command is empty");
    std::vector<std::string> all = words_;
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : all) argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // The service blocks its control signals and takes them itself; the
    // command must not inherit that, or it could not be ended politely.
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int s : {SIGTERM, SIGINT, SIGUSR1, SIGUSR2, SIGPIPE, SIGHUP}) sigaddset(&defaults, s);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(
        &attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);

    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (rc != 0) {
      return NotStarted("cannot start " + words_[0] + ": " + WithErrorCode(std::strerror(rc), rc));
    }
    Started(pid);
  }

 private:
  std::optional<AlertCommandResult> Ended(pid_t& pid) override {
    int status = 0;
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == 0 || (done < 0 && errno != ECHILD)) return std::nullopt;
    if (done == pid && WIFEXITED(status)) {
      const int code = WEXITSTATUS(status);
      return AlertCommandResult{code == 0, "exited with status " + std::to_string(code)};
    }
    if (done == pid && WIFSIGNALED(status)) {
      return AlertCommandResult{false, "was ended by signal " + std::to_string(WTERMSIG(status))};
    }
    return AlertCommandResult{false, "ended in a way that cannot be told"};
  }

  // Its process group: what it started goes too.
  void End(pid_t& pid) override { kill(-pid, SIGKILL); }

  std::vector<std::string> words_;
};

}  // namespace

std::string ConfiguredAlertCommand(std::string_view /*service_name*/) {
  const char* command = std::getenv(std::string(kAlertCommandVariable).c_str());
  return command ? command : "";
}

std::string WhereAlertCommandIsSet(std::string_view /*service_name*/) {
  return "the environment variable " + std::string(kAlertCommandVariable) +
         " of the service's unit";
}

void SetAlertCommand(std::string_view /*service_name*/, std::string_view command) {
  if (command.empty()) return;  // the program keeps none to remove
  throw Error(ErrorKind::kUnsupported,
              "The alert command is set in the service's unit: \"systemctl edit "
              "cratemark@<site>\" (or the unit's own name), then the lines \"[Service]\" and "
              "\"Environment=" +
                  std::string(kAlertCommandVariable) + "=<command>\".");
}

std::unique_ptr<AlertCommandRunner> MakeAlertCommandRunner(std::string command,
                                                           std::chrono::milliseconds time_limit) {
  return std::make_unique<PosixAlertCommandRunner>(std::move(command), time_limit);
}

}  // namespace cratemark
