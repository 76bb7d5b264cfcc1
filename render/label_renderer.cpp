#include "render/label_renderer.h"

#include <algorithm>
#include <cmath>

#include "platform/windows_1252.h"
#include "render/control_characters.h"
#include "render/zpl_commands.h"
#include "render/zpl_renderer.h"

namespace cratemark::render {
namespace {

// Plain text as a line printer prints it: 10 characters an inch, 6 lines an
// inch, control characters spelt out as the preview spells them.
Raster RenderPlainText(std::string_view bytes, const RenderOptions& options,
                       const PrinterFonts& fonts) {
  const double dpmm = options.dots_per_mm;
  Raster raster(LabelDots(options.width_mm, options.dots_per_mm),
                LabelDots(options.height_mm, options.dots_per_mm));
  FontFace::Size size;
  size.height = 3.4 * dpmm;
  size.advance = 2.54 * dpmm;
  size.cell_left = size.advance * 0.04;
  size.cell_width = size.advance * 0.92;
  const int line_step = static_cast<int>(std::lround(25.4 / 6 * dpmm));
  FieldCanvas canvas(raster, 0, 0, raster.width(), raster.height(), Orientation::kNormal, false);
  // Labels reach the printer in the ANSI code page.
  const std::string text = Windows1252ToUtf8(bytes);
  int row = 0;
  std::size_t start = 0;
  while (start < text.size() && row * line_step < raster.height()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    const Lines shown = ShowControlCharacters(text.substr(start, end - start));
    fonts.fixed.Draw(canvas, 0, row * line_step, shown.empty() ? "" : shown.front(), size);
    ++row;
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') {
      ++end;
    }
    start = end + 1;
  }
  return raster;
}

}  // namespace

bool IsPrinterResolution(int dots_per_mm) {
  return dots_per_mm == 6 || dots_per_mm == 8 || dots_per_mm == 12 || dots_per_mm == 24;
}

int LabelDots(double mm, int dots_per_mm) {
  // A hair over, so that 101.6 mm x 8 is 812 dots whatever the rounding of
  // the product.
  const double dots = std::floor(mm * dots_per_mm + 1e-6);
  return static_cast<int>(std::clamp(dots, 1.0, static_cast<double>(kMaxLabelDots)));
}

RenderedLabels RenderLabelFile(std::string_view bytes, const RenderOptions& options,
                               const PrinterFonts& fonts) {
  if (LooksLikeZpl(bytes)) return RenderZpl(bytes, options, fonts);
  RenderedLabels out;
  out.labels.push_back(RenderPlainText(bytes, options, fonts));
  return out;
}

}  // namespace cratemark::render
