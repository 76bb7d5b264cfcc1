#include "render/control_characters.h"

#include <string>

namespace cratemark::render {
namespace {

constexpr const char* kControlNames[32] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL",
                                           "BS",  "HT",  "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
                                           "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
                                           "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};

}  // namespace

Lines ShowControlCharacters(std::string_view text) {
  Lines lines;
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\r' || c == '\n') {
      line += c == '\r' ? "{CR}" : "{LF}";
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
        line += "{LF}";
        ++i;
      }
      lines.push_back(std::move(line));
      line.clear();
    } else if (c < 32) {
      line += std::string("{") + kControlNames[c] + "}";
    } else if (c == 127) {
      line += "{DEL}";
    } else {
      line += static_cast<char>(c);
    }
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

}  // namespace cratemark::render
