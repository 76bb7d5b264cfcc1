#include "render/font_face.h"

#include <stb/stb_truetype.h>

#include <cmath>
#include <vector>

#include "platform/error.h"
#include "platform/utf8_decoder.h"

namespace cratemark::render {

struct FontFace::Impl {
  std::string ttf;
  stbtt_fontinfo info{};
  int ascent = 0, descent = 0, line_gap = 0;
  int cap_height = 0;  // the height of "H" in font units

  float ScaleY(const Size& size) const {
    if (size.cap_height > 0 && cap_height > 0) {
      return static_cast<float>(size.cap_height / cap_height);
    }
    return stbtt_ScaleForPixelHeight(&info, static_cast<float>(size.height));
  }
  float ScaleX(const Size& size) const {
    return ScaleY(size) * static_cast<float>(size.width_scale);
  }
  // The advance of one character in dots, and the x scale its glyph gets.
  double Advance(int glyph, const Size& size) const {
    if (size.advance > 0) return size.advance;
    int advance = 0, bearing = 0;
    stbtt_GetGlyphHMetrics(&info, glyph, &advance, &bearing);
    return advance * ScaleX(size);
  }
};

FontFace::FontFace(std::string ttf) : impl_(std::make_unique<Impl>()) {
  impl_->ttf = std::move(ttf);
  const auto* data = reinterpret_cast<const unsigned char*>(impl_->ttf.data());
  const int offset = stbtt_GetFontOffsetForIndex(data, 0);
  if (impl_->ttf.size() < 12 || offset < 0 || !stbtt_InitFont(&impl_->info, data, offset)) {
    throw Error(ErrorKind::kInvalidData, "not a TrueType font");
  }
  stbtt_GetFontVMetrics(&impl_->info, &impl_->ascent, &impl_->descent, &impl_->line_gap);
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  if (stbtt_GetCodepointBox(&impl_->info, 'H', &x0, &y0, &x1, &y1)) impl_->cap_height = y1;
}

FontFace::~FontFace() = default;
FontFace::FontFace(FontFace&&) noexcept = default;
FontFace& FontFace::operator=(FontFace&&) noexcept = default;

int FontFace::Ascent(const Size& size) const {
  if (size.baseline >= 0) return static_cast<int>(std::lround(size.baseline));
  return static_cast<int>(std::lround(impl_->ascent * impl_->ScaleY(size)));
}

int FontFace::Measure(std::string_view utf8, const Size& size) const {
  double width = 0;
  for (std::size_t pos = 0; pos < utf8.size();) {
    const Utf8Char c = DecodeUtf8Char(utf8, pos);
    pos += c.length;
    width +=
        impl_->Advance(stbtt_FindGlyphIndex(&impl_->info, static_cast<int>(c.code_point)), size);
  }
  return static_cast<int>(std::lround(width));
}

void FontFace::Draw(FieldCanvas& canvas, int u, int v, std::string_view utf8,
                    const Size& size) const {
  const float scale_y = impl_->ScaleY(size);
  float scale_x = impl_->ScaleX(size);
  const int baseline = v + Ascent(size);
  std::vector<unsigned char> coverage;
  double pen = u;
  for (std::size_t pos = 0; pos < utf8.size();) {
    const Utf8Char c = DecodeUtf8Char(utf8, pos);
    pos += c.length;
    const int glyph = stbtt_FindGlyphIndex(&impl_->info, static_cast<int>(c.code_point));
    const double advance = impl_->Advance(glyph, size);
    float glyph_scale_x = scale_x;
    double left = pen;
    if (size.advance > 0) {
      // A fixed cell: the glyph is squeezed to its place in the cell.
      int font_advance = 0, bearing = 0;
      stbtt_GetGlyphHMetrics(&impl_->info, glyph, &font_advance, &bearing);
      const double cell = size.cell_width > 0 ? size.cell_width : size.advance;
      if (font_advance > 0) glyph_scale_x = static_cast<float>(cell / font_advance);
      left = pen + size.cell_left;
    }
    const float shift_x = static_cast<float>(left - std::floor(left));
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    stbtt_GetGlyphBitmapBoxSubpixel(&impl_->info, glyph, glyph_scale_x, scale_y, shift_x, 0, &x0,
                                    &y0, &x1, &y1);
    const int w = x1 - x0, h = y1 - y0;
    const int gu = static_cast<int>(std::floor(left)) + x0, gv = baseline + y0;
    // Glyphs off the label are not rasterised at all: a huge font or a long
    // text costs only what shows.
    if (w > 0 && h > 0 && canvas.Touches(gu, gv, w, h)) {
      coverage.assign(static_cast<std::size_t>(w) * h, 0);
      stbtt_MakeGlyphBitmapSubpixel(&impl_->info, coverage.data(), w, h, w, glyph_scale_x, scale_y,
                                    shift_x, 0, glyph);
      for (int row = 0; row < h; ++row) {
        int run = -1;
        for (int col = 0; col <= w; ++col) {
          const bool on =
              col < w && coverage[static_cast<std::size_t>(row) * w + col] >= size.ink_threshold;
          if (on && run < 0) run = col;
          if (!on && run >= 0) {
            canvas.Fill(gu + run, gv + row, col - run, 1);
            run = -1;
          }
        }
      }
    }
    pen += advance;
  }
}

}  // namespace cratemark::render
