#include "shared/order_history.h"

#include <algorithm>

#include "platform/error.h"
#include "platform/text.h"
#include "shared/order_job.h"
#include "shared/unprinted_folder.h"

namespace cratemark {
namespace {

void ReadUnprinted(FileSystem& fs, const std::string& folder, std::vector<HistoryOrder>& orders) {
  std::vector<HistoryOrder> found;
  for (const DirectoryEntry& entry : fs.ListDirectory(folder, kJobFilePattern)) {
    if (entry.type != EntryType::kFile) continue;
    HistoryOrder order;
    order.unprinted = true;
    order.file_name = entry.name;
    order.job_name = entry.name;
    try {
      order.time_ns = fs.StampOfFileIn(folder, entry.name).modified_ns;
      order.job_bytes = fs.ReadFileIn(folder, entry.name, kMaxJobBytes);
    } catch (const Error&) {
      continue;  // gone, swapped for something else, or too large: not an order of ours
    }
    found.push_back(std::move(order));
  }
  std::sort(found.begin(), found.end(), [](const HistoryOrder& a, const HistoryOrder& b) {
    return a.time_ns != b.time_ns ? a.time_ns > b.time_ns : a.file_name < b.file_name;
  });
  if (found.size() > kUnprintedMaxJobs) found.resize(kUnprintedMaxJobs);
  for (HistoryOrder& order : found) orders.push_back(std::move(order));
}

void ReadPrinted(FileSystem& fs, const std::string& folder, std::int64_t now_ns,
                 std::vector<HistoryOrder>& orders) {
  struct Numbered {
    std::uint64_t number;
    std::string name;
  };
  std::vector<Numbered> names;
  for (const DirectoryEntry& entry : fs.ListDirectory(folder, "*.job")) {
    if (entry.type != EntryType::kFile) continue;
    if (const auto name = ParsePrintedEntryName(entry.name)) {
      names.push_back({name->number, entry.name});
    }
  }
  std::sort(names.begin(), names.end(),
            [](const Numbered& a, const Numbered& b) { return a.number > b.number; });
  const std::int64_t oldest =
      now_ns - std::chrono::duration_cast<std::chrono::nanoseconds>(kPrintedMaxAge).count();
  std::size_t listed = 0;
  for (const Numbered& numbered : names) {
    if (listed == kPrintedMaxJobs) break;
    std::string bytes;
    try {
      bytes = fs.ReadFileIn(folder, numbered.name, kMaxPrintedEntryBytes);
    } catch (const Error&) {
      continue;
    }
    std::optional<PrintedEntry> entry = ParsePrintedEntry(bytes);
    if (!entry || entry->record.time_ns < oldest) continue;
    HistoryOrder order;
    order.file_name = numbered.name;
    order.time_ns = entry->record.time_ns;
    order.job_name = std::move(entry->record.job_name);
    order.where = entry->record.where;
    order.printer = std::move(entry->record.printer);
    order.job_bytes = std::move(entry->job_bytes);
    orders.push_back(std::move(order));
    ++listed;
  }
}

}  // namespace

std::vector<HistoryOrder> ReadHistory(FileSystem& fs, std::string_view program_dir,
                                      std::int64_t now_ns) {
  std::vector<HistoryOrder> orders;
  ReadUnprinted(fs, UnprintedFolderPath(program_dir), orders);
  ReadPrinted(fs, PrintedFolderPath(program_dir), now_ns, orders);
  return orders;
}

OrderSummary SummarizeOrder(const Lines& job_lines) {
  OrderSummary summary;
  summary.reference = std::string(JobLine(job_lines, kJobReference));
  if (!FollowsBlockLayout(job_lines)) return summary;
  for (std::size_t b = 0; b < job_lines.size(); b += kJobBlockLines) {
    LabelSummary label;
    std::size_t i = b + kJobItemAreaFirst;
    const std::size_t end = b + kJobBlockLines;
    while (i < end && job_lines[i].empty()) ++i;
    if (i < end) label.item = Trim(job_lines[i]);
    for (++i; i < end && !job_lines[i].empty(); ++i) label.modifiers.push_back(Trim(job_lines[i]));
    summary.labels.push_back(std::move(label));
  }
  return summary;
}

bool RemoveUnprinted(FileSystem& fs, std::string_view program_dir, std::string_view file_name) {
  const std::string folder = UnprintedFolderPath(program_dir);
  if (!fs.DeleteFileIn(folder, file_name)) return false;
  try {
    fs.SyncFolder(folder);
  } catch (const Error&) {
    // Deleted; only its durability across a power cut is in doubt.
  }
  return true;
}

}  // namespace cratemark
