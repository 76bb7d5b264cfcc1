// Test support for the engine's C interface: a temporary folder per test and
// no work area left open afterwards (the engine's areas are process-wide).
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/xbengine.h"
#include "platform/scoped_temp_dir.h"

namespace cratemark::testing {

// The arguments of xb_CreateField for one field of a table a test makes.
struct CreateFieldArgs {
  const char* name;
  const char* type;
  int16_t width;
  int16_t decimals;
};

inline void CloseAllAreas() {
  for (int16_t area = 1; area < 64; ++area) {
    if (*xb_Alias(area) != '\0') {
      xb_Select(area);
      xb_Close();
    }
  }
}

// The current table's fields by name, "NAME C 2 10 0" each: name, type,
// position, width, decimals.
inline std::vector<std::string> Structure() {
  std::vector<std::string> fields;
  for (int16_t i = 1; i <= xb_FieldCount(); ++i) {
    const std::string name = xb_FieldName(i);
    fields.push_back(name + " " + xb_FieldType(name.c_str()) + " " +
                     std::to_string(xb_FieldOffset(name.c_str())) + " " +
                     std::to_string(xb_FieldWidth(name.c_str())) + " " +
                     std::to_string(xb_FieldDecimals(name.c_str())));
  }
  return fields;
}

class EngineTest : public ::testing::Test {
 protected:
  void TearDown() override {
    CloseAllAreas();
    xb_SetDeleted(0);
  }

  std::string PathOf(const std::string& name) const { return dir_.path() + name; }

  // Creates a table through the interface and closes it again (table type 1:
  // memos in a .DBT file; 2: FoxPro's .FPT).
  void CreateTable(const std::string& name, const std::vector<CreateFieldArgs>& fields,
                   int16_t table_type = 1) {
    const int16_t area = xb_CreateNew(PathOf(name).c_str(), "NEWTABLE", table_type,
                                      static_cast<int16_t>(fields.size()));
    ASSERT_GT(area, 0);
    for (const CreateFieldArgs& field : fields) {
      ASSERT_NE(xb_CreateField(field.name, field.type, field.width, field.decimals), 0)
          << field.name;
    }
    ASSERT_NE(xb_CreateExec(), 0);
    xb_Select(area);
    xb_Close();
  }

  static std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  static void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }

  ScopedTempDir dir_;
};

}  // namespace cratemark::testing
