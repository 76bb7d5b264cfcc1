// The read-only log view: long lines wrap, as in the window's log view; the
// scroll position is the first line in view and stays while the text is not
// set anew.
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
  int RowsOf(int line, int width) const;
  void AddLines(std::string_view text);
  void ScrollToEnd();
  int LastLine() const { return std::max(0, static_cast<int>(lines_.size()) - 1); }
  std::string text_;  // as set, so that comparing it with a file costs no conversion
  std::vector<std::u32string> lines_;  // the text split at its line breaks, for painting
  int top_line_ = 0;
};

}  // namespace cratemark::ui::terminal
