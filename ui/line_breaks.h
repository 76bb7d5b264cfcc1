// The one rule for where the toolkits break a text into lines: at CR LF, a
// lone CR or a lone LF.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cratemark::ui {

enum class FinalBreak {
  kEndsLine,         // "a\r\n" is one line, "" none: a log of whole lines
  kStartsEmptyLine,  // "a\r\n" is "a" and an empty line, "" one: an editor's text
};

// The lines of `text` (UTF-8: CR and LF never occur inside a character),
// viewing `text`.
inline std::vector<std::string_view> SplitAtLineBreaks(std::string_view text,
                                                       FinalBreak final_break) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size() || final_break == FinalBreak::kStartsEmptyLine) {
    lines.push_back(text.substr(start));
  }
  return lines;
}

// Every line break of `text` as CR LF; a final break stays.
inline std::string WithCrLfBreaks(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  bool first = true;
  for (std::string_view line : SplitAtLineBreaks(text, FinalBreak::kStartsEmptyLine)) {
    if (!first) result += "\r\n";
    result += line;
    first = false;
  }
  return result;
}

}  // namespace cratemark::ui
