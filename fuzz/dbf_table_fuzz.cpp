// libFuzzer target: arbitrary bytes as a host table (the printer table, say),
// opened read-only through the table component over the engine, walked to
// its end with every field read in every type, as the console reads the
// host's tables; then edited as "Setup Tolvan Labels" edits the label table:
// 39 values into the first record's first 39 fields. Nothing may crash;
// failures must be errors; an edit may change the file only inside those 39
// fields and the header's date, and a failed one not at all.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

// Integers and logicals in the places where the console's label setup has
// them.
std::vector<TDbfValue> LabelSetupValues() {
  std::vector<TDbfValue> values;
  for (int i = 1; i <= 39; ++i) {
    const bool logical = i == 23 || i == 32 || i == 35 || i == 38 || i == 39;
    values.push_back(logical ? TDbfValue::Boolean(false) : TDbfValue::Integer(i));
  }
  return values;
}

std::string ReadWhole(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void EditAsTheLabelSetup(const std::string& input) {
  const std::string path = fuzz::Scratch().Write("LBLPRDEF.DBF", input);
  fuzz::Scratch().Write("LBLPRDEF.DBT", input.substr(input.size() / 2));
  fuzz::Scratch().Write("LBLPRDEF.FPT", input.substr(input.size() / 2));
  TDbfTable table("tblTolvanLBLDef");
  table.SetTableName(path);
  bool posted = false;
  bool had_record = false;
  size_t first = 0, end = 0;  // the bytes the setup may change
  try {
    table.Open();
    had_record = !table.Eof();
    const size_t header_length = static_cast<uint8_t>(input[8]) | static_cast<uint8_t>(input[9])
                                                                      << 8;
    const auto& catalogue = table.LFieldOffsets();
    if (had_record && catalogue.size() >= 39) {
      first = header_length + static_cast<size_t>(catalogue[0].EngineOffset);
      end = header_length + static_cast<size_t>(catalogue[38].EngineOffset + catalogue[38].Width);
    }
    table.Edit();
    table.SetFields(LabelSetupValues());
    table.Post();
    posted = true;
  } catch (const Error&) {
    try {
      table.Cancel();
    } catch (const Error&) {
    }
  }
  table.Close();
  if (posted && !had_record) return;  // an appended record: a new end of file
  const std::string after = ReadWhole(path);
  if (after.size() != input.size()) __builtin_trap();
  for (size_t i = 0; i < after.size(); ++i) {
    const bool may_change = posted && ((i >= 1 && i <= 3) || (i >= first && i < end));
    if (after[i] != input[i] && !may_change) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static LinkedEngine engine;
  static ScopedEngineReplacement replacement(engine);
  // All of it is the table; its second half is the memo file too, in both
  // formats.
  const std::string input(fuzz::AsText(data, size));
  const std::string path = fuzz::Scratch().Write("TOLVANSPOOL.DBF", input);
  fuzz::Scratch().Write("TOLVANSPOOL.DBT", input.substr(size / 2));
  fuzz::Scratch().Write("TOLVANSPOOL.FPT", input.substr(size / 2));

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
  if (size >= 32) EditAsTheLabelSetup(input);
  return 0;
}
