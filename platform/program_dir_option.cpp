#include "platform/program_dir_option.h"

#include <filesystem>
#include <string_view>
#include <system_error>

#include "platform/file_system.h"

namespace cratemark {

namespace {

constexpr std::string_view kOption = "--program-dir";

std::string AsProgramDir(const std::string& dir) {
  std::error_code ignored;
  std::filesystem::path path = std::filesystem::absolute(std::filesystem::path(dir), ignored);
  if (ignored) path = dir;
  std::string text = path.lexically_normal().string();
  const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
  if (text.empty() || (text.back() != separator && text.back() != '/')) text += separator;
  return text;
}

}  // namespace

ProgramDirOption TakeProgramDirOption(const std::vector<std::string>& args) {
  ProgramDirOption result;
  bool given = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string value;
    if (arg == kOption) {
      if (i + 1 >= args.size()) {
        result.error = "--program-dir needs a folder";
        return result;
      }
      value = args[++i];
    } else if (arg.starts_with(std::string(kOption) + "=")) {
      value = arg.substr(kOption.size() + 1);
    } else {
      result.rest.push_back(arg);
      continue;
    }
    if (given) {
      result.error = "--program-dir is given more than once";
      return result;
    }
    if (value.empty()) {
      result.error = "--program-dir needs a folder";
      return result;
    }
    given = true;
    result.program_dir = AsProgramDir(value);
  }
  if (!given) result.program_dir = ProgramDir();
  return result;
}

}  // namespace cratemark
