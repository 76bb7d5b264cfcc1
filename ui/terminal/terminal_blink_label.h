// The status message's state; the window paints it into its status line.
#pragma once

#include <string>

#include "ui/controls.h"

namespace cratemark::ui::terminal {

class TerminalBlinkLabel : public BlinkLabel {
 public:
  void SetHint(std::string_view) override {}
  void SetVisible(bool visible) override { visible_ = visible; }
  bool IsVisible() const override { return visible_; }
  void SetFocus() override {}
  void SetText(std::string_view text) override { text_ = text; }
  std::string Text() const override { return text_; }
  void SetBlinking(bool blinking) override { blinking_ = blinking; }
  bool IsBlinking() const override { return blinking_; }

 private:
  std::string text_;
  bool visible_ = true;
  bool blinking_ = false;
};

}  // namespace cratemark::ui::terminal
