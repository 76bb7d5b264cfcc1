// Keeping one delivered order in "Printed" when the folder is empty and when
// it holds the 1,000 it keeps at most (each new one then removes the
// oldest): the cost must stay flat, however full the folder is. On the disk,
// as the program folder is.
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "platform/file_system.h"
#include "platform/scoped_temp_dir.h"
#include "shared/printed_folder.h"

using namespace cratemark;
using namespace cratemark::bench;

namespace {

constexpr int kTimed = 100;
constexpr int kRounds = 5;
constexpr std::int64_t kStartNs = 1'800'000'000'000'000'000;

// A job of three labels, as the host writes them.
std::string ThreeLabelJob() {
  std::string job;
  for (int i = 0; i < 300; ++i)
    job += (i % 100 == 0 ? "Ann Smith" : i % 100 == 20 ? "Soup" : "") + std::string("\r\n");
  return job;
}

// A folder that keeps orders, with `kept` kept already.
class Keeper {
 public:
  explicit Keeper(std::size_t kept) : folder_(SystemFileSystem(), dir_.path()) {
    for (std::size_t i = 0; i < kept; ++i) Keep();
  }
  void Keep() {
    if (folder_.Keep({++now_, "1234.spl", PrintedWhere::kPrinter, "Label1"}, job_)) {
      std::fprintf(stderr, "a keep failed\n");
    }
  }

 private:
  ScopedTempDir dir_;  // on the disk, as the program folder is
  PrintedFolder folder_;
  std::string job_ = ThreeLabelJob();
  std::int64_t now_ = kStartNs;
};

}  // namespace

int main() {
  std::printf(
      "Printed folder: keeping one order (write + sync, removing the oldest), %d rounds of %d\n",
      kRounds, kTimed);
  // Started at none, the one folder holds at most kRounds * kTimed: far
  // from full. The two are timed in turn, so that what other programs do to
  // the disk meanwhile falls on both alike.
  Keeper none(0);
  Keeper thousand(kPrintedMaxJobs);
  std::vector<double> empty_samples, full_samples, ratios;
  for (int round = 0; round < kRounds; ++round) {
    std::vector<double> empty_round, full_round;
    for (int i = 0; i < kTimed; ++i) {
      empty_round.push_back(MedianTime(1, [&] { none.Keep(); }));
      full_round.push_back(MedianTime(1, [&] { thousand.Keep(); }));
    }
    ratios.push_back(Median(full_round) / Median(empty_round));
    empty_samples.insert(empty_samples.end(), empty_round.begin(), empty_round.end());
    full_samples.insert(full_samples.end(), full_round.begin(), full_round.end());
  }
  PrintFigure("with none kept (median)", Median(empty_samples) * 1e3, "ms");
  PrintFigure("with 1,000 kept (median)", Median(full_samples) * 1e3, "ms");
  // Each round's ratio, to show how much of the figure is the shared disk.
  for (std::size_t i = 0; i < ratios.size(); ++i) {
    std::printf("  %-48s %12.2fx\n", ("round " + std::to_string(i + 1)).c_str(), ratios[i]);
  }
  const bool met =
      PrintRatio("1,000 kept / none kept", Median(full_samples) / Median(empty_samples), 1.5, true);
  return met ? 0 : 1;
}
