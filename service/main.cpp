// CratemarkService: the label service program. "/INSTALL" and "/UNINSTALL"
// (with "/SILENT") register it with the service manager; without them it
// runs as the service. "--program-dir DIR" serves the host's files in DIR
// instead of the executable's folder.
#include <string>
#include <utility>
#include <vector>

#include "platform/error_channel.h"
#include "platform/file_system.h"
#include "platform/program_files_check.h"
#include "platform/service_host.h"
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
  if (!command_line.error.empty()) {
    ReportServiceEvent(EventKind::kStartRefused, command_line.error);
    return 2;
  }
  // A folder that is not there (a share not mounted yet) is refused at once
  // rather than served with every check failing; the supervisor retries.
  if (!command_line.program_dir.empty() && !DirectoryExists(command_line.program_dir)) {
    ReportServiceEvent(EventKind::kStartRefused,
                       "The program folder \"" + command_line.program_dir + "\" does not exist.");
    return 1;
  }
  switch (command_line.command) {
    case ServiceCommand::kInstall:
      return InstallService(identity, command_line.program_dir, command_line.silent);
    case ServiceCommand::kUninstall:
      return UninstallService(identity, command_line.silent);
    case ServiceCommand::kRun:
      break;
  }
  const std::string program_dir =
      command_line.program_dir.empty() ? ProgramDir() : command_line.program_dir;
  ServiceOptions options;
  options.check_program_files = [] {
    return CheckProgramFiles({ProgramPath(), ProgramDir() + kXbEngineFileName});
  };
  TsrvCratemark srvCratemark(program_dir, MakeDbfLockTable("tblLockSPL"),
                             MakeDbfLockTable("tblLockSPLCheck"), std::move(options));
  return RunService(srvCratemark, identity);
}
