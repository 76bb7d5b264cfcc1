#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_system.h"
#include "platform/program_files_check.h"
#include "platform/write_access.h"

namespace cratemark {
namespace {

// Who else may replace `path`, through itself or its folder; "" when nobody.
std::string EverydayWriters(const std::string& path) {
  const std::uint32_t service_uid = geteuid();
  struct stat file = {};
  struct stat folder = {};
  if (stat(path.c_str(), &file) != 0) return "";
  std::string writers =
      PosixEverydayWriters({static_cast<std::uint32_t>(file.st_mode & 07777), file.st_uid},
                           service_uid, /*is_folder=*/false);
  const std::string folder_path = FolderOf(path);
  if (stat(folder_path.c_str(), &folder) == 0) {
    const std::string folder_writers = PosixEverydayWriters(
        {static_cast<std::uint32_t>(folder.st_mode & 07777), folder.st_uid}, service_uid,
        /*is_folder=*/true);
    if (!folder_writers.empty()) {
      if (!writers.empty()) writers += "; ";
      writers += "its folder " + folder_path + ": " + folder_writers;
    }
  }
  return writers;
}

}  // namespace

std::vector<std::string> CheckProgramFiles(const std::vector<std::string>& paths) {
  std::vector<std::string> warnings;
  for (const std::string& path : paths) {
    const std::string writers = EverydayWriters(path);
    if (writers.empty()) continue;
    warnings.push_back("Users other than root and the service's user can replace \"" + path +
                       "\", which the service runs (" + writers +
                       "). Let only root change it and its folder (chown root: and chmod "
                       "go-w), or install with CratemarkService -INSTALL or the Debian package, "
                       "which run the programs from a folder of root's.");
  }
  return warnings;
}

}  // namespace cratemark
