// A push button with an access key; the default one answers Enter.
#pragma once

#include "ui/terminal/widget.h"

namespace cratemark::ui::terminal {

class TerminalButton : public Button, public Widget {
 public:
  TerminalButton(TerminalWindow& root, const Surface& surface, Rect pixels,
                 std::string_view caption, bool is_default)
      : Widget(root, surface, pixels), caption_(ParseCaption(caption)), is_default_(is_default) {}
  CRATEMARK_TERMINAL_CONTROL_BASICS
  void OnClick(Handler handler) override { on_click_ = std::move(handler); }
  bool IsFocusable() const override { return true; }
  bool IsDefaultButton() const override { return is_default_; }
  void Paint(Canvas& canvas, bool focused) const override;
  bool OnKey(const Key& key) override { return PressOnKey(key); }
  void OnMouse(const Mouse& mouse) override { PressOnClick(mouse); }
  char32_t AccessKey() const override { return caption_.key; }
  void Press() override;

 private:
  Caption caption_;
  bool is_default_;
  Handler on_click_;
};

}  // namespace cratemark::ui::terminal
