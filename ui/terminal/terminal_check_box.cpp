#include "ui/terminal/terminal_check_box.h"

#include <vector>

#include "platform/code_page.h"

namespace cratemark::ui::terminal {

void TerminalCheckBox::Paint(Canvas& canvas, bool focused) const {
  const unsigned look = focused ? unsigned{kBold} : 0u;
  canvas.Text(box_.row, box_.col, checked_ ? "[x]" : "[ ]", 3, look);
  if (focused) canvas.PlaceCursor(box_.row, box_.col + 1);
  const int text_cols = box_.cols - 4;
  if (text_cols <= 0) return;
  std::vector<std::u32string> lines = WrapWords(Utf8ToCodePoints(caption_.text), text_cols);
  for (int i = 0; i < static_cast<int>(lines.size()) && i < box_.rows; ++i) {
    canvas.Chars(box_.row + i, box_.col + 4, lines[static_cast<size_t>(i)], text_cols, look);
  }
}

void TerminalCheckBox::Press() {
  checked_ = !checked_;
  if (on_click_) on_click_();
}

}  // namespace cratemark::ui::terminal
