// Draws one field in its own upright coordinates (u along the text, v down)
// and puts it on the label turned as the field's orientation says, with the
// field's top-left corner at its origin whatever the turn.
#pragma once

#include "render/raster.h"

namespace cratemark::render {

enum class Orientation { kNormal, kRotated90, kInverted180, kBottomUp270 };

// ZPL's orientation letter (N, R, I, B); nullopt-free: anything else is N.
Orientation OrientationFromLetter(char letter, Orientation fallback);

class FieldCanvas {
 public:
  // `width` x `height`: the field's upright extent in dots.
  FieldCanvas(Raster& raster, int origin_x, int origin_y, int width, int height,
              Orientation orientation, bool reverse);

  // Black (or, for a white graphic, cleared) dots in the upright rectangle.
  void Fill(int u, int v, int w, int h, bool black = true);
  // Whether any dot of the upright rectangle lands on the label.
  bool Touches(int u, int v, int w, int h) const;

 private:
  struct Rect {
    long long x, y, w, h;
  };
  Rect ToLabel(int u, int v, int w, int h) const;

  Raster& raster_;
  int origin_x_, origin_y_, width_, height_;
  Orientation orientation_;
  bool reverse_;
};

}  // namespace cratemark::render
