// The fixture of the editing tests: a label printer definition table with
// text, numeric, logical and date fields, in the in-memory engine.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "xbase/testing/fake_table_fixture.h"

namespace cratemark {

// C(4) NAME, C(2) CODE, N(3,0) QTY, N(4,0) SMALL, N(8,2) PRICE, L OK, D DAY
inline FakeTable Definitions(std::vector<std::string> records) {
  FakeTable table;
  table.fields = {{"NAME", "C", 4, 0},  {"CODE", "C", 2, 0},  {"QTY", "N", 3, 0},
                  {"SMALL", "N", 4, 0}, {"PRICE", "N", 8, 2}, {"OK", "L", 1, 0},
                  {"DAY", "D", 8, 0}};
  table.records = std::move(records);
  return table;
}
inline const std::string kRecord = " ABCDXY  7  12  123.45T20240229";

class DbfEditingFixture : public FakeTableFixture {
 protected:
  void OpenDefinitions(std::vector<std::string> records = {kRecord}) {
    AddTable(table_, "LBLPRDEF.DBF", Definitions(std::move(records)));
    table_.Open();
  }
  std::string Stored(size_t index = 0) { return Records("LBLPRDEF.DBF").at(index); }

  TDbfTable table_{"tblTolvanLBLDef"};
};

// The message of the `Error` that `action` raises; "(no error)" when none.
template <typename Error>
std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& error) {
    return error.what();
  }
  return "(no error)";
}

}  // namespace cratemark
