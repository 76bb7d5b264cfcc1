// libFuzzer target: arbitrary bytes as a table file (and as its memo file),
// opened and walked through the engine's C interface. Nothing may crash.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/xbengine.h"

namespace {

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  if (FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string table = "/tmp/xb_fuzz_" + std::to_string(getpid()) + ".dbf";
  static const std::string memo = table.substr(0, table.size() - 4) + ".dbt";
  // All of it is the table; its second half is the memo file too.
  WriteFile(table, data, size);
  WriteFile(memo, data + size / 2, size - size / 2);

  const int16_t area = xb_UseEx(table.c_str(), "FUZZ", XB_OPEN_SHARED, 1, 1);
  if (area < 1) return 0;
  std::string record(static_cast<size_t>(xb_RecSize()), '\0');
  const int16_t fields = xb_FieldCount();
  int walked = 0;
  for (xb_GoTop(); !xb_Eof() && walked < 64; xb_Skip(1), ++walked) {
    xb_GetRecord(record.data());
    for (int16_t i = 1; i <= fields; ++i) {
      const std::string name = xb_FieldName(i);
      if (*xb_FieldType(name.c_str()) == 'M') xb_MemDealloc(xb_GetMemo(name.c_str(), 0));
    }
    xb_Deleted();
  }
  xb_Skip(-3);
  xb_GoBottom();
  xb_Flock();
  xb_Close();
  return 0;
}
