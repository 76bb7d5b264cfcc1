// One activity log line after 10, 10,000 and 1,000,000 lines: the cost of a
// line must not grow with the log. The peer is the earlier way, rewriting the
// whole file per line, measured at 10,000 lines in the same run.
#include <cstdio>
#include <string>

#include "bench/bench_util.h"
#include "platform/file_system.h"
#include "platform/scoped_temp_dir.h"
#include "platform/text_file.h"
#include "shared/activity_log.h"

using namespace cratemark;
using namespace cratemark::bench;

namespace {

const LocalTime kTime{2026, 2, 3, 14, 5, 9, 0};
constexpr int kTimedLines = 100;

// A log of `lines` lines written by one process: its first line through the
// log, the rest added to the file in one go (what the log would have
// appended; it keeps nothing of them in memory), then `kTimedLines` timed.
double LineTimeAfter(int lines) {
  ScopedTempDir dir;  // on the disk, as the program folder is
  ActivityLog log(SystemFileSystem(), dir.path());
  log.WriteAt(kTime, "! Starting service...");
  const std::string line =
      LogLineText(kTime, "-> Loading from /opt/tolvan/PreLabel/1234.spl") + "\r\n";
  std::string bulk;
  for (int i = 1; i < lines; ++i) {
    bulk += line;
    if (bulk.size() > (1 << 24)) {
      AppendToFile(ActivityLogPath(dir.path()), bulk);
      bulk.clear();
    }
  }
  AppendToFile(ActivityLogPath(dir.path()), bulk);
  return MedianTime(kTimedLines,
                    [&] { log.WriteAt(kTime, "++ Sending to /opt/tolvan/Label1/1234.spl"); });
}

// The earlier way: every line rewrites the whole file.
double RewriteTimeAfter(int lines) {
  ScopedTempDir dir;
  Lines all(lines, LogLineText(kTime, "-> Loading from /opt/tolvan/PreLabel/1234.spl"));
  return MedianTime(10, [&] {
    all.push_back(LogLineText(kTime, "++ Sending to /opt/tolvan/Label1/1234.spl"));
    WriteTextFile(SystemFileSystem(), ActivityLogPath(dir.path()), all, TextEncoding::kAnsi);
  });
}

}  // namespace

int main() {
  std::printf("Activity log: one line (write + flush to disk), median of %d\n", kTimedLines);
  const double after_10 = LineTimeAfter(10);
  const double after_10k = LineTimeAfter(10000);
  const double after_1m = LineTimeAfter(1000000);
  PrintFigure("after 10 lines", after_10 * 1e3, "ms");
  PrintFigure("after 10,000 lines", after_10k * 1e3, "ms");
  PrintFigure("after 1,000,000 lines", after_1m * 1e3, "ms");
  const double slowest = std::max({after_10, after_10k, after_1m});
  const double fastest = std::min({after_10, after_10k, after_1m});
  const bool met = PrintRatio("slowest / fastest", slowest / fastest, 1.5, true);
  const double rewrite_10k = RewriteTimeAfter(10000);
  PrintFigure("peer: whole rewrite after 10,000 lines", rewrite_10k * 1e3, "ms");
  std::printf("  %-48s %12.1fx\n", "peer / append after 10,000 lines", rewrite_10k / after_10k);
  return met ? 0 : 1;
}
