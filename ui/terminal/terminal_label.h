// A label: one line that may run on to its right, or wrapped or centred
// text; a text too long for its room wraps, so that no word is cut.
#pragma once

#include "ui/terminal/widget.h"

namespace cratemark::ui::terminal {

class TerminalLabel : public Label, public Widget {
 public:
  TerminalLabel(TerminalWindow& root, const Surface& surface, Rect pixels, std::string_view text,
                LabelStyle style)
      : Widget(root, surface, pixels), text_(text), style_(style) {}
  CRATEMARK_TERMINAL_CONTROL_BASICS
  void SetText(std::string_view text) override { text_ = text; }
  std::string Text() const override { return text_; }
  void Paint(Canvas& canvas, bool focused) const override;
  bool TakesClicks() const override { return false; }
  bool MayRunOn() const override { return !style_.word_wrap && !style_.centered; }
  int RowsFor(int cols) const override;

 private:
  std::string text_;
  LabelStyle style_;
};

}  // namespace cratemark::ui::terminal
