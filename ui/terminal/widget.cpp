// What every terminal control shares: visibility on its page, focus, border.
#include "ui/terminal/widget.h"

#include "ui/terminal/tab_widget.h"
#include "ui/terminal/terminal_window.h"

namespace cratemark::ui::terminal {

bool Widget::IsShown() const {
  if (!visible_) return false;
  if (tab_ == nullptr) return true;
  return tab_->IsShown() && tab_->ActivePage() == page_index_;
}

void Widget::TakeFocus() { root_.Focus(this); }

bool Widget::PressOnKey(const Key& key) {
  if (key.name == KeyName::kEnter || (key.name == KeyName::kChar && key.ch == U' ' && !key.alt)) {
    Press();
    return true;
  }
  return false;
}

void Widget::PressOnClick(const Mouse& mouse) {
  if (mouse.kind == MouseKind::kClick || mouse.kind == MouseKind::kDoubleClick) {
    TakeFocus();
    Press();
  }
}

CellBox Widget::Inner() const {
  if (!HasBorder()) return box_;
  return {box_.row + 1, box_.col + 1, box_.rows - 2, box_.cols - 2};
}

void Widget::PaintBorder(Canvas& canvas, bool focused) const {
  if (HasBorder()) canvas.Border(box_, focused ? kBold : kDim);
}

std::string PositionText(int first, char separator, int second) {
  // Built by appending: GCC 12 warns falsely about " " + std::to_string(...) at -O3.
  std::string text(1, ' ');
  text += std::to_string(first);
  text += separator;
  text += std::to_string(second);
  text += ' ';
  return text;
}

}  // namespace cratemark::ui::terminal
