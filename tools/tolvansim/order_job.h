// Order jobs as Tolvan prints them for a label setup: one 100-line block per
// label (reference, revenue center, employee, ..., item and its modifiers).
#pragma once

#include <string>
#include <vector>

#include "platform/text_file.h"

namespace cratemark::tolvansim {

struct OrderLabel {
  std::string reference;
  std::string item;
  std::vector<std::string> modifiers;
};

// The job lines of one order: block k is label k + 1 of labels.size().
Lines OrderJobLines(const std::vector<OrderLabel>& labels);

}  // namespace cratemark::tolvansim
