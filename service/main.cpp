// CratemarkService: the label service program. "/INSTALL" and "/UNINSTALL"
// (with "/SILENT") register it with the service manager; without them it
// runs as the service.
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/service_host.h"
#include "service/lock_table.h"
#include "service/srvMain.h"

int main(int argc, char** argv) {
  using namespace cratemark;
  const ServiceCommandLine command_line =
      ParseServiceCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  const ServiceIdentity identity{"srvCratemark", "Veltrane's Cratemark Service"};
  switch (command_line.command) {
    case ServiceCommand::kInstall:
      return InstallService(identity, command_line.silent);
    case ServiceCommand::kUninstall:
      return UninstallService(identity, command_line.silent);
    case ServiceCommand::kRun:
      break;
  }
  TsrvCratemark srvCratemark(ProgramDir(), MakeDbfLockTable("tblLockSPL"),
                             MakeDbfLockTable("tblLockSPLCheck"));
  return RunService(srvCratemark, identity);
}
