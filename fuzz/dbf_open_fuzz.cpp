// libFuzzer target: arbitrary bytes as a table file (and as its memo file,
// .DBT or .FPT), opened and walked through the engine's C interface, every
// field read as a memo too. Nothing may crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/xbengine.h"
#include "fuzz/scratch_file.h"

using namespace cratemark;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // All of it is the table; its second half is the memo file too.
  const std::string input(fuzz::AsText(data, size));
  const std::string table = fuzz::Scratch().Write("fuzz.dbf", input);
  fuzz::Scratch().Write("fuzz.dbt", input.substr(size / 2));
  fuzz::Scratch().Write("fuzz.fpt", input.substr(size / 2));

  const int16_t area = xb_UseEx(table.c_str(), "FUZZ", XB_OPEN_SHARED, 1, 1);
  if (area < 1) return 0;
  std::string record(static_cast<size_t>(xb_RecSize()), '\0');
  const int16_t fields = xb_FieldCount();
  int walked = 0;
  for (xb_GoTop(); !xb_Eof() && walked < 64; xb_Skip(1), ++walked) {
    xb_GetRecord(record.data());
    for (int16_t i = 1; i <= fields; ++i) {
      const std::string name = xb_FieldName(i);
      xb_FieldType(name.c_str());
      xb_GetBlobLength(name.c_str());
      xb_MemDealloc(xb_GetMemo(name.c_str(), 0));
    }
    xb_Deleted();
  }
  xb_Skip(-3);
  xb_GoBottom();
  xb_Flock();
  xb_Close();
  return 0;
}
