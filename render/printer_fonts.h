// Where the printer's fonts are found: the "fonts" folder beside the
// program (the Windows installer puts them there, the build copies them
// there), then Debian's font package.
#pragma once

#include <string>
#include <vector>

#include "render/label_renderer.h"

namespace cratemark::render {

inline constexpr const char* kScalableFontFile = "LiberationSansNarrow-Bold.ttf";
inline constexpr const char* kFixedFontFile = "DejaVuSansMono-Bold.ttf";
inline constexpr const char* kThinFixedFontFile = "DejaVuSansMono.ttf";

// The folders searched, in order.
std::vector<std::string> FontFolders();

// Throws Error (kNotFound) naming the font and the folders when a font is
// in none of them.
PrinterFonts LoadPrinterFonts(const std::vector<std::string>& folders = FontFolders());

}  // namespace cratemark::render
