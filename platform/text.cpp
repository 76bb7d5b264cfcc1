#include "platform/text.h"

#include <vector>

#include "platform/code_page.h"
#include "platform/utf8_decoder.h"

namespace cratemark {

namespace {

// A character of a UTF-8 text, upper-cased, with where its bytes lie.
struct UpperChar {
  char32_t upper;
  std::size_t offset;
  std::size_t length;
};

std::vector<UpperChar> UpperChars(std::string_view text) {
  std::vector<UpperChar> chars;
  chars.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const Utf8Char ch = DecodeUtf8Char(text, pos);
    chars.push_back({UpperCaseChar(ch.code_point), pos, ch.length});
    pos += ch.length;
  }
  return chars;
}

}  // namespace

std::string ToUpper(std::string_view text) {
  std::u32string code_points = Utf8ToCodePoints(text);
  for (char32_t& c : code_points) c = UpperCaseChar(c);
  return CodePointsToUtf8(code_points);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  const std::u32string left = Utf8ToCodePoints(a);
  const std::u32string right = Utf8ToCodePoints(b);
  if (left.size() != right.size()) return false;
  for (std::size_t i = 0; i < left.size(); ++i) {
    if (left[i] != right[i] && UpperCaseChar(left[i]) != UpperCaseChar(right[i])) return false;
  }
  return true;
}

std::string Trim(std::string_view text) {
  // Bytes of 32 or below are never part of a longer UTF-8 sequence.
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= 32) ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
  return std::string(text.substr(begin, end - begin));
}

std::string ReplaceAllNoCase(std::string_view text, std::string_view pattern,
                             std::string_view replacement) {
  if (pattern.empty()) return std::string(text);
  // The search runs on upper-cased characters, one per original character,
  // so a match found there maps back to exact byte ranges of `text` even
  // when upper-casing changes a character's byte length.
  const std::vector<UpperChar> haystack = UpperChars(text);
  std::u32string needle;
  for (const UpperChar& c : UpperChars(pattern)) needle += c.upper;

  std::string result;
  result.reserve(text.size());
  std::size_t copied = 0;  // bytes of `text` already handled
  std::size_t i = 0;
  while (i + needle.size() <= haystack.size()) {
    std::size_t k = 0;
    while (k < needle.size() && haystack[i + k].upper == needle[k]) ++k;
    if (k < needle.size()) {
      ++i;
      continue;
    }
    const UpperChar& first = haystack[i];
    const UpperChar& last = haystack[i + needle.size() - 1];
    result.append(text.substr(copied, first.offset - copied));
    result.append(replacement);
    copied = last.offset + last.length;
    i += needle.size();
  }
  result.append(text.substr(copied));
  return result;
}

}  // namespace cratemark
