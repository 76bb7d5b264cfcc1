// ASCII-only case rules for what the file format itself spells: field names,
// type letters, aliases and extensions. Names in the file are bytes in the
// table's code page, so only A-Z and a-z change case.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace cratemark::engine {

inline bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
inline bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsAsciiLower(char c) { return c >= 'a' && c <= 'z'; }
inline char AsciiUpper(char c) { return IsAsciiLower(c) ? static_cast<char>(c - 'a' + 'A') : c; }

inline std::string AsciiUpper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = AsciiUpper(c);
  return upper;
}

inline bool EqualsAsciiNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiUpper(x) == AsciiUpper(y);
         });
}

}  // namespace cratemark::engine
