#include "shared/change_marker.h"

#include "platform/file_system.h"

namespace cratemark {

std::string ChangeMarkerPath(std::string_view program_dir) {
  return std::string(program_dir) + std::string(kChangeMarkerFileName);
}

bool ChangeMarkerExists(FileSystem& fs, std::string_view program_dir) {
  return fs.FileExists(ChangeMarkerPath(program_dir));
}

bool DeleteChangeMarker(FileSystem& fs, std::string_view program_dir) {
  return fs.DeleteFileAt(ChangeMarkerPath(program_dir));
}

void WriteChangeMarker(FileSystem& fs, std::string_view program_dir,
                       const TextFileContent& content) {
  WriteTextFile(fs, ChangeMarkerPath(program_dir), content.lines, content.encoding);
}

}  // namespace cratemark
