// A label as a PNG file's bytes (8-bit grey, black dots black), written by
// stb_image_write.
#pragma once

#include <string>

#include "render/raster.h"

namespace cratemark::render {

std::string EncodePng(const Raster& raster);

}  // namespace cratemark::render
