// The program picture. It takes the focus when it does something, so that
// Enter can stand in for the double click.
#pragma once

#include "ui/terminal/widget.h"

namespace cratemark::ui::terminal {

class TerminalPicture : public Picture, public Widget {
 public:
  using Widget::Widget;
  CRATEMARK_TERMINAL_CONTROL_BASICS
  void OnDoubleClick(Handler handler) override { on_double_click_ = std::move(handler); }
  bool IsFocusable() const override { return static_cast<bool>(on_double_click_); }
  void Paint(Canvas& canvas, bool focused) const override;
  bool OnKey(const Key& key) override;
  void OnMouse(const Mouse& mouse) override;

 private:
  Handler on_double_click_;
};

}  // namespace cratemark::ui::terminal
