// libFuzzer target: the label composer over an arbitrary design, job and
// captions, through its public functions only. The input is the four
// captions (one line each), a 0 byte, the design, a 0 byte, and the job.
// Nothing may crash, and every block gives the design's line count at least
// (tags never take lines away).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz/scratch_file.h"
#include "platform/text_file.h"
#include "shared/label_composer.h"
#include "shared/order_job.h"

using namespace cratemark;

namespace {

// The text up to the next 0 byte (or the end), taken off `input`.
std::string_view TakePart(std::string_view& input) {
  const std::size_t end = input.find('\0');
  const std::string_view part = input.substr(0, end);
  input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
  return part;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input = fuzz::AsText(data, size);
  const Lines caption_lines = SplitLines(DecodeText(TakePart(input)));
  const auto caption = [&](std::size_t i) {
    return i < caption_lines.size() ? caption_lines[i] : std::string();
  };
  const LabelCaptions captions{caption(0), caption(1), caption(2), caption(3)};
  const Lines design = SplitLines(DecodeText(TakePart(input)));
  Lines job = SplitLines(DecodeText(input));

  EscapeQuotes(job);
  // Most inputs are no whole blocks; filling the last one lets the composer
  // see them too.
  if (!FollowsBlockLayout(job)) job.resize(BlockCount(job) * kJobBlockLines + kJobBlockLines);
  const Lines labels = ComposeBlocks(job, captions, [&] { return std::optional<Lines>(design); });
  if (labels.size() < BlockCount(job) * design.size()) std::abort();
  return 0;
}
