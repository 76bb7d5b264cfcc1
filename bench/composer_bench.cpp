// Composing jobs of 1, 10, 100 and 1,000 blocks: the time per block must not
// grow with the job's size. Calls the composer's public function with a
// design read from memory, so only composing is timed.
#include <cstdio>
#include <string>

#include "bench/bench_util.h"
#include "shared/label_composer.h"

using namespace cratemark;
using namespace cratemark::bench;

namespace {

Lines JobOfBlocks(int blocks) {
  Lines job;
  for (int b = 0; b < blocks; ++b) {
    job.push_back("Order " + std::to_string(b));
    for (int i = 1; i < 100; ++i) job.push_back(i < 30 ? "line " + std::to_string(i) : "");
  }
  return job;
}

double TimePerBlock(int blocks) {
  const Lines job = JobOfBlocks(blocks);
  const Lines design = {"<Reference>",   "<Employee> <Total>", "<Item Name>", "<Item Mod[1]>",
                        "<Item Mod[2]>", "<Address>",          "<Phone>"};
  const LabelCaptions captions{"Labels", "Time:", "Map:", "Total:"};
  const int runs = std::max(3, 2000 / blocks);
  const double run = MedianTime(runs, [&] {
    const Lines labels = ComposeBlocks(job, captions, [&] { return std::optional<Lines>(design); });
    if (labels.empty()) std::puts("?");
  });
  return run / blocks;
}

}  // namespace

int main() {
  std::printf("Composing: time per block\n");
  double fastest = 1e9, slowest = 0;
  for (int blocks : {1, 10, 100, 1000}) {
    const double t = TimePerBlock(blocks);
    PrintFigure("job of " + std::to_string(blocks) + " blocks, per block", t * 1e6, "us");
    fastest = std::min(fastest, t);
    slowest = std::max(slowest, t);
  }
  return PrintRatio("slowest / fastest per block", slowest / fastest, 1.5, true) ? 0 : 1;
}
