// libFuzzer target: arbitrary bytes as a label file, drawn as the preview and
// cratemark-render draw it. Nothing may crash or hang, and every image stays
// within the renderer's bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "render/label_renderer.h"
#include "render/printer_fonts.h"

using namespace cratemark;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const render::PrinterFonts fonts = render::LoadPrinterFonts();
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const render::RenderedLabels rendered = render::RenderLabelFile(bytes, {}, fonts);
  if (rendered.labels.empty() || rendered.labels.size() > 100) std::abort();
  for (const render::Raster& label : rendered.labels) {
    if (label.width() < 1 || label.width() > render::kMaxLabelDots || label.height() < 1 ||
        label.height() > render::kMaxLabelDots) {
      std::abort();
    }
  }
  return 0;
}
