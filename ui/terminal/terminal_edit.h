// A one-line edit field over the editing model, its face between brackets.
#pragma once

#include "ui/terminal/widget.h"
#include "ui/text_field.h"

namespace cratemark::ui::terminal {

class TerminalEdit : public Edit, public Widget {
 public:
  TerminalEdit(TerminalWindow& root, const Surface& surface, Rect pixels)
      : Widget(root, surface, pixels), field_(false) {}
  CRATEMARK_TERMINAL_CONTROL_BASICS
  void SetText(std::string_view text) override { field_.SetText(text); }
  std::string Text() const override { return field_.Text(); }
  bool IsFocusable() const override { return true; }
  void Paint(Canvas& canvas, bool focused) const override;
  bool OnKey(const Key& key) override;
  void OnMouse(const Mouse& mouse) override;

 private:
  // Where the text goes: inside the brackets when there is room for them.
  CellBox TextArea() const;
  ui::TextField field_;
};

}  // namespace cratemark::ui::terminal
