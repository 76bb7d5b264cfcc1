// The console's tables over the xBase table component.
#pragma once

#include "console/console_table.h"

namespace cratemark {

class DbfConsoleTables : public ConsoleTables {
 public:
  // A TDbfTable of type NTX, OEM translation off, not sequenced.
  std::unique_ptr<ConsoleTable> MakeTable(std::string_view component_name,
                                          std::string_view directory, std::string_view table_name,
                                          bool read_only) override;
};

}  // namespace cratemark
