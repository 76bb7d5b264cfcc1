// The administrator's alert command: where it is set, and running it beside
// the service. It is read only from places that only an administrator can
// change (never from the program folder, which the host's users may write
// to): the service unit's environment on POSIX, the service's registry key
// on Windows.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cratemark {

// The environment variable that holds the command on POSIX.
inline constexpr std::string_view kAlertCommandVariable = "CRATEMARK_ALERT_COMMAND";
// The registry value that holds it on Windows, under the service's
// "Parameters" key.
inline constexpr std::string_view kAlertCommandValueName = "AlertCommand";

// A command that runs longer is ended.
inline constexpr std::chrono::seconds kAlertCommandTimeLimit{30};

// The command set for the service `service_name`; empty when none is set.
// Never throws: an unreadable setting counts as none.
std::string ConfiguredAlertCommand(std::string_view service_name);

// Where the command is set, for messages: the unit's environment variable,
// or the registry value with its key.
std::string WhereAlertCommandIsSet(std::string_view service_name);

// Windows: writes the registry value (removes it when `command` is empty;
// a missing value is no failure). Needs an administrator. POSIX has no such
// store: removing does nothing, setting throws ErrorKind::kUnsupported
// saying how to set it instead.
// Throws Error.
void SetAlertCommand(std::string_view service_name, std::string_view command);

// The words of a POSIX command: split on blanks and tabs, a pair of double
// quotes groups words and is dropped ("a b" c -> {a b, c}). An unpaired
// quote runs to the end.
std::vector<std::string> SplitCommandWords(std::string_view command);

// One Windows command-line argument, quoted where needed so that the
// program's own parsing (CommandLineToArgvW's rules) gives `arg` back.
std::string QuoteWindowsArgument(std::string_view arg);

// How one run of the command ended.
struct AlertCommandResult {
  bool succeeded = false;
  std::string description;  // "exited with status 0", "cannot start ...: ..."
};

// The description of a run ended for passing `time_limit`.
std::string RanTooLong(std::chrono::milliseconds time_limit);

// Runs the command, each run beside the caller. Not thread-safe: one
// thread starts and polls.
class AlertCommandRunner {
 public:
  virtual ~AlertCommandRunner() = default;

  // Starts the command with `args` after its own words. Never waits: a run
  // that cannot start is a result of the next Poll.
  virtual void Start(const std::vector<std::string>& args) = 0;

  // The runs that ended since the last call. Ends any run older than the
  // time limit (and what it started). Never blocks.
  virtual std::vector<AlertCommandResult> Poll() = 0;

  // True while a run has not been reported by Poll.
  virtual bool Busy() const = 0;

  // Polls until no run is left (at most the time limit and a little).
  std::vector<AlertCommandResult> WaitAll();
};

// What both platforms' runners share: each run with its start, ended once
// past the time limit, and starts that failed, told by the next Poll. A
// platform supplies how a process is seen to end and how it is ended.
template <typename Process>
class TimedAlertRuns : public AlertCommandRunner {
 public:
  std::vector<AlertCommandResult> Poll() override {
    std::vector<AlertCommandResult> results = std::move(not_started_);
    not_started_.clear();
    const auto now = std::chrono::steady_clock::now();
    for (auto run = runs_.begin(); run != runs_.end();) {
      if (std::optional<AlertCommandResult> result = Ended(run->process)) {
        results.push_back(run->ended ? AlertCommandResult{false, RanTooLong(time_limit_)}
                                     : std::move(*result));
        run = runs_.erase(run);
        continue;
      }
      if (!run->ended && now - run->started >= time_limit_) {
        End(run->process);
        run->ended = true;
      }
      ++run;
    }
    return results;
  }

  bool Busy() const override { return !runs_.empty() || !not_started_.empty(); }

 protected:
  explicit TimedAlertRuns(std::chrono::milliseconds time_limit) : time_limit_(time_limit) {}

  void Started(Process process) {
    runs_.push_back({std::move(process), std::chrono::steady_clock::now(), false});
  }
  void NotStarted(std::string description) {
    not_started_.push_back({false, std::move(description)});
  }

  // How the process ended; empty while it runs. Never blocks.
  virtual std::optional<AlertCommandResult> Ended(Process& process) = 0;
  // Ends the process and what it started.
  virtual void End(Process& process) = 0;

 private:
  struct Run {
    Process process;
    std::chrono::steady_clock::time_point started;
    bool ended;  // ended for running too long
  };

  std::chrono::milliseconds time_limit_;
  std::vector<Run> runs_;
  std::vector<AlertCommandResult> not_started_;
};

// A runner of `command` (as configured: a command line on Windows, words on
// POSIX). Runs get the standard output and error of the caller and no input.
std::unique_ptr<AlertCommandRunner> MakeAlertCommandRunner(
    std::string command, std::chrono::milliseconds time_limit = kAlertCommandTimeLimit);

// A runner of whatever command is set for `service_name` at each Start, so
// that a command set while the service runs is used from the next alert on.
// A Start while none is set runs nothing.
std::unique_ptr<AlertCommandRunner> MakeConfiguredAlertCommandRunner(std::string service_name);

}  // namespace cratemark
