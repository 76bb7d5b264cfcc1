// A label as the print head sees it: one bit a dot, at the printer's
// resolution. Held a byte a dot for simple drawing; every write is clipped,
// so callers may draw anywhere.
#pragma once

#include <cstdint>
#include <vector>

namespace cratemark::render {

class Raster {
 public:
  Raster() = default;
  Raster(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  bool IsBlack(int x, int y) const;
  // Dots black in the rectangle [x, x + w) x [y, y + h), clipped. With
  // `reverse`, each dot flips instead (ZPL's ^FR); with `black` false, the
  // dots are cleared (a white box).
  void Fill(int x, int y, int w, int h, bool black, bool reverse);
  std::int64_t BlackCount() const;
  // Row-major, 1 for a black dot.
  const std::vector<std::uint8_t>& dots() const { return dots_; }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint8_t> dots_;
};

}  // namespace cratemark::render
