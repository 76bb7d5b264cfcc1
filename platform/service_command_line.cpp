#include <filesystem>
#include <string_view>
#include <system_error>

#include "platform/file_system.h"
#include "platform/service_host.h"
#include "platform/text.h"

namespace cratemark {
namespace {

constexpr std::string_view kProgramDirOption = "--program-dir";

bool IsSwitch(const std::string& arg, std::string_view name) {
  return arg.size() > 1 && (arg[0] == '/' || arg[0] == '-') &&
         EqualsNoCase(std::string_view(arg).substr(1), name);
}

// `dir` made absolute (from the current folder), with one trailing separator.
std::string AbsoluteFolder(const std::string& dir) {
  // Through u8string so that UTF-8 survives on Windows too.
  std::error_code error;
  std::filesystem::path path = std::filesystem::absolute(
      std::filesystem::path(std::u8string(dir.begin(), dir.end())), error);
  if (error) path = std::u8string(dir.begin(), dir.end());
  const std::u8string text = path.u8string();
  std::string result(text.begin(), text.end());
  while (result.size() > 1 && (result.back() == '/' || result.back() == '\\')) result.pop_back();
  if (result.back() != '/' && result.back() != '\\') result += kPathSeparator;
  return result;
}

}  // namespace

ServiceCommandLine ParseServiceCommandLine(const std::vector<std::string>& args) {
  ServiceCommandLine result;
  // The folder's value is taken out first: a folder named like a switch
  // ("/install") must not act as one.
  std::vector<std::string> switches;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string value;
    if (arg == kProgramDirOption) {
      if (i + 1 == args.size()) {
        result.error = "The option \"--program-dir\" needs a folder.";
        continue;
      }
      value = args[++i];
    } else if (arg.starts_with(std::string(kProgramDirOption) + "=")) {
      value = arg.substr(kProgramDirOption.size() + 1);
    } else {
      switches.push_back(arg);
      continue;
    }
    if (value.empty()) {
      result.error = "The option \"--program-dir\" needs a folder.";
    } else {
      result.program_dir = AbsoluteFolder(value);
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
  }
  result.silent = has("SILENT");
  return result;
}

}  // namespace cratemark
