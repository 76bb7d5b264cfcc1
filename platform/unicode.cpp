// UTF-8, UTF-16 and code point conversions, the same on every platform.
#include "platform/code_page.h"
#include "platform/utf8_decoder.h"

namespace cratemark {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

Utf8Char DecodeUtf8Char(std::string_view utf8, std::size_t pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
  const unsigned char lead = byte(pos);
  if (lead < 0x80) return {lead, 1};
  std::size_t length;
  char32_t c;
  char32_t min;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, c = lead & 0x1F, min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, c = lead & 0x0F, min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, c = lead & 0x07, min = 0x10000;
  } else {
    return {kReplacement, 1};
  }
  std::size_t i = 1;
  for (; i < length; ++i) {
    if (pos + i >= utf8.size() || (byte(pos + i) & 0xC0) != 0x80) return {kReplacement, i};
    c = (c << 6) | (byte(pos + i) & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return {kReplacement, length};
  return {c, length};
}

std::u32string Utf8ToCodePoints(std::string_view utf8) {
  std::u32string out;
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    const Utf8Char ch = DecodeUtf8Char(utf8, pos);
    out += ch.code_point;
    pos += ch.length;
  }
  return out;
}

std::string CodePointsToUtf8(std::u32string_view code_points) {
  std::string out;
  out.reserve(code_points.size());
  for (char32_t c : code_points) AppendUtf8(out, c);
  return out;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    const Utf8Char ch = DecodeUtf8Char(utf8, pos);
    pos += ch.length;
    if (ch.code_point < 0x10000) {
      out += static_cast<char16_t>(ch.code_point);
    } else {
      const char32_t v = ch.code_point - 0x10000;
      out += static_cast<char16_t>(0xD800 + (v >> 10));
      out += static_cast<char16_t>(0xDC00 + (v & 0x3FF));
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    const char16_t unit = utf16[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (utf16[i + 1] - 0xDC00));
      ++i;
    } else {
      AppendUtf8(out, unit);  // a lone surrogate becomes U+FFFD there
    }
  }
  return out;
}

}  // namespace cratemark
