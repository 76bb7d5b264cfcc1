// Where the running program lies, split once from ProgramPath().
#include <string>

#include "platform/file_system.h"

namespace cratemark {
namespace {

// Where the file name starts: after the last separator ("/" also counts on
// Windows), or 0.
std::size_t FileNameStart(const std::string& path) {
  const char separators[] = {'/', kPathSeparator, '\0'};
  return path.find_last_of(separators) + 1;  // npos + 1 == 0
}

}  // namespace

std::string ProgramDir() {
  const std::string path = ProgramPath();
  if (path.empty()) return std::string(".") + kPathSeparator;
  return path.substr(0, FileNameStart(path));
}

std::string FolderOf(const std::string& path) {
  const std::size_t start = FileNameStart(path);
  if (start == 0) return ".";
  // "C:" alone would be the drive's current folder, not its root.
  const bool root = start == 1 || (kPathSeparator == '\\' && start == 3 && path[1] == ':');
  return path.substr(0, root ? start : start - 1);
}

std::string ProgramFileName() {
  const std::string path = ProgramPath();
  return path.substr(FileNameStart(path));
}

}  // namespace cratemark
