// The text, caret and selection of an edit field or the design editor, and
// the part of it in view. Positions count characters, not bytes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ui/controls.h"

namespace cratemark::ui {

class TextField {
 public:
  // A one-line field keeps line breaks out of its text.
  explicit TextField(bool multi_line) : multi_line_(multi_line), lines_(1) {}

  // Lines separated by CR LF (a lone CR or LF also breaks a line); the caret
  // goes to the start and the view to the top.
  void SetText(std::string_view text);
  std::string Text() const;
  int LineCount() const { return static_cast<int>(lines_.size()); }
  std::string Line(int index) const;
  // Replaces one line; the caret ends up at its end, nothing selected.
  void ReplaceLine(int index, std::string_view text);

  TextPosition Caret() const { return caret_; }
  TextPosition SelectionStart() const;
  bool HasSelection() const;
  // Moves the caret to a position (clamped to the text); `extend` keeps the
  // selection's other end where it is.
  void MoveTo(TextPosition position, bool extend);

  // User edits: typed text replaces a selection.
  void Type(std::u32string_view text);
  void Break();  // Enter
  void Backspace();
  void Delete();

  // Caret moves; `extend` grows the selection.
  void Left(bool extend);
  void Right(bool extend);
  void Up(int lines, bool extend);
  void Down(int lines, bool extend);
  void Home(bool extend);
  void End(bool extend);
  void TextStart(bool extend);
  void TextEnd(bool extend);

  // The part in view: scrolls as little as possible to show the caret in a
  // view of `rows` by `cols`.
  void ScrollToCaret(int rows, int cols);
  void ScrollBy(int lines, int rows);
  int top_line() const { return top_line_; }
  int left_column() const { return left_column_; }
  const std::u32string& chars(int line) const { return lines_[line]; }
  // True when the character at (line, column) lies inside the selection.
  bool IsSelected(int line, int column) const;

 private:
  TextPosition Clamp(TextPosition position) const;
  void DeleteSelection();
  void Place(TextPosition position, bool extend);

  bool multi_line_;
  std::vector<std::u32string> lines_;
  TextPosition anchor_, caret_;
  int wanted_column_ = 0;  // kept across up and down moves through short lines
  int top_line_ = 0, left_column_ = 0;
};

}  // namespace cratemark::ui
