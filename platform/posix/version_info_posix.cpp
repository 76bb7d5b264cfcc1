#include <algorithm>
#include <fstream>
#include <iterator>

#include "platform/version_info.h"

namespace cratemark {

const char kExecutableSuffix[] = "";

std::optional<std::string> ReadFileVersion(std::string_view path) {
  std::ifstream file{std::string(path), std::ios::binary};
  if (!file) return std::nullopt;
  const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
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
