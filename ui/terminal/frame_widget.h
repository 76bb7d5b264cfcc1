// A frame or panel: a border (a panel's face too) under its own controls.
#pragma once

#include "ui/terminal/widget.h"

namespace cratemark::ui::terminal {

class FrameWidget : public Widget {
 public:
  FrameWidget(TerminalWindow& root, const Surface& surface, Rect pixels, std::string_view caption,
              bool is_panel, int inner)
      : Widget(root, surface, pixels), caption_(caption), is_panel_(is_panel), inner_(inner) {}
  void Paint(Canvas& canvas, bool focused) const override;
  bool TakesClicks() const override { return false; }
  int InnerContainer() const override { return inner_; }
  void SetBorderShown(bool shown) override { is_border_shown_ = shown; }

 private:
  std::string caption_;
  bool is_panel_;
  int inner_;
  bool is_border_shown_ = true;
};

}  // namespace cratemark::ui::terminal
