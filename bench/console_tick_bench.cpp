// The console's idle status tick (nothing changed since the last one) with
// a 1 KB, a 1 MB and a 50 MB activity log, through the headless toolkit. The
// ticks must cost the same whatever the log's size. The peer is the earlier
// tick, which read and decoded the whole log every time, measured on the
// 50 MB log in the same run.
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

#include "bench/bench_util.h"
#include "console/formMain.h"
#include "platform/file_system.h"
#include "platform/scoped_temp_dir.h"
#include "platform/text_file.h"
#include "shared/activity_log.h"
#include "ui/headless/headless_toolkit.h"

using namespace cratemark;
using namespace cratemark::bench;

namespace {

// The idle Log Info page never opens a host table.
class NoTables : public ConsoleTables {
 public:
  std::unique_ptr<ConsoleTable> MakeTable(std::string_view, std::string_view, std::string_view,
                                          bool) override {
    throw std::runtime_error("no host tables here");
  }
};

constexpr int kTicks = 200;

std::string LogOfSize(std::size_t bytes) {
  const std::string line =
      LogLineText({2026, 2, 3, 14, 5, 9, 0}, "-> Loading from /opt/tolvan/PreLabel/1234.spl") +
      "\r\n";
  std::string log;
  log.reserve(bytes + line.size());
  while (log.size() < bytes) log += line;
  return log;
}

// Median time of one idle tick, after the console has shown the log once.
double IdleTick(std::size_t log_bytes) {
  ScopedTempDir dir;
  WriteWholeFile(ActivityLogPath(dir.path()), LogOfSize(log_bytes));
  WriteWholeFile(dir.path() + "Cratemark.err", "0\r\n");
  WriteWholeFile(dir.path() + "Cratemark.cfg", "");
  ui::headless::HeadlessToolkit toolkit;
  NoTables tables;
  TfrmMain form(toolkit, ConsoleContext{dir.path(), &tables});
  for (int i = 0; i < 4; ++i) toolkit.AdvanceMs(500);  // shown, and checked once more
  // The view holds the whole log (ASCII lines ending in CR LF: the same bytes).
  if (form.memoLogInfo->Text().size() < log_bytes) std::puts("  (the view is missing lines!)");
  return MedianTime(kTicks, [&] { toolkit.AdvanceMs(500); });
}

double WholeReadTick(std::size_t log_bytes) {
  ScopedTempDir dir;
  WriteWholeFile(ActivityLogPath(dir.path()), LogOfSize(log_bytes));
  return MedianTime(5, [&] {
    const std::string text =
        JoinLines(ReadTextFile(SystemFileSystem(), ActivityLogPath(dir.path())).lines);
    if (text.empty()) std::puts("?");
  });
}

}  // namespace

int main() {
  std::printf("Console idle tick (log and status unchanged), median of %d\n", kTicks);
  const double kb = IdleTick(1024);
  const double mb = IdleTick(1 << 20);
  const double mb50 = IdleTick(50u << 20);
  PrintFigure("1 KB log", kb * 1e6, "us");
  PrintFigure("1 MB log", mb * 1e6, "us");
  PrintFigure("50 MB log", mb50 * 1e6, "us");
  const bool met = PrintRatio("slowest / fastest",
                              std::max({kb, mb, mb50}) / std::min({kb, mb, mb50}), 1.5, true);
  const double peer = WholeReadTick(50u << 20);
  PrintFigure("peer: whole read and decode of the 50 MB log", peer * 1e6, "us");
  std::printf("  %-48s %12.0fx\n", "peer / idle tick with the 50 MB log", peer / mb50);
  return met ? 0 : 1;
}
