// The label composer replaces 18 tags, one after the other, in the whole
// label text, for every block of every job.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/text.h"

namespace {

const char* const kTags[] = {
    "<Address>",
    "<City and Town>",
    "<Directions>",
    "<Employee>",
    "<Item Mod[1]>",
    "<Item Name>",
    "<Label Header (Parsed)>",
    "<Label Header>",
    "<Map Code (Parsed)>",
    "<Map Code>",
    "<Order Time (Parsed)>",
    "<Order Time>",
    "<Order Total>",
    "<Phone>",
    "<Reference>",
    "<Revenue Center>",
    "<Total Text>",
    "<Transaction Description>",
};

// About the size of a label design with printer control text around the tags.
std::string LabelDesign() {
  std::string design;
  for (int copy = 0; copy < 3; ++copy) {
    for (const char* tag : kTags) {
      design += "^FO50,";
      design += std::to_string(copy * 40);
      design += "^A0N,28,28^FD";
      design += tag;
      design += "^FS\r\n";
    }
  }
  return design;
}

void BM_ReplaceAllNoCaseOneTag(benchmark::State& state) {
  const std::string design = LabelDesign();
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        cratemark::ReplaceAllNoCase(design, "<item name>", "99 Item Name Goes Here"));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * design.size()));
}
BENCHMARK(BM_ReplaceAllNoCaseOneTag);

void BM_ReplaceAllNoCaseEveryTag(benchmark::State& state) {
  const std::string design = LabelDesign();
  for (auto _ : state) {
    std::string label = design;
    for (const char* tag : kTags) label = cratemark::ReplaceAllNoCase(label, tag, "Value Text");
    benchmark::DoNotOptimize(label);
  }
}
BENCHMARK(BM_ReplaceAllNoCaseEveryTag);

}  // namespace
