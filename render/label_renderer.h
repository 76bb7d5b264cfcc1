// Label bytes, as the service writes them into a printer's folder, drawn as
// the printer would print them: ZPL II (a file holding ^XA) one image per
// ^XA ... ^XZ, anything else as plain text in the printer's fixed font.
// Pure: no file is read or written; malformed input gives warnings and a
// bounded image, never an exception.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "render/font_face.h"
#include "render/raster.h"

namespace cratemark::render {

// The printer resolutions offered: 6, 8, 12 and 24 dots per mm.
bool IsPrinterResolution(int dots_per_mm);

struct RenderOptions {
  int dots_per_mm = 8;
  // The label size when ZPL does not give it (^PW, ^LL): 4 x 3 in.
  double width_mm = 101.6;
  double height_mm = 76.2;
};

struct PrinterFonts {
  FontFace scalable;    // ZPL's font 0: a narrow bold sans
  FontFace fixed;       // the bitmap fonts A to H but G, and plain text
  FontFace thin_fixed;  // bitmap font G, which the printer draws thin
};

struct RenderedLabels {
  std::vector<Raster> labels;
  // "^B7 at line 4: not drawn", in file order.
  std::vector<std::string> warnings;
};

// No label drawn is larger than this on either side.
inline constexpr int kMaxLabelDots = 4096;

// `mm` in whole dots as the printer counts them: the dots that fit, so a
// 4 in label is 812 dots at 8 dots/mm. Within 1 to kMaxLabelDots.
int LabelDots(double mm, int dots_per_mm);

RenderedLabels RenderLabelFile(std::string_view bytes, const RenderOptions& options,
                               const PrinterFonts& fonts);

}  // namespace cratemark::render
