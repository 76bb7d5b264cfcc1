// The editing model: text, caret, selection and scrolling of an edit field.
#include "ui/text_field.h"

#include <algorithm>

#include "platform/code_page.h"
#include "ui/line_breaks.h"

namespace cratemark::ui {

namespace {

bool Before(TextPosition a, TextPosition b) {
  return a.line < b.line || (a.line == b.line && a.column < b.column);
}

std::vector<std::u32string> SplitLines(std::string_view text) {
  std::vector<std::u32string> lines;
  for (std::string_view line : SplitAtLineBreaks(text, FinalBreak::kStartsEmptyLine)) {
    lines.push_back(Utf8ToCodePoints(line));
  }
  return lines;
}

}  // namespace

void TextField::SetText(std::string_view text) {
  lines_ = SplitLines(text);
  if (!multi_line_ && lines_.size() > 1) {
    std::u32string joined;
    for (const std::u32string& line : lines_) joined += line;
    lines_ = {joined};
  }
  anchor_ = caret_ = {};
  wanted_column_ = top_line_ = left_column_ = 0;
}

std::string TextField::Text() const {
  std::u32string text;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (i > 0) text += U"\r\n";
    text += lines_[i];
  }
  return CodePointsToUtf8(text);
}

std::string TextField::Line(int index) const {
  if (index < 0 || index >= LineCount()) return {};
  return CodePointsToUtf8(lines_[index]);
}

void TextField::ReplaceLine(int index, std::string_view text) {
  if (index < 0 || index >= LineCount()) return;
  std::vector<std::u32string> parts = SplitLines(text);
  lines_.erase(lines_.begin() + index);
  lines_.insert(lines_.begin() + index, parts.begin(), parts.end());
  const int last = index + static_cast<int>(parts.size()) - 1;
  Place({last, static_cast<int>(lines_[last].size())}, false);
}

TextPosition TextField::SelectionStart() const {
  return Before(anchor_, caret_) ? anchor_ : caret_;
}

bool TextField::HasSelection() const {
  return anchor_.line != caret_.line || anchor_.column != caret_.column;
}

bool TextField::IsSelected(int line, int column) const {
  if (!HasSelection()) return false;
  const TextPosition start = SelectionStart();
  const TextPosition end = Before(anchor_, caret_) ? caret_ : anchor_;
  const TextPosition at{line, column};
  return !Before(at, start) && Before(at, end);
}

TextPosition TextField::Clamp(TextPosition position) const {
  position.line = std::clamp(position.line, 0, LineCount() - 1);
  position.column = std::clamp(position.column, 0, static_cast<int>(lines_[position.line].size()));
  return position;
}

void TextField::Place(TextPosition position, bool extend) {
  caret_ = Clamp(position);
  if (!extend) anchor_ = caret_;
  wanted_column_ = caret_.column;
}

void TextField::MoveTo(TextPosition position, bool extend) { Place(position, extend); }

void TextField::DeleteSelection() {
  if (!HasSelection()) return;
  const TextPosition start = SelectionStart();
  const TextPosition end = Before(anchor_, caret_) ? caret_ : anchor_;
  std::u32string joined = lines_[start.line].substr(0, start.column) +
                          lines_[end.line].substr(static_cast<size_t>(end.column));
  lines_.erase(lines_.begin() + start.line + 1, lines_.begin() + end.line + 1);
  lines_[start.line] = joined;
  Place(start, false);
}

void TextField::Type(std::u32string_view text) {
  DeleteSelection();
  for (size_t i = 0; i < text.size(); ++i) {
    const char32_t c = text[i];
    if (c == U'\r' || c == U'\n') {
      // CR LF, as pasted text has it, is one break.
      if (c == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n') ++i;
      Break();
      continue;
    }
    lines_[caret_.line].insert(static_cast<size_t>(caret_.column), 1, c);
    Place({caret_.line, caret_.column + 1}, false);
  }
}

void TextField::Break() {
  if (!multi_line_) return;
  DeleteSelection();
  std::u32string& line = lines_[caret_.line];
  std::u32string tail = line.substr(static_cast<size_t>(caret_.column));
  line.erase(static_cast<size_t>(caret_.column));
  lines_.insert(lines_.begin() + caret_.line + 1, tail);
  Place({caret_.line + 1, 0}, false);
}

void TextField::Backspace() {
  if (HasSelection()) return DeleteSelection();
  if (caret_.column > 0) {
    lines_[caret_.line].erase(static_cast<size_t>(caret_.column - 1), 1);
    Place({caret_.line, caret_.column - 1}, false);
  } else if (caret_.line > 0) {
    const int column = static_cast<int>(lines_[caret_.line - 1].size());
    lines_[caret_.line - 1] += lines_[caret_.line];
    lines_.erase(lines_.begin() + caret_.line);
    Place({caret_.line - 1, column}, false);
  }
}

void TextField::Delete() {
  if (HasSelection()) return DeleteSelection();
  std::u32string& line = lines_[caret_.line];
  if (caret_.column < static_cast<int>(line.size())) {
    line.erase(static_cast<size_t>(caret_.column), 1);
  } else if (caret_.line + 1 < LineCount()) {
    line += lines_[caret_.line + 1];
    lines_.erase(lines_.begin() + caret_.line + 1);
  }
}

void TextField::Left(bool extend) {
  if (!extend && HasSelection()) return Place(SelectionStart(), false);
  if (caret_.column > 0) return Place({caret_.line, caret_.column - 1}, extend);
  if (caret_.line > 0)
    Place({caret_.line - 1, static_cast<int>(lines_[caret_.line - 1].size())}, extend);
}

void TextField::Right(bool extend) {
  if (!extend && HasSelection()) {
    return Place(Before(anchor_, caret_) ? caret_ : anchor_, false);
  }
  if (caret_.column < static_cast<int>(lines_[caret_.line].size())) {
    return Place({caret_.line, caret_.column + 1}, extend);
  }
  if (caret_.line + 1 < LineCount()) Place({caret_.line + 1, 0}, extend);
}

void TextField::Up(int lines, bool extend) {
  const int wanted = wanted_column_;
  Place({caret_.line - lines, wanted}, extend);
  wanted_column_ = wanted;
}

void TextField::Down(int lines, bool extend) {
  const int wanted = wanted_column_;
  Place({caret_.line + lines, wanted}, extend);
  wanted_column_ = wanted;
}

void TextField::Home(bool extend) { Place({caret_.line, 0}, extend); }

void TextField::End(bool extend) {
  Place({caret_.line, static_cast<int>(lines_[caret_.line].size())}, extend);
}

void TextField::TextStart(bool extend) { Place({0, 0}, extend); }

void TextField::TextEnd(bool extend) {
  Place({LineCount() - 1, static_cast<int>(lines_.back().size())}, extend);
}

void TextField::ScrollToCaret(int rows, int cols) {
  rows = std::max(rows, 1);
  cols = std::max(cols, 1);
  if (caret_.line < top_line_) top_line_ = caret_.line;
  if (caret_.line >= top_line_ + rows) top_line_ = caret_.line - rows + 1;
  // One cell beyond the last character holds the caret at a line's end.
  if (caret_.column < left_column_) left_column_ = std::max(0, caret_.column - cols / 4);
  if (caret_.column >= left_column_ + cols) left_column_ = caret_.column - cols + 1 + cols / 4;
  top_line_ = std::clamp(top_line_, 0, std::max(0, LineCount() - 1));
}

void TextField::ScrollBy(int lines, int rows) {
  top_line_ = std::clamp(top_line_ + lines, 0, std::max(0, LineCount() - std::max(rows, 1)));
}

}  // namespace cratemark::ui
