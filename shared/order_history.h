// What the console's History page lists: the orders waiting in "Unprinted"
// and those kept in "Printed", read from the two folders. Everything in them
// is outside data: only regular files are read, none larger than an entry
// may be, and a file that is not an entry is left out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/text_file.h"
#include "shared/printed_folder.h"

namespace cratemark {

struct HistoryOrder {
  bool unprinted = false;  // waiting in "Unprinted", else kept in "Printed"
  std::string file_name;   // the entry's name in its folder
  std::int64_t time_ns = 0;
  std::string job_name;
  PrintedWhere where = PrintedWhere::kWaiting;  // kept orders only
  std::string printer;                          // kept orders only
  std::string job_bytes;
};

// The orders of "Unprinted" (newest first), then those of "Printed" (newest
// first) that are younger than kPrintedMaxAge at `now_ns`; at most
// kUnprintedMaxJobs and kPrintedMaxJobs of each. Missing folders give none.
// Throws Error only when a folder cannot be listed.
std::vector<HistoryOrder> ReadHistory(FileSystem& fs, std::string_view program_dir,
                                      std::int64_t now_ns);

// One label of an order: its item and the item's modifiers.
struct LabelSummary {
  std::string item;
  Lines modifiers;
};

struct OrderSummary {
  std::string reference;  // line 0 of the first block
  std::vector<LabelSummary> labels;
};

// What an order's blocks hold, found as the composer finds them but never
// beyond the block. A job of another layout has no labels.
OrderSummary SummarizeOrder(const Lines& job_lines);

// Deletes a waiting order from "Unprinted"; false when it could not be.
bool RemoveUnprinted(FileSystem& fs, std::string_view program_dir, std::string_view file_name);

}  // namespace cratemark
