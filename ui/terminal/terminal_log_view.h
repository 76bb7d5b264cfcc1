// The read-only log view: long lines wrap, as in the window's log view; the
// scroll position is the first line in view. It shows the end and follows it
// until the user scrolls up, and follows again once the user is back at the
// end. Lines are kept as places in the text and drawn only when in view, so
// a large log costs one pass over its bytes.
#pragma once

#include <vector>

#include "ui/terminal/widget.h"

namespace cratemark::ui::terminal {

class TerminalLogView : public LogView, public Widget {
 public:
  using Widget::Widget;
  CRATEMARK_TERMINAL_CONTROL_BASICS
  void SetText(std::string_view text) override;
  std::string Text() const override { return text_; }
  void AppendLine(std::string_view line) override;
  void AppendText(std::string_view text) override;
  bool IsFocusable() const override { return true; }
  void Paint(Canvas& canvas, bool focused) const override;
  // The scroll position kept on a line of the text.
  void AfterLayout() override;
  bool OnKey(const Key& key) override;
  void OnMouse(const Mouse& mouse) override;

 private:
  struct Line {
    std::size_t start = 0;
    std::size_t length = 0;
  };
  std::u32string CharsOf(int line) const;
  int RowsOf(int line, int width) const;
  void AddLines(std::size_t from);
  // The first line in view when the view shows the end.
  int EndTop() const;
  // After the user scrolled: following again when that reached the end.
  void UserScrolledTo(int line);
  int LastLine() const { return std::max(0, static_cast<int>(lines_.size()) - 1); }
  std::string text_;         // as set, so that comparing it with a file costs no conversion
  std::vector<Line> lines_;  // the text split at its line breaks
  int top_line_ = 0;
  bool is_following_ = true;
};

}  // namespace cratemark::ui::terminal
