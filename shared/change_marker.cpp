#include "shared/change_marker.h"

#include "platform/file_system.h"

namespace cratemark {

std::string ChangeMarkerPath(std::string_view program_dir) {
  return std::string(program_dir) + std::string(kChangeMarkerFileName);
}

bool ChangeMarkerExists(std::string_view program_dir) {
  return FileExists(ChangeMarkerPath(program_dir));
}

bool DeleteChangeMarker(std::string_view program_dir) {
  return DeleteFileAt(ChangeMarkerPath(program_dir));
}

void WriteChangeMarker(std::string_view program_dir, const TextFileContent& content) {
  WriteTextFile(ChangeMarkerPath(program_dir), content.lines, content.encoding);
}

}  // namespace cratemark
