// The portable rules of the alert command: its words and its arguments.
#include "platform/alert_command.h"

#include <map>
#include <thread>

namespace cratemark {

std::vector<std::string> SplitCommandWords(std::string_view command) {
  std::vector<std::string> words;
  std::string word;
  bool in_word = false;
  bool quoted = false;
  for (char c : command) {
    if (c == '"') {
      quoted = !quoted;
      in_word = true;  // "" is an empty word
    } else if (!quoted && (c == ' ' || c == '\t')) {
      if (in_word) words.push_back(std::move(word));
      word.clear();
      in_word = false;
    } else {
      word += c;
      in_word = true;
    }
  }
  if (in_word) words.push_back(std::move(word));
  return words;
}

std::string QuoteWindowsArgument(std::string_view arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string_view::npos) return std::string(arg);
  // Backslashes count only before a quote: there they are doubled, and one
  // more escapes the quote itself.
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') backslashes = backslashes * 2 + 1;
    quoted.append(backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

std::string RanTooLong(std::chrono::milliseconds time_limit) {
  const long long ms = time_limit.count();
  const std::string limit =
      ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
  return "ran longer than " + limit + " and was ended";
}

namespace {

class ConfiguredAlertCommandRunner : public AlertCommandRunner {
 public:
  explicit ConfiguredAlertCommandRunner(std::string service_name)
      : service_name_(std::move(service_name)) {}

  void Start(const std::vector<std::string>& args) override {
    const std::string command = ConfiguredAlertCommand(service_name_);
    if (command.empty()) return;
    std::unique_ptr<AlertCommandRunner>& runner = runners_[command];
    if (!runner) runner = MakeAlertCommandRunner(command);
    runner->Start(args);
  }

  std::vector<AlertCommandResult> Poll() override {
    std::vector<AlertCommandResult> results;
    for (auto& [command, runner] : runners_) {
      std::vector<AlertCommandResult> ended = runner->Poll();
      results.insert(results.end(), ended.begin(), ended.end());
    }
    // Runners of commands no longer set go once idle: they never pile up.
    std::erase_if(runners_, [](const auto& item) { return !item.second->Busy(); });
    return results;
  }

  bool Busy() const override { return !runners_.empty(); }

 private:
  std::string service_name_;
  std::map<std::string, std::unique_ptr<AlertCommandRunner>> runners_;
};

}  // namespace

std::unique_ptr<AlertCommandRunner> MakeConfiguredAlertCommandRunner(std::string service_name) {
  return std::make_unique<ConfiguredAlertCommandRunner>(std::move(service_name));
}

std::vector<AlertCommandResult> AlertCommandRunner::WaitAll() {
  std::vector<AlertCommandResult> results;
  for (;;) {
    std::vector<AlertCommandResult> ended = Poll();
    results.insert(results.end(), ended.begin(), ended.end());
    if (!Busy()) return results;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace cratemark
