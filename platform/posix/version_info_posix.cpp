#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/version_info.h"

namespace cratemark {

const char kExecutableSuffix[] = "";

std::optional<std::string> ReadFileVersion(std::string_view path) {
  // Read in large blocks: a program file of tens of megabytes read a byte
  // at a time kept the about box waiting for seconds.
  std::string bytes;
  try {
    bytes = ReadWholeFile(path);
  } catch (const Error&) {
    return std::nullopt;
  }
  // Put together at run time so that this reader's own code does not carry
  // the marker it looks for.
  std::string needle = "CRATEMARK";
  needle += "-FILEVERSION=";
  for (size_t at = bytes.find(needle); at != std::string::npos; at = bytes.find(needle, at + 1)) {
    size_t start = at + needle.size();
    size_t end = bytes.find('\0', start);
    if (end == std::string::npos) end = bytes.size();
    if (end > start) return bytes.substr(start, end - start);
  }
  return std::nullopt;
}

}  // namespace cratemark
