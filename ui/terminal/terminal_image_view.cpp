#include "ui/terminal/terminal_image_view.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace cratemark::ui::terminal {

void TerminalImageView::SetImage(MonoImage image) {
  width_ = image.width;
  height_ = image.height;
  if (width_ <= 0 || height_ <= 0 ||
      image.dots.size() != static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_)) {
    width_ = height_ = 0;
    sums_.clear();
    return;
  }
  const std::size_t stride = static_cast<std::size_t>(width_) + 1;
  sums_.assign(stride * (static_cast<std::size_t>(height_) + 1), 0);
  for (int y = 0; y < height_; ++y) {
    std::int32_t row = 0;
    for (int x = 0; x < width_; ++x) {
      row += image.dots[static_cast<std::size_t>(y) * width_ + x] ? 1 : 0;
      sums_[(y + 1) * stride + x + 1] = sums_[y * stride + x + 1] + row;
    }
  }
}

std::int64_t TerminalImageView::BlackIn(int x0, int y0, int x1, int y1) const {
  x0 = std::clamp(x0, 0, width_), x1 = std::clamp(x1, 0, width_);
  y0 = std::clamp(y0, 0, height_), y1 = std::clamp(y1, 0, height_);
  if (x1 <= x0 || y1 <= y0) return 0;
  const std::size_t stride = static_cast<std::size_t>(width_) + 1;
  return std::int64_t{sums_[y1 * stride + x1]} - sums_[y0 * stride + x1] - sums_[y1 * stride + x0] +
         sums_[y0 * stride + x0];
}

void TerminalImageView::Paint(Canvas& canvas, bool) const {
  // In reverse video the cells are the label's paper on the usual dark
  // terminal, and the blocks its ink.
  canvas.Fill(box_, kReverse);
  if (width_ == 0 || box_.IsEmpty()) return;
  // Each cell is as wide as half its height: two square dots a cell.
  const double scale = std::max(static_cast<double>(width_) / box_.cols,
                                static_cast<double>(height_) / (2.0 * box_.rows));
  const int cols = std::min(box_.cols, static_cast<int>(std::ceil(width_ / scale)));
  const int rows = std::min(box_.rows, static_cast<int>(std::ceil(height_ / (2 * scale))));
  const int left = box_.col + (box_.cols - cols) / 2;
  const int top = box_.row + (box_.rows - rows) / 2;
  auto edge = [scale](int i) { return static_cast<int>(std::lround(i * scale)); };
  // A half cell is black when a fifth of it is: thin rules and bars stay.
  auto dark = [&](int col, int half) {
    const int x0 = edge(col), x1 = std::max(edge(col + 1), x0 + 1);
    const int y0 = edge(half), y1 = std::max(edge(half + 1), y0 + 1);
    const std::int64_t area = std::int64_t{x1 - x0} * (y1 - y0);
    return BlackIn(x0, y0, x1, y1) * 5 >= area;
  };
  const bool unicode = canvas.ShowsUnicode();
  static const char kShades[] = " .:-=+*#%@";
  for (int r = 0; r < rows; ++r) {
    std::u32string line;
    for (int c = 0; c < cols; ++c) {
      if (unicode) {
        const bool upper = dark(c, 2 * r), lower = dark(c, 2 * r + 1);
        line += upper && lower ? U'\u2588' : upper ? U'\u2580' : lower ? U'\u2584' : U' ';
      } else {
        const int x0 = edge(c), x1 = std::max(edge(c + 1), x0 + 1);
        const int y0 = edge(2 * r), y1 = std::max(edge(2 * r + 2), y0 + 1);
        const std::int64_t area = std::int64_t{x1 - x0} * (y1 - y0);
        // The square root darkens thin rules, which cover little of a cell.
        const double coverage =
            static_cast<double>(BlackIn(x0, y0, x1, y1)) / std::max<std::int64_t>(area, 1);
        const int shade = static_cast<int>(std::lround(std::sqrt(coverage) * 9));
        line += static_cast<char32_t>(kShades[std::clamp(shade, 0, 9)]);
      }
    }
    canvas.Chars(top + r, left, line, cols, kReverse);
  }
}

}  // namespace cratemark::ui::terminal
