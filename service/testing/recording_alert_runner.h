// An alert command runner for the service's tests: records each run's
// arguments and ends each run as told, at the next Poll.
#pragma once

#include <string>
#include <vector>

#include "platform/alert_command.h"

namespace cratemark::testing {

class RecordingAlertRunner : public AlertCommandRunner {
 public:
  void Start(const std::vector<std::string>& args) override {
    runs.push_back(args);
    pending_.push_back(outcome);
  }
  std::vector<AlertCommandResult> Poll() override { return std::exchange(pending_, {}); }
  bool Busy() const override { return !pending_.empty(); }

  // The kinds of the runs so far (their first argument).
  std::vector<std::string> Kinds() const {
    std::vector<std::string> kinds;
    for (const auto& run : runs) kinds.push_back(run.front());
    return kinds;
  }

  std::vector<std::vector<std::string>> runs;
  AlertCommandResult outcome{true, "exited with status 0"};  // how the next runs end

 private:
  std::vector<AlertCommandResult> pending_;
};

}  // namespace cratemark::testing
