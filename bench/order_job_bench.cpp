// Every job is read whole and split into lines before it is composed; a
// job holds 100 lines per label.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/file_system.h"
#include "platform/scoped_temp_dir.h"
#include "shared/order_job.h"

namespace {

std::string JobText(int labels) {
  std::string text;
  for (int label = 0; label < labels; ++label) {
    for (int line = 0; line < 100; ++line) {
      if (line < 12) text += "Line " + std::to_string(line) + " of the order's head";
      if (line >= 25 && line < 36) text += "Mod Line " + std::to_string(line - 25);
      text += "\r\n";
    }
  }
  return text;
}

// Argument: labels in the job (100 lines each).
void BM_ReadOrderJob(benchmark::State& state) {
  cratemark::ScopedTempDir dir;
  const std::string path = dir.path() + "Order.spl";
  cratemark::WriteWholeFile(path, JobText(static_cast<int>(state.range(0))));
  for (auto _ : state) {
    const cratemark::Lines job = cratemark::ReadOrderJob(cratemark::SystemFileSystem(), path);
    benchmark::DoNotOptimize(cratemark::BlockCount(job));
  }
}
BENCHMARK(BM_ReadOrderJob)->Arg(1)->Arg(20);

void BM_SplitJobLines(benchmark::State& state) {
  const std::string text = JobText(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(cratemark::SplitLines(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_SplitJobLines)->Arg(1)->Arg(20);

}  // namespace
