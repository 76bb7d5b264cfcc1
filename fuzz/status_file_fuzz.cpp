// libFuzzer target: arbitrary bytes as the status file "Cratemark.err", read
// as the console reads it every half second. Nothing may crash, and a code
// that was written reads back as itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz/scratch_file.h"
#include "shared/status_file.h"

using namespace cratemark;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::ScratchFolder& scratch = fuzz::Scratch();
  scratch.Write(kStatusFileName, fuzz::AsText(data, size));
  const std::optional<std::int16_t> code = ReadStatusFile(SystemFileSystem(), scratch.Dir());
  ParseStatusCode(fuzz::AsText(data, size));
  if (code) {
    WriteStatusFile(SystemFileSystem(), scratch.Dir(), *code);
    if (ReadStatusFile(SystemFileSystem(), scratch.Dir()) != code) std::abort();
  }
  return 0;
}
