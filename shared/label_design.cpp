#include "shared/label_design.h"

namespace cratemark {

std::string ItemModTag(int n) { return "<Item Mod[" + std::to_string(n) + "]>"; }

std::string LabelDesignPath(std::string_view program_dir) {
  return std::string(program_dir) + std::string(kLabelDesignFileName);
}

TextFileContent ReadLabelDesign(FileSystem& fs, std::string_view program_dir) {
  return ReadTextFile(fs, LabelDesignPath(program_dir));
}

void SaveLabelDesign(FileSystem& fs, std::string_view program_dir, std::string_view text,
                     TextEncoding encoding) {
  WriteTextFileExact(fs, LabelDesignPath(program_dir), text, encoding);
}

}  // namespace cratemark
