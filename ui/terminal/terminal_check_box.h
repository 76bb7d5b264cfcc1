// A check box: "[x]" and its caption, wrapped onto its rows; Space, Enter
// and clicks tick or clear it.
#pragma once

#include "ui/terminal/widget.h"

namespace cratemark::ui::terminal {

class TerminalCheckBox : public CheckBox, public Widget {
 public:
  TerminalCheckBox(TerminalWindow& root, const Surface& surface, Rect pixels,
                   std::string_view caption)
      : Widget(root, surface, pixels), caption_(ParseCaption(caption)) {}
  CRATEMARK_TERMINAL_CONTROL_BASICS
  void SetChecked(bool checked) override { checked_ = checked; }
  bool IsChecked() const override { return checked_; }
  void OnClick(Handler handler) override { on_click_ = std::move(handler); }
  bool IsFocusable() const override { return true; }
  void Paint(Canvas& canvas, bool focused) const override;
  bool OnKey(const Key& key) override { return PressOnKey(key); }
  void OnMouse(const Mouse& mouse) override { PressOnClick(mouse); }
  char32_t AccessKey() const override { return caption_.key; }
  void Press() override;

 private:
  Caption caption_;
  bool checked_ = false;
  Handler on_click_;
};

}  // namespace cratemark::ui::terminal
