// Step-by-step UTF-8 decoding that reports how many bytes each character
// took, for code that must map positions back onto the original bytes.
#pragma once

#include <cstddef>
#include <string_view>

namespace cratemark {

struct Utf8Char {
  char32_t code_point;  // U+FFFD for an invalid sequence
  std::size_t length;   // bytes consumed, at least 1
};

// Decodes the character that starts at `pos` (pos < utf8.size()).
Utf8Char DecodeUtf8Char(std::string_view utf8, std::size_t pos);

}  // namespace cratemark
