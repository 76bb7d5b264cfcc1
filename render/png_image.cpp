#include "render/png_image.h"

#include <stb/stb_image_write.h>

#include <vector>

namespace cratemark::render {

std::string EncodePng(const Raster& raster) {
  std::vector<unsigned char> grey(raster.dots().size());
  for (std::size_t i = 0; i < grey.size(); ++i) grey[i] = raster.dots()[i] ? 0 : 255;
  std::string png;
  stbi_write_png_to_func(
      [](void* context, void* data, int size) {
        static_cast<std::string*>(context)->append(static_cast<const char*>(data),
                                                   static_cast<std::size_t>(size));
      },
      &png, raster.width(), raster.height(), 1, grey.data(), raster.width());
  return png;
}

}  // namespace cratemark::render
