// libFuzzer target: arbitrary bytes as a host table (the printer table, say),
// opened read-only through the table component over the engine, walked to
// its end with every field read in every type, as the console reads the
// host's tables. Nothing may crash; failures must be errors.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

#include "engine/xbengine.h"
#include "fuzz/scratch_file.h"
#include "xbase/DbfTable.h"
#include "xbase/XbEngine.h"

using namespace cratemark;

namespace {

// The engine linked into this program, behind the binding that programs load
// it through.
class LinkedEngine final : public TXbEngine {
 public:
  bool LoadDLLs() override { return true; }
#define XB_FORWARD(result, name, parameters, arguments) \
  result name parameters override { return ::name arguments; }
  XB_ENGINE_FUNCTIONS(XB_FORWARD)
#undef XB_FORWARD
};

void ReadEveryWay(const TDbfField& field) {
  // Each reading may refuse a kind it does not serve; it must not crash.
  const auto attempt = [](auto read) {
    try {
      read();
    } catch (const Error&) {
    }
  };
  attempt([&] { field.Value(); });
  attempt([&] { field.AsString(); });
  attempt([&] { field.AsInteger(); });
  attempt([&] { field.AsFloat(); });
  attempt([&] { field.AsBoolean(); });
  attempt([&] { field.AsDate(); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static LinkedEngine engine;
  static ScopedEngineReplacement replacement(engine);
  // All of it is the table; its second half is the memo file too.
  const std::string input(fuzz::AsText(data, size));
  const std::string path = fuzz::Scratch().Write("TOLVANSPOOL.DBF", input);
  fuzz::Scratch().Write("TOLVANSPOOL.DBT", input.substr(size / 2));

  TDbfTable table("tblTolvanSpool");
  table.SetTableName(path);
  table.SetReadOnly(true);
  try {
    table.Open();
    int walked = 0;
    for (; !table.Eof() && walked < 64; table.Next(), ++walked) {
      for (TDbfField* field : table.Fields()) ReadEveryWay(*field);
    }
    table.Prior();
    table.Last();
    table.First();
  } catch (const Error&) {
    // An unreadable table or record is reported to the caller.
  }
  table.Close();
  return 0;
}
