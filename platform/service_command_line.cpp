#include <string_view>

#include "platform/service_host.h"
#include "platform/text.h"

namespace cratemark {
namespace {

bool HasSwitch(const std::vector<std::string>& args, std::string_view name) {
  for (const std::string& arg : args) {
    if (arg.size() > 1 && (arg[0] == '/' || arg[0] == '-') &&
        EqualsNoCase(std::string_view(arg).substr(1), name)) {
      return true;
    }
  }
  return false;
}

}  // namespace

ServiceCommandLine ParseServiceCommandLine(const std::vector<std::string>& args) {
  ServiceCommandLine result;
  if (HasSwitch(args, "INSTALL")) {
    result.command = ServiceCommand::kInstall;
  } else if (HasSwitch(args, "UNINSTALL")) {
    result.command = ServiceCommand::kUninstall;
  }
  result.silent = HasSwitch(args, "SILENT");
  return result;
}

}  // namespace cratemark
