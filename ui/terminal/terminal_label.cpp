// Paints a label from its text and style.
#include "ui/terminal/terminal_label.h"

#include <vector>

#include "platform/code_page.h"

namespace cratemark::ui::terminal {

void TerminalLabel::Paint(Canvas& canvas, bool) const {
  const unsigned look = style_.bold ? kBold : kPlain;
  if (!style_.word_wrap && !style_.centered) {
    canvas.Text(box_.row, box_.col, text_, std::max(box_.cols, run_on_cols_), look);
    return;
  }
  std::vector<std::u32string> lines;
  if (style_.word_wrap) {
    lines = WrapWords(Utf8ToCodePoints(text_), box_.cols);
  } else {
    lines.push_back(Utf8ToCodePoints(text_));
  }
  for (int i = 0; i < static_cast<int>(lines.size()) && i < box_.rows; ++i) {
    int col = box_.col;
    const int length = static_cast<int>(lines[i].size());
    if (style_.centered && length < box_.cols) col += (box_.cols - length) / 2;
    canvas.Chars(box_.row + i, col, lines[i], box_.right() - col, look);
  }
}

}  // namespace cratemark::ui::terminal
