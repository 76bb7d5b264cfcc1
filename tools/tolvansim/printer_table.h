// Tolvan's printer table "TolvanSpool.DBF": one record per printer, its
// spool folder name in the field "SubDir".
#pragma once

#include <string>
#include <vector>

namespace cratemark::tolvansim {

// Creates the table in `program_dir` (replacing one that exists) listing
// `printers`, and a spool folder for each.
void CreatePrinterTable(const std::string& program_dir, const std::vector<std::string>& printers);

}  // namespace cratemark::tolvansim
