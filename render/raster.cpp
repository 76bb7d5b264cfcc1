#include "render/raster.h"

#include <algorithm>

namespace cratemark::render {

Raster::Raster(int width, int height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      dots_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 0) {}

bool Raster::IsBlack(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
  return dots_[static_cast<std::size_t>(y) * width_ + x] != 0;
}

void Raster::Fill(int x, int y, int w, int h, bool black, bool reverse) {
  // 64-bit ends, so that huge sizes from a label cannot overflow.
  const std::int64_t x0 = std::max<std::int64_t>(x, 0);
  const std::int64_t y0 = std::max<std::int64_t>(y, 0);
  const std::int64_t x1 = std::min<std::int64_t>(std::int64_t{x} + std::max(w, 0), width_);
  const std::int64_t y1 = std::min<std::int64_t>(std::int64_t{y} + std::max(h, 0), height_);
  for (std::int64_t row = y0; row < y1; ++row) {
    std::uint8_t* line = dots_.data() + row * width_;
    for (std::int64_t col = x0; col < x1; ++col) {
      if (reverse) {
        line[col] ^= 1;
      } else {
        line[col] = black ? 1 : 0;
      }
    }
  }
}

std::int64_t Raster::BlackCount() const { return std::count(dots_.begin(), dots_.end(), 1); }

}  // namespace cratemark::render
