// ZPL II drawn: the commands real labels use, each other command skipped
// with a warning that names it and its line.
#pragma once

#include <string_view>

#include "render/label_renderer.h"

namespace cratemark::render {

RenderedLabels RenderZpl(std::string_view zpl, const RenderOptions& options,
                         const PrinterFonts& fonts);

}  // namespace cratemark::render
