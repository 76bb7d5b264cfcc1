// libFuzzer target: arbitrary bytes as "LabelDesign.txt", read as the service
// and the console read it, and saved back as the console saves it (in the
// encoding it was read in). Nothing may crash, and the saved design reads
// back line for line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz/scratch_file.h"
#include "platform/error.h"
#include "shared/label_design.h"

using namespace cratemark;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::ScratchFolder& scratch = fuzz::Scratch();
  scratch.Write(kLabelDesignFileName, fuzz::AsText(data, size));
  TextFileContent design;
  try {
    design = ReadLabelDesign(SystemFileSystem(), scratch.Dir());
  } catch (const Error&) {
    return 0;
  }
  SaveLabelDesign(SystemFileSystem(), scratch.Dir(), JoinLines(design.lines), design.encoding);
  const TextFileContent saved = ReadLabelDesign(SystemFileSystem(), scratch.Dir());
  if (saved.encoding != design.encoding || saved.lines != design.lines) std::abort();
  return 0;
}
