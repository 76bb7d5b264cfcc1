// A picture in character cells: each cell shows two dots, one above the
// other, as Unicode half blocks in a UTF-8 terminal; elsewhere one ASCII
// shade a cell, by how much of it is black.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/terminal/widget.h"

namespace cratemark::ui::terminal {

class TerminalImageView : public ImageView, public Widget {
 public:
  using Widget::Widget;
  CRATEMARK_TERMINAL_CONTROL_BASICS
  void SetImage(MonoImage image) override;
  void Paint(Canvas& canvas, bool focused) const override;

 private:
  // Black dots in [x0, x1) x [y0, y1) of the image, from the summed table.
  std::int64_t BlackIn(int x0, int y0, int x1, int y1) const;

  int width_ = 0, height_ = 0;
  // sums_[(y) * (width_ + 1) + x]: black dots above and left of (x, y), so
  // that a cell of any size costs four reads however large the label.
  std::vector<std::int32_t> sums_;
};

}  // namespace cratemark::ui::terminal
