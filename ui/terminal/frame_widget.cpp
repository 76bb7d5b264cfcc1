// The frame: painting, stacking the texts inside it, and scrolling them.
#include "ui/terminal/frame_widget.h"

namespace cratemark::ui::terminal {

void FrameWidget::Paint(Canvas& canvas, bool focused) const {
  if (is_panel_) canvas.Fill(box_, kPanel);
  if (is_border_shown_ && box_.rows >= 2 && box_.cols >= 2) {
    canvas.Border(box_, is_panel_ ? kPanel : focused ? kBold : kDim);
  }
  if (!caption_.empty()) canvas.Text(box_.row, box_.col + 1, caption_, box_.cols - 2, kPlain);
  if (focused) canvas.PlaceCursor(box_.row + 1, box_.col + 1);
  // More text than rows: the border says where the view stands.
  if (IsScrolling() && box_.cols >= 3) {
    if (scroll_ > 0) canvas.Text(box_.row, box_.right() - 2, "^", 1, kBold);
    if (scroll_ + view_rows_ < content_rows_) {
      canvas.Text(box_.bottom() - 1, box_.right() - 2, "v", 1, kBold);
    }
  }
}

void FrameWidget::ArrangeInside(const std::vector<Widget*>& inside) {
  content_rows_ = view_rows_ = 0;
  if (inside.empty() || box_.rows < 3 || box_.cols < 3) return;
  bool is_cut = false;
  for (const Widget* widget : inside) {
    const int width = std::max(widget->box().cols, widget->run_on_cols());
    const int needed = widget->RowsFor(width);
    if (needed == 0) return;  // not only texts: the controls keep their places
    if (needed > widget->box().rows) is_cut = true;
  }
  if (!is_cut) return;
  const CellBox view{box_.row + 1, box_.col + 1, box_.rows - 2, box_.cols - 2};
  for (const Widget* widget : inside) content_rows_ += widget->RowsFor(view.cols);
  view_rows_ = view.rows;
  ScrollTo(scroll_);
  int row = view.row - scroll_;
  for (Widget* widget : inside) {
    const int rows = widget->RowsFor(view.cols);
    widget->PlaceAt({row, view.col, rows, view.cols}, view);
    widget->SetRunOnCols(view.cols);
    row += rows;
  }
}

std::string FrameWidget::HintLine() const {
  return IsScrolling() ? "Up, Down, PgUp, PgDn: more of the text" : hint_;
}

bool FrameWidget::OnKey(const Key& key) {
  const int page = std::max(view_rows_ - 1, 1);
  switch (key.name) {
    case KeyName::kUp:
      ScrollTo(scroll_ - 1);
      return true;
    case KeyName::kDown:
      ScrollTo(scroll_ + 1);
      return true;
    case KeyName::kPageUp:
      ScrollTo(scroll_ - page);
      return true;
    case KeyName::kPageDown:
      ScrollTo(scroll_ + page);
      return true;
    case KeyName::kHome:
      ScrollTo(0);
      return true;
    case KeyName::kEnd:
      ScrollTo(content_rows_);
      return true;
    default:
      return false;
  }
}

void FrameWidget::OnMouse(const Mouse& mouse) {
  TakeFocus();
  if (mouse.kind == MouseKind::kWheelUp) ScrollTo(scroll_ - 3);
  if (mouse.kind == MouseKind::kWheelDown) ScrollTo(scroll_ + 3);
}

}  // namespace cratemark::ui::terminal
