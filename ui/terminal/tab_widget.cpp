// The tab control: its pages, the tab line, and switching by keys and clicks.
#include "ui/terminal/tab_widget.h"

#include "ui/terminal/terminal_container.h"
#include "ui/terminal/terminal_window.h"

namespace cratemark::ui::terminal {

namespace {

// A tab control's page lies inside its border and below its tabs.
constexpr int kPageInsetWidth = 8;
constexpr int kPageInsetHeight = 28;

}  // namespace

Container& TabWidget::AddPage(std::string_view caption) {
  captions_.emplace_back(caption);
  surfaces_.push_back(std::make_unique<Surface>());
  return root_.KeepContainer(std::make_unique<TerminalContainer>(
      root_, *surfaces_.back(), 0, 0, this, static_cast<int>(captions_.size()) - 1,
      root_.NewContainerId()));
}

std::string TabWidget::PageCaption(int index) const {
  if (index < 0 || index >= PageCount()) return {};
  return captions_[index];
}

void TabWidget::SetActivePage(int index) {
  if (index >= 0 && index < PageCount()) active_ = index;
}

void TabWidget::SwitchByUser(int index) {
  if (index < 0 || index >= PageCount() || index == active_) return;
  active_ = index;
  if (on_change_) on_change_();
}

void TabWidget::Layout() {
  Widget::Layout();
  for (std::unique_ptr<Surface>& surface : surfaces_) {
    surface->cells = {box_.row + 1, box_.col, std::max(box_.rows - 1, 1), box_.cols};
    surface->pixel_width = std::max(pixels_.width - kPageInsetWidth, 1);
    surface->pixel_height = std::max(pixels_.height - kPageInsetHeight, 1);
  }
}

std::vector<std::pair<int, int>> TabWidget::CaptionSpans() const {
  std::vector<std::pair<int, int>> spans;
  int col = box_.col;
  for (int i = 0; i < PageCount(); ++i) {
    const int width = CharCount(captions_[i]) + 2;  // a blank on each side
    spans.emplace_back(col, col + width);
    col += width + 1;  // and the bar between two captions
  }
  return spans;
}

void TabWidget::Paint(Canvas& canvas, bool focused) const {
  const std::vector<std::pair<int, int>> spans = CaptionSpans();
  for (int i = 0; i < PageCount(); ++i) {
    const int col = spans[i].first;
    unsigned look = i == active_ ? kReverse | kBold : unsigned{kPlain};
    if (focused && i == active_) look |= kUnderline;
    canvas.Text(box_.row, col, " " + captions_[i] + " ", box_.right() - col, look);
    if (focused && i == active_) canvas.PlaceCursor(box_.row, col + 1);
    if (i + 1 < PageCount()) canvas.Text(box_.row, spans[i].second, "|", 1, kDim);
  }
}

bool TabWidget::OnKey(const Key& key) {
  if (key.name == KeyName::kLeft) {
    SwitchByUser(active_ - 1);
    return true;
  }
  if (key.name == KeyName::kRight) {
    SwitchByUser(active_ + 1);
    return true;
  }
  return false;
}

void TabWidget::OnMouse(const Mouse& mouse) {
  if (mouse.row != box_.row) return;
  const std::vector<std::pair<int, int>> spans = CaptionSpans();
  for (int i = 0; i < static_cast<int>(spans.size()); ++i) {
    if (mouse.col >= spans[i].first && mouse.col < spans[i].second) {
      TakeFocus();
      SwitchByUser(i);
      return;
    }
  }
}

}  // namespace cratemark::ui::terminal
