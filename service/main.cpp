// CratemarkService: the label service program. "/INSTALL" and "/UNINSTALL"
// (with "/SILENT") register it with the service manager; without them it
// runs as the service. "--program-dir DIR" serves the host's files in DIR
// instead of the executable's folder. "/ALERT <command line>" sets the
// alert command and "/TESTALERT" (or "--test-alert") tries it.
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "platform/alert_command.h"
#include "platform/error_channel.h"
#include "platform/file_system.h"
#include "platform/program_files_check.h"
#include "platform/service_host.h"
#include "service/alert_switches.h"
#include "service/lock_table.h"
#include "service/srvMain.h"
#include "xbase/XbEngine.h"

int main(int argc, char** argv) {
  using namespace cratemark;
  const ServiceCommandLine command_line =
      ParseServiceCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  const ServiceIdentity identity{
      "srvCratemark", "Veltrane's Cratemark Service", {kXbEngineFileName}};
  SetEventSource(identity.name);
  const std::string program_dir =
      command_line.program_dir.empty() ? ProgramDir() : command_line.program_dir;
  if (!command_line.error.empty()) {
    ReportServiceEvent(EventKind::kStartRefused, command_line.error);
    AlertStartRefused(identity, program_dir, command_line.error);
    return 2;
  }
  // A folder that is not there (a share not mounted yet) is refused at once
  // rather than served with every check failing; the supervisor retries.
  if (!command_line.program_dir.empty() && !DirectoryExists(command_line.program_dir)) {
    const std::string why =
        "The program folder \"" + command_line.program_dir + "\" does not exist.";
    ReportServiceEvent(EventKind::kStartRefused, why);
    AlertStartRefused(identity, program_dir, why);
    return 1;
  }
  switch (command_line.command) {
    case ServiceCommand::kInstall: {
      const int status = InstallService(identity, command_line.program_dir, command_line.silent);
      if (status != 0 || !command_line.alert_command) return status;
      return SetAlertCommandSwitch(identity, *command_line.alert_command, command_line.silent);
    }
    case ServiceCommand::kUninstall:
      // The command goes with the service; a failure here keeps nobody from
      // uninstalling.
      try {
        SetAlertCommand(identity.name, "");
      } catch (const std::exception&) {
      }
      return UninstallService(identity, command_line.silent);
    case ServiceCommand::kSetAlert:
      return SetAlertCommandSwitch(identity, *command_line.alert_command, command_line.silent);
    case ServiceCommand::kTestAlert:
      return TestAlertCommand(identity, program_dir);
    case ServiceCommand::kRun:
      break;
  }
  ServiceOptions options;
  options.check_program_files = [] {
    return CheckProgramFiles({ProgramPath(), ProgramDir() + kXbEngineFileName});
  };
  options.alert_runner = MakeConfiguredAlertCommandRunner(identity.name);
  TsrvCratemark srvCratemark(program_dir, MakeDbfLockTable("tblLockSPL"),
                             MakeDbfLockTable("tblLockSPLCheck"), std::move(options));
  return RunService(srvCratemark, identity);
}
