#include "service/alert_switches.h"

#include <cstdio>
#include <exception>

#include "platform/alert_command.h"
#include "platform/error_channel.h"
#include "platform/file_system.h"
#include "service/alert_events.h"
#include "shared/settings_file.h"

namespace cratemark {
namespace {

// The source printer's folder as the settings name it; the service's
// default where they cannot be read.
std::string SourceFolder(const std::string& program_dir) {
  Settings settings = ServiceDefaultSettings();
  try {
    settings = ReadSettingsFile(SystemFileSystem(), program_dir);
  } catch (const std::exception&) {
  }
  return program_dir + settings.spl_dir_source;
}

std::vector<AlertCommandResult> RunOnce(const std::string& command, const Alert& alert,
                                        const std::string& program_dir) {
  const std::unique_ptr<AlertCommandRunner> runner = MakeAlertCommandRunner(command);
  runner->Start(AlertArguments(alert, SourceFolder(program_dir)));
  return runner->WaitAll();
}

}  // namespace

int SetAlertCommandSwitch(const ServiceIdentity& identity, const std::string& command,
                          bool silent) {
  try {
    SetAlertCommand(identity.name, command);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "The alert command was not %s: %s\n", command.empty() ? "removed" : "set",
                 e.what());
    return 1;
  }
  if (!silent) {
    std::printf(command.empty() ? "The alert command is removed.\n"
                                : "The alert command is set; \"/TESTALERT\" tries it.\n");
  }
  return 0;
}

int TestAlertCommand(const ServiceIdentity& identity, const std::string& program_dir) {
  const std::string command = ConfiguredAlertCommand(identity.name);
  if (command.empty()) {
    std::fprintf(stderr, "No alert command is set in %s.\n",
                 WhereAlertCommandIsSet(identity.name).c_str());
    return 1;
  }
  const Alert alert{AlertKind::kTest, 0, "A test of the alert command: no order is concerned."};
  const std::vector<AlertCommandResult> results = RunOnce(command, alert, program_dir);
  const AlertCommandResult result =
      results.empty() ? AlertCommandResult{false, "was not run"} : results.front();
  std::fprintf(result.succeeded ? stdout : stderr, "The alert command %s %s.\n", command.c_str(),
               result.description.c_str());
  return result.succeeded ? 0 : 1;
}

void AlertStartRefused(const ServiceIdentity& identity, const std::string& program_dir,
                       const std::string& why) {
  const std::string command = ConfiguredAlertCommand(identity.name);
  if (command.empty()) return;
  const Alert alert{AlertKind::kHalted, 0, "The service did not start: " + why};
  ReportServiceEvent(EventKind::kAlert, "halted: " + alert.message);
  for (const AlertCommandResult& result : RunOnce(command, alert, program_dir)) {
    if (!result.succeeded) {
      std::fprintf(stderr, "The alert command %s.\n", result.description.c_str());
    }
  }
}

}  // namespace cratemark
