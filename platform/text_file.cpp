#include "platform/text_file.h"

#include "platform/code_page.h"
#include "platform/file_system.h"

namespace cratemark {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LEMark = "\xFF\xFE";
constexpr std::string_view kUtf16BEMark = "\xFE\xFF";

std::string DecodeUtf16(std::string_view bytes, bool big_endian) {
  std::u16string units;
  units.reserve(bytes.size() / 2 + 1);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    units += static_cast<char16_t>(big_endian ? (a << 8) | b : (b << 8) | a);
  }
  // A stray last byte cannot be a character; show that something was there.
  if (bytes.size() % 2 != 0) units += u'\xFFFD';
  return Utf16ToUtf8(units);
}

std::string EncodeUtf16(std::string_view text, bool big_endian) {
  std::string bytes;
  for (char16_t unit : Utf8ToUtf16(text)) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    bytes += big_endian ? high : low;
    bytes += big_endian ? low : high;
  }
  return bytes;
}

}  // namespace

std::string DecodeText(std::string_view bytes, TextEncoding* encoding) {
  TextEncoding found = TextEncoding::kAnsi;
  std::string text;
  if (bytes.starts_with(kUtf8Mark)) {
    found = TextEncoding::kUtf8;
    // Re-encoding replaces invalid sequences, so the program only ever holds valid UTF-8.
    text = CodePointsToUtf8(Utf8ToCodePoints(bytes.substr(kUtf8Mark.size())));
  } else if (bytes.starts_with(kUtf16LEMark)) {
    found = TextEncoding::kUtf16LE;
    text = DecodeUtf16(bytes.substr(2), /*big_endian=*/false);
  } else if (bytes.starts_with(kUtf16BEMark)) {
    found = TextEncoding::kUtf16BE;
    text = DecodeUtf16(bytes.substr(2), /*big_endian=*/true);
  } else {
    text = AnsiToUtf8(bytes);
  }
  if (encoding) *encoding = found;
  return text;
}

std::string EncodeText(std::string_view text, TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::kUtf8:
      return std::string(kUtf8Mark) + CodePointsToUtf8(Utf8ToCodePoints(text));
    case TextEncoding::kUtf16LE:
      return std::string(kUtf16LEMark) + EncodeUtf16(text, /*big_endian=*/false);
    case TextEncoding::kUtf16BE:
      return std::string(kUtf16BEMark) + EncodeUtf16(text, /*big_endian=*/true);
    case TextEncoding::kAnsi:
      break;
  }
  return Utf8ToAnsi(text);
}

Lines SplitLines(std::string_view text) {
  Lines lines;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '\r' || text[i] == '\n') {
      lines.emplace_back(text.substr(start, i - start));
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = ++i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::string JoinLines(const Lines& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

TextFileContent ReadTextFile(FileSystem& fs, std::string_view path) {
  TextFileContent content;
  content.lines = SplitLines(DecodeText(fs.ReadWholeFile(path), &content.encoding));
  return content;
}

void WriteTextFile(FileSystem& fs, std::string_view path, const Lines& lines,
                   TextEncoding encoding) {
  fs.WriteWholeFile(path, EncodeText(JoinLines(lines), encoding));
}

void WriteTextFileExact(FileSystem& fs, std::string_view path, std::string_view text,
                        TextEncoding encoding) {
  fs.WriteWholeFile(path, EncodeText(text, encoding));
}

}  // namespace cratemark
