#include "platform/program_dir_option.h"

#include <filesystem>
#include <string_view>
#include <system_error>

#include "platform/file_system.h"

namespace cratemark {

namespace {

constexpr std::string_view kOption = "--program-dir";

// `dir` made absolute (from the current folder), with one trailing separator.
std::string AsProgramDir(const std::string& dir) {
  // Through u8string so that UTF-8 survives on Windows too.
  const std::u8string utf8(dir.begin(), dir.end());
  std::error_code ignored;
  std::filesystem::path path = std::filesystem::absolute(std::filesystem::path(utf8), ignored);
  if (ignored) path = std::filesystem::path(utf8);
  const std::u8string normal = path.lexically_normal().u8string();
  std::string text(normal.begin(), normal.end());
  while (text.size() > 1 && (text.back() == '/' || text.back() == '\\')) text.pop_back();
  if (text.empty() || (text.back() != '/' && text.back() != '\\')) text += kPathSeparator;
  return text;
}

constexpr const char* kNeedsAFolder = "The option \"--program-dir\" needs a folder.";

}  // namespace

ProgramDirOption TakeProgramDirOption(const std::vector<std::string>& args) {
  ProgramDirOption result;
  bool given = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string value;
    if (arg == kOption) {
      if (i + 1 >= args.size()) {
        result.error = kNeedsAFolder;
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
      result.error = "The option \"--program-dir\" is given more than once.";
      return result;
    }
    if (value.empty()) {
      result.error = kNeedsAFolder;
      return result;
    }
    given = true;
    result.is_given = true;
    result.program_dir = AsProgramDir(value);
  }
  if (!given) result.program_dir = ProgramDir();
  return result;
}

}  // namespace cratemark
