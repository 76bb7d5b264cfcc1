#include "render/printer_fonts.h"

#include "platform/error.h"
#include "platform/file_system.h"

namespace cratemark::render {
namespace {

FontFace LoadFont(const std::vector<std::string>& folders, const char* name) {
  std::string searched;
  for (const std::string& folder : folders) {
    const std::string path = folder + "/" + name;
    if (FileExists(path)) return FontFace(ReadWholeFile(path));
    searched += (searched.empty() ? "" : ", ") + folder;
  }
  throw Error(ErrorKind::kNotFound, std::string("font ") + name + " not found in " + searched);
}

}  // namespace

std::vector<std::string> FontFolders() {
  return {ProgramDir() + "fonts", "/usr/share/fonts/truetype/liberation",
          "/usr/share/fonts/truetype/dejavu"};
}

PrinterFonts LoadPrinterFonts(const std::vector<std::string>& folders) {
  return PrinterFonts{LoadFont(folders, kScalableFontFile), LoadFont(folders, kFixedFontFile),
                      LoadFont(folders, kThinFixedFontFile)};
}

}  // namespace cratemark::render
