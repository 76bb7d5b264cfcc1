// A frame or panel: a border (a panel's face too) under its own controls.
// A frame of texts that the mapping from pixels would cut stacks them, each
// wrapped to its width, and scrolls when they are more than its rows.
#pragma once

#include "ui/terminal/widget.h"

namespace cratemark::ui::terminal {

class FrameWidget : public Widget {
 public:
  FrameWidget(TerminalWindow& root, const Surface& surface, Rect pixels, std::string_view caption,
              bool is_panel, int inner)
      : Widget(root, surface, pixels), caption_(caption), is_panel_(is_panel), inner_(inner) {}
  void Paint(Canvas& canvas, bool focused) const override;
  int InnerContainer() const override { return inner_; }
  void SetBorderShown(bool shown) override { is_border_shown_ = shown; }
  void ArrangeInside(const std::vector<Widget*>& inside) override;
  // Only a frame that scrolls takes the keyboard and the wheel.
  bool IsFocusable() const override { return IsScrolling(); }
  bool TakesClicks() const override { return IsScrolling(); }
  std::string HintLine() const override;
  bool OnKey(const Key& key) override;
  void OnMouse(const Mouse& mouse) override;

 private:
  bool IsScrolling() const { return content_rows_ > view_rows_; }
  void ScrollTo(int row) { scroll_ = std::clamp(row, 0, std::max(0, content_rows_ - view_rows_)); }

  std::string caption_;
  bool is_panel_;
  int inner_;
  bool is_border_shown_ = true;
  // Set while its texts are stacked: their rows, the rows in view, and the
  // first row in view.
  int content_rows_ = 0;
  int view_rows_ = 0;
  int scroll_ = 0;
};

}  // namespace cratemark::ui::terminal
