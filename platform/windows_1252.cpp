#include "platform/windows_1252.h"

#include "platform/code_page.h"

namespace cratemark {

namespace {

// Bytes 0x80 to 0x9F; every other byte is the code point of the same value.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

char32_t CodePointOf(unsigned char byte) {
  return (byte >= 0x80 && byte <= 0x9F) ? kHighControls[byte - 0x80] : byte;
}

char ByteOf(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (int i = 0; i < 32; ++i) {
    if (kHighControls[i] == c) return static_cast<char>(0x80 + i);
  }
  return '?';
}

}  // namespace

std::string Windows1252ToUtf8(std::string_view bytes) {
  std::u32string code_points;
  code_points.reserve(bytes.size());
  for (char b : bytes) code_points += CodePointOf(static_cast<unsigned char>(b));
  return CodePointsToUtf8(code_points);
}

std::string Utf8ToWindows1252(std::string_view utf8) {
  std::string out;
  for (char32_t c : Utf8ToCodePoints(utf8)) out += ByteOf(c);
  return out;
}

}  // namespace cratemark
