// The program picture: a plate with the program's name.
#include "ui/terminal/terminal_picture.h"

namespace cratemark::ui::terminal {

void TerminalPicture::Paint(Canvas& canvas, bool focused) const {
  const unsigned look = kCrate | kBold;
  canvas.Fill(box_, look);
  if (HasBorder()) canvas.Border({box_.row, box_.col + 1, box_.rows, box_.cols - 2}, look);
  const std::string name = "Cratemark";
  const int width = static_cast<int>(name.size());
  const int col = box_.col + std::max(0, (box_.cols - width) / 2);
  const int row = box_.row + box_.rows / 2;
  canvas.Text(row, col, name, box_.right() - col, focused ? look | kUnderline : look);
  if (focused) canvas.PlaceCursor(row, col);
}

bool TerminalPicture::OnKey(const Key& key) {
  if (key.name == KeyName::kEnter && on_double_click_) {
    on_double_click_();
    return true;
  }
  return false;
}

void TerminalPicture::OnMouse(const Mouse& mouse) {
  if (IsFocusable()) TakeFocus();
  if (mouse.kind == MouseKind::kDoubleClick && on_double_click_) on_double_click_();
}

}  // namespace cratemark::ui::terminal
