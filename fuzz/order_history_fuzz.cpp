// libFuzzer target: arbitrary bytes as a file of "Printed" (its first line is
// the file's name, the rest its bytes) and as an order waiting in
// "Unprinted", read for the console's History page as it reads them. Nothing
// may crash; an entry that reads is written back to the same record and job;
// no row or label line the page shows holds a line break.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>

#include "console/history_view.h"
#include "fuzz/scratch_file.h"
#include "platform/error.h"
#include "shared/order_history.h"
#include "shared/order_job.h"
#include "shared/printed_folder.h"

using namespace cratemark;

namespace {

bool HasBreak(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input = fuzz::AsText(data, size);
  const std::size_t end = input.find('\n');
  const std::string_view name = end == std::string_view::npos ? input : input.substr(0, end);
  const std::string_view bytes =
      end == std::string_view::npos ? std::string_view() : input.substr(end + 1);

  if (const auto entry = ParsePrintedEntry(bytes)) {
    const auto again = ParsePrintedEntry(PrintedEntryBytes(entry->record, entry->job_bytes));
    if (!again || again->record.job_name != entry->record.job_name ||
        again->record.printer != entry->record.printer ||
        again->record.time_ns != entry->record.time_ns || again->job_bytes != entry->job_bytes) {
      std::abort();
    }
  }
  (void)ParsePrintedEntryName(name);

  // The folders as the console finds them, with this one file in each.
  const std::string site = fuzz::Scratch().Dir();
  std::error_code ignored;
  std::filesystem::remove_all(site + "Printed", ignored);
  std::filesystem::remove_all(site + "Unprinted", ignored);
  std::filesystem::create_directories(site + "Printed");
  std::filesystem::create_directories(site + "Unprinted");
  const bool plain_name = !name.empty() && name.find_first_of("/\\") == std::string_view::npos &&
                          name != "." && name != ".." && name.find('\0') == std::string_view::npos;
  if (plain_name) fuzz::Scratch().Write("Printed/" + std::string(name), bytes);
  fuzz::Scratch().Write("Unprinted/order.spl", bytes);

  std::vector<HistoryOrder> orders;
  try {
    orders = ReadHistory(SystemFileSystem(), site, 0);
  } catch (const Error&) {
    return 0;
  }
  const LocalTime now{2026, 1, 1, 12, 0, 0, 0};
  for (const HistoryOrder& order : orders) {
    if (HasBreak(HistoryRowText(order, LocalTimeAt(order.time_ns, now, 0), now))) std::abort();
    for (const std::string& row : LabelRows(SummarizeOrder(OrderJobLines(order.job_bytes)))) {
      if (HasBreak(row)) std::abort();
    }
    (void)OrderText(order, "now");
  }
  return 0;
}
