// A scalable font, rasterised by stb_truetype and drawn one bit a dot: a
// dot is black where the glyph covers enough of it (half, unless asked).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "render/field_canvas.h"

namespace cratemark::render {

class FontFace {
 public:
  // `ttf`: the bytes of a TrueType file, kept by the face. Throws Error
  // (kInvalidData) when they are not a font.
  explicit FontFace(std::string ttf);
  ~FontFace();
  FontFace(FontFace&&) noexcept;
  FontFace& operator=(FontFace&&) noexcept;

  // Drawn size: `height` dots from the top of the highest glyph to the
  // bottom of the lowest (or, with `cap_height` above 0, capitals that many
  // dots tall), each character `width_scale` times as wide as the font draws
  // it at that height. With `advance` above 0, every character takes exactly
  // that many dots (a fixed-pitch printer font), its glyph squeezed to
  // `cell_width` dots starting `cell_left` dots into the character.
  // `baseline` at 0 or more puts the baseline that far below the line's top
  // instead of the font's own ascent. A dot is black where the glyph covers
  // at least `ink_threshold` / 255 of it: lower draws a heavier face.
  struct Size {
    double height = 30;
    double width_scale = 1;
    double advance = 0;
    double cap_height = 0;
    double cell_left = 0;
    double cell_width = 0;
    double baseline = -1;
    int ink_threshold = 128;
  };

  // Width in dots of `utf8` at `size`.
  int Measure(std::string_view utf8, const Size& size) const;
  // Draws `utf8` with the top of its line at (u, v) of the canvas.
  void Draw(FieldCanvas& canvas, int u, int v, std::string_view utf8, const Size& size) const;
  // The distance from the line's top to its baseline.
  int Ascent(const Size& size) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace cratemark::render
