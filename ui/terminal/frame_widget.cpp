// Paints a frame or panel.
#include "ui/terminal/frame_widget.h"

namespace cratemark::ui::terminal {

void FrameWidget::Paint(Canvas& canvas, bool) const {
  if (is_panel_) canvas.Fill(box_, kPanel);
  if (is_border_shown_ && box_.rows >= 2 && box_.cols >= 2) {
    canvas.Border(box_, is_panel_ ? kPanel : kDim);
  }
  if (!caption_.empty()) canvas.Text(box_.row, box_.col + 1, caption_, box_.cols - 2, kPlain);
}

}  // namespace cratemark::ui::terminal
