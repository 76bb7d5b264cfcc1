// The button: its caption wrapped onto its rows, Enter, Space and clicks.
#include "ui/terminal/terminal_button.h"

#include <vector>

#include "platform/code_page.h"

namespace cratemark::ui::terminal {

void TerminalButton::Paint(Canvas& canvas, bool focused) const {
  unsigned look = kReverse;
  if (focused || is_default_) look |= kBold;
  canvas.Fill(box_, look);
  const std::u32string text = Utf8ToCodePoints(caption_.text);
  // A margin on each side when the caption fits with it, else the full
  // width: no word is cut while it can be kept whole.
  int longest_word = 0;
  for (size_t at = 0; at < text.size();) {
    const size_t end = std::min(text.find(U' ', at), text.size());
    longest_word = std::max(longest_word, static_cast<int>(end - at));
    at = end + 1;
  }
  const bool has_margin = box_.cols >= 4 && longest_word <= box_.cols - 2;
  std::vector<std::u32string> lines = WrapWords(text, has_margin ? box_.cols - 2 : box_.cols);
  if (static_cast<int>(lines.size()) > box_.rows) lines = WrapWords(text, box_.cols);
  if (static_cast<int>(lines.size()) > box_.rows) lines.resize(static_cast<size_t>(box_.rows));
  const int first_row = box_.row + (box_.rows - static_cast<int>(lines.size())) / 2;
  size_t searched = 0;
  for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
    const std::u32string& line = lines[i];
    const int length = static_cast<int>(line.size());
    const int col = box_.col + std::max(0, (box_.cols - length) / 2);
    const int row = first_row + i;
    canvas.Chars(row, col, line, box_.right() - col, look);
    // The access key is underlined where it landed after wrapping.
    const size_t start = text.find(line, searched);
    if (start != std::u32string::npos) {
      searched = start + line.size();
      const int key_at = caption_.key_index - static_cast<int>(start);
      if (caption_.key_index >= 0 && key_at >= 0 && key_at < length) {
        canvas.Chars(row, col + key_at, std::u32string_view(&line[key_at], 1), 1,
                     look | kUnderline);
      }
    }
    if (focused && i == 0) canvas.PlaceCursor(row, col);
  }
  if (focused && box_.cols >= 4) {
    // Brackets mark the focused button where a window draws a dotted frame.
    const int row = box_.row + box_.rows / 2 - (box_.rows % 2 == 0 ? 1 : 0);
    canvas.Text(row, box_.col, ">", 1, look);
    canvas.Text(row, box_.right() - 1, "<", 1, look);
  }
}

void TerminalButton::Press() {
  if (on_click_) on_click_();
}

}  // namespace cratemark::ui::terminal
