#include <algorithm>
#include <string_view>

#include "platform/program_dir_option.h"
#include "platform/service_host.h"
#include "platform/text.h"

namespace cratemark {
namespace {

bool IsSwitch(const std::string& arg, std::string_view name) {
  return arg.size() > 1 && (arg[0] == '/' || arg[0] == '-') &&
         EqualsNoCase(std::string_view(arg).substr(1), name);
}

}  // namespace

ServiceCommandLine ParseServiceCommandLine(const std::vector<std::string>& args) {
  ServiceCommandLine result;
  // The folder's value is taken out first: a folder named like a switch
  // ("/install") must not act as one.
  const ProgramDirOption option = TakeProgramDirOption(args);
  result.error = option.error;
  if (option.is_given) result.program_dir = option.program_dir;
  // The alert command is a value too: "/ALERT /INSTALL" sets a command.
  std::vector<std::string> switches;
  for (std::size_t i = 0; i < option.rest.size(); ++i) {
    if (!IsSwitch(option.rest[i], "ALERT")) {
      switches.push_back(option.rest[i]);
    } else if (i + 1 < option.rest.size()) {
      result.alert_command = option.rest[++i];
    } else if (result.error.empty()) {
      result.error = "The switch \"/ALERT\" needs a command line (\"\" removes the command).";
    }
  }
  auto has = [&](std::string_view name) {
    for (const std::string& arg : switches) {
      if (IsSwitch(arg, name)) return true;
    }
    return false;
  };
  if (has("INSTALL")) {
    result.command = ServiceCommand::kInstall;
  } else if (has("UNINSTALL")) {
    result.command = ServiceCommand::kUninstall;
  } else if (result.alert_command) {
    result.command = ServiceCommand::kSetAlert;
  } else if (has("TESTALERT") ||
             std::find(switches.begin(), switches.end(), "--test-alert") != switches.end()) {
    result.command = ServiceCommand::kTestAlert;
  }
  result.silent = has("SILENT");
  return result;
}

}  // namespace cratemark
