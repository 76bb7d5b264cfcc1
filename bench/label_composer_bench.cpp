// Composing labels: the time per block must not grow with the job's size.
// items_per_second counts blocks; it should stay level from 2,000 to 20,000
// lines, also for a job without empty lines (every modifier run reaching the
// job's end).
#include <benchmark/benchmark.h>

#include "shared/label_composer.h"
#include "shared/order_job.h"

namespace {

cratemark::Lines FullJob(int lines) {
  cratemark::Lines job(static_cast<std::size_t>(lines));
  for (int i = 0; i < lines; ++i) job[static_cast<std::size_t>(i)] = "line " + std::to_string(i);
  return job;
}

void BM_ComposeBlocksWithoutEmptyLines(benchmark::State& state) {
  const cratemark::Lines job = FullJob(static_cast<int>(state.range(0)));
  const cratemark::Lines design{"<Reference> <Order Total>", "<Item Name>", "<Item Mod[1]>",
                                "<Item Mod[2]>", "<Item Mod[10]>"};
  const cratemark::LabelCaptions captions{"Labels", "Time:", "Map:", "Total:"};
  for (auto _ : state) {
    benchmark::DoNotOptimize(cratemark::ComposeBlocks(
        job, captions, [&] { return std::optional<cratemark::Lines>(design); }));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0) /
                          static_cast<std::int64_t>(cratemark::kJobBlockLines));
}
BENCHMARK(BM_ComposeBlocksWithoutEmptyLines)->Arg(2000)->Arg(20000);

}  // namespace
