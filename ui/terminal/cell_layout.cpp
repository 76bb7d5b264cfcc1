// Mapping pixels to cells, captions with access keys, and word wrapping.
#include "ui/terminal/cell_layout.h"

#include <algorithm>
#include <cmath>

#include "platform/code_page.h"
#include "platform/text.h"

namespace cratemark::ui::terminal {

CellBox Surface::Map(const Rect& pixels) const {
  const double col_scale = static_cast<double>(cells.cols) / std::max(pixel_width, 1);
  const double row_scale = static_cast<double>(cells.rows) / std::max(pixel_height, 1);
  auto round = [](double value) { return static_cast<int>(std::lround(value)); };
  const int left = round(pixels.left * col_scale);
  const int right = round((pixels.left + pixels.width) * col_scale);
  const int top = round(pixels.top * row_scale);
  const int bottom = round((pixels.top + pixels.height) * row_scale);
  CellBox box{cells.row + top, cells.col + left, std::max(bottom - top, 1),
              std::max(right - left, 1)};
  // Nothing hangs over the surface's edges.
  box.row = std::min(box.row, cells.bottom() - 1);
  box.col = std::min(box.col, cells.right() - 1);
  box.rows = std::max(1, std::min(box.rows, cells.bottom() - box.row));
  box.cols = std::max(1, std::min(box.cols, cells.right() - box.col));
  return box;
}

Caption ParseCaption(std::string_view caption) {
  Caption result;
  const std::u32string chars = Utf8ToCodePoints(caption);
  std::u32string shown;
  for (size_t i = 0; i < chars.size(); ++i) {
    if (chars[i] == U'&' && i + 1 < chars.size()) {
      ++i;
      if (chars[i] != U'&' && result.key == 0) {
        result.key_index = static_cast<int>(shown.size());
        result.key = UpperCaseChar(chars[i]);
      }
    }
    shown += chars[i];
  }
  result.text = CodePointsToUtf8(shown);
  return result;
}

std::vector<std::u32string> WrapWords(std::u32string_view text, int width) {
  std::vector<std::u32string> lines;
  if (width <= 0) return lines;
  size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && text[at] == U' ') ++at;  // a wrapped line starts with a word
    if (at >= text.size()) break;
    size_t end = std::min(text.size(), at + static_cast<size_t>(width));
    if (end < text.size() && text[end] != U' ') {
      const size_t blank = text.rfind(U' ', end);
      if (blank != std::u32string_view::npos && blank > at) end = blank;
    }
    std::u32string line(text.substr(at, end - at));
    while (!line.empty() && line.back() == U' ') line.pop_back();
    lines.push_back(line);
    at = end;
  }
  return lines;
}

int CharCount(std::string_view utf8) { return static_cast<int>(Utf8ToCodePoints(utf8).size()); }

}  // namespace cratemark::ui::terminal
