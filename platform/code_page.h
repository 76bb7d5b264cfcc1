// Conversion between the program's UTF-8 text and the ANSI code page (the
// system's on Windows; Windows-1252 on POSIX, all 256 bytes mapped as Windows
// maps them). Characters the code page cannot hold become "?".
#pragma once

#include <string>
#include <string_view>

namespace cratemark {

std::string AnsiToUtf8(std::string_view ansi);
std::string Utf8ToAnsi(std::string_view utf8);

// UTF-8 <-> UTF-16 (portable). Invalid sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// UTF-8 <-> code points (portable). Invalid sequences become U+FFFD.
std::u32string Utf8ToCodePoints(std::string_view utf8);
std::string CodePointsToUtf8(std::u32string_view code_points);

}  // namespace cratemark
