// The engine walking a table and reading every record, as the console does
// with the host's tables.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/xbengine.h"
#include "platform/scoped_temp_dir.h"

namespace {

constexpr int kRecords = 10000;

// A table of kRecords records with a few typical fields.
std::string CreateTable(const cratemark::ScopedTempDir& dir) {
  const std::string path = dir.path() + "BENCH.DBF";
  const int16_t area = xb_CreateNew(path.c_str(), "BENCH", 1, 4);
  xb_CreateField("NAME", "C", 20, 0);
  xb_CreateField("SUBDIR", "C", 40, 0);
  xb_CreateField("QTY", "N", 5, 0);
  xb_CreateField("ACTIVE", "L", 1, 0);
  xb_CreateExec();
  xb_Select(area);
  std::string record(static_cast<size_t>(xb_RecSize()), ' ');
  record.replace(1, 6, "Record");
  for (int i = 0; i < kRecords; ++i) {
    xb_AppendBlank();
    xb_PutRecord(record.c_str());
  }
  xb_Unlock(0);
  xb_Close();
  return path;
}

void BM_EngineWalkAndRead(benchmark::State& state) {
  cratemark::ScopedTempDir dir;
  const std::string path = CreateTable(dir);
  const int16_t area = xb_UseEx(path.c_str(), "WALK", XB_OPEN_READONLY, 1, 1);
  if (area < 1) {
    state.SkipWithError("cannot open the table");
    return;
  }
  std::string record(static_cast<size_t>(xb_RecSize()), '\0');
  for (auto _ : state) {
    int read = 0;
    for (xb_GoTop(); !xb_Eof(); xb_Skip(1)) read += xb_GetRecord(record.data()) != 0;
    if (read != kRecords) state.SkipWithError("walk missed records");
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kRecords);
  xb_Close();
}
BENCHMARK(BM_EngineWalkAndRead)->Unit(benchmark::kMillisecond);

}  // namespace
