// Splitting a command-line argument at a separator, for the helper programs.
#pragma once

#include <string>
#include <vector>

namespace cratemark::tools {

// Every part, empty ones included: "a||b" is "a", "" and "b"; "" is one empty part.
inline std::vector<std::string> SplitAt(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

}  // namespace cratemark::tools
