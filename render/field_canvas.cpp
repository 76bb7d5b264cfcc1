#include "render/field_canvas.h"

#include <algorithm>
#include <climits>

namespace cratemark::render {

Orientation OrientationFromLetter(char letter, Orientation fallback) {
  switch (letter) {
    case 'N':
      return Orientation::kNormal;
    case 'R':
      return Orientation::kRotated90;
    case 'I':
      return Orientation::kInverted180;
    case 'B':
      return Orientation::kBottomUp270;
    default:
      return fallback;
  }
}

FieldCanvas::FieldCanvas(Raster& raster, int origin_x, int origin_y, int width, int height,
                         Orientation orientation, bool reverse)
    : raster_(raster),
      origin_x_(origin_x),
      origin_y_(origin_y),
      width_(width),
      height_(height),
      orientation_(orientation),
      reverse_(reverse) {}

FieldCanvas::Rect FieldCanvas::ToLabel(int u, int v, int w, int h) const {
  const long long x0 = origin_x_, y0 = origin_y_;
  switch (orientation_) {
    case Orientation::kNormal:
      return {x0 + u, y0 + v, w, h};
    case Orientation::kRotated90:  // reads top to bottom
      return {x0 + (static_cast<long long>(height_) - v - h), y0 + u, h, w};
    case Orientation::kInverted180:
      return {x0 + (static_cast<long long>(width_) - u - w),
              y0 + (static_cast<long long>(height_) - v - h), w, h};
    case Orientation::kBottomUp270:  // reads bottom to top
      return {x0 + v, y0 + (static_cast<long long>(width_) - u - w), h, w};
  }
  return {0, 0, 0, 0};
}

bool FieldCanvas::Touches(int u, int v, int w, int h) const {
  const Rect r = ToLabel(u, v, w, h);
  return r.w > 0 && r.h > 0 && r.x < raster_.width() && r.y < raster_.height() && r.x + r.w > 0 &&
         r.y + r.h > 0;
}

void FieldCanvas::Fill(int u, int v, int w, int h, bool black) {
  if (!Touches(u, v, w, h)) return;
  Rect r = ToLabel(u, v, w, h);
  // Clip in 64 bits before narrowing: the field may lie far off the label.
  const long long x0 = std::max(r.x, -1LL), y0 = std::max(r.y, -1LL);
  const long long x1 = std::min(r.x + r.w, static_cast<long long>(raster_.width()) + 1);
  const long long y1 = std::min(r.y + r.h, static_cast<long long>(raster_.height()) + 1);
  raster_.Fill(static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0),
               static_cast<int>(y1 - y0), black, reverse_);
}

}  // namespace cratemark::render
