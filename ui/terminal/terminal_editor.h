// The multi-line design editor over the editing model.
#pragma once

#include "ui/terminal/widget.h"
#include "ui/text_field.h"

namespace cratemark::ui::terminal {

class TerminalEditor : public Editor, public Widget {
 public:
  TerminalEditor(TerminalWindow& root, const Surface& surface, Rect pixels)
      : Widget(root, surface, pixels), field_(true) {}
  CRATEMARK_TERMINAL_CONTROL_BASICS
  void SetText(std::string_view text) override {
    field_.SetText(text);
    Changed();
  }
  std::string Text() const override { return field_.Text(); }
  int LineCount() const override { return field_.LineCount(); }
  std::string Line(int index) const override { return field_.Line(index); }
  TextPosition SelectionStart() const override { return field_.SelectionStart(); }
  void ReplaceLine(int index, std::string_view text) override;
  void OnChange(Handler handler) override { on_change_ = std::move(handler); }
  bool IsFocusable() const override { return true; }
  void Paint(Canvas& canvas, bool focused) const override;
  bool OnKey(const Key& key) override;
  void OnMouse(const Mouse& mouse) override;

 private:
  void Changed() {
    if (on_change_) on_change_();
  }
  ui::TextField field_;
  Handler on_change_;
};

}  // namespace cratemark::ui::terminal
