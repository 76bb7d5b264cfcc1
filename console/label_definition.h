// The values "Setup Tolvan Labels" writes into the first 39 fields of the
// current record of the host's label printer definition.
#pragma once

#include <vector>

#include "console/console_table.h"

namespace cratemark {

std::vector<TypedValue> LabelDefinitionValues();

}  // namespace cratemark
