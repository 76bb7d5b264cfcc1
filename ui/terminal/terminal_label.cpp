// Paints a label from its text and style.
#include "ui/terminal/terminal_label.h"

#include <vector>

#include "platform/code_page.h"

namespace cratemark::ui::terminal {

namespace {

// The text in lines of at most `width` characters: as it is when it fits,
// else broken at blanks.
std::vector<std::u32string> LinesOf(const std::string& text, int width) {
  const std::u32string chars = Utf8ToCodePoints(text);
  if (static_cast<int>(chars.size()) <= width) return {chars};
  std::vector<std::u32string> lines = WrapWords(chars, width);
  if (lines.empty()) lines.emplace_back();
  return lines;
}

}  // namespace

int TerminalLabel::RowsFor(int cols) const {
  return static_cast<int>(LinesOf(text_, std::max(cols, 1)).size());
}

void TerminalLabel::Paint(Canvas& canvas, bool) const {
  const unsigned look = style_.bold ? kBold : kPlain;
  const int width = MayRunOn() ? std::max(box_.cols, run_on_cols_) : box_.cols;
  const std::vector<std::u32string> lines = LinesOf(text_, width);
  for (int i = 0; i < static_cast<int>(lines.size()) && i < box_.rows; ++i) {
    const int row = box_.row + i;
    if (!IsRowInView(row)) continue;
    int col = box_.col;
    const int length = static_cast<int>(lines[i].size());
    if (style_.centered && length < width) col += (width - length) / 2;
    canvas.Chars(row, col, lines[i], box_.col + width - col, look);
  }
}

}  // namespace cratemark::ui::terminal
