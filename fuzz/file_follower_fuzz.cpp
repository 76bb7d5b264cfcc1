// The console's log follower over arbitrary log bytes: a first part written
// whole, then a second part appended as the service appends. What the view
// holds after each poll (the whole text, or the earlier text and the lines
// appended to it) must be what decoding the file whole gives for the bytes
// taken so far: the whole file, or it up to its last line end.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "console/file_follower.h"
#include "fuzz/scratch_file.h"
#include "platform/file_system.h"
#include "platform/text_file.h"

using namespace cratemark;

namespace {

std::string WholeText(std::string_view bytes) { return JoinLines(SplitLines(DecodeText(bytes))); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const std::string input(fuzz::AsText(data + 2, size - 2));
  const std::size_t split = (std::size_t{data[0]} << 8 | data[1]) % (input.size() + 1);
  const std::string first = input.substr(0, split), second = input.substr(split);

  const fuzz::ScratchFolder& scratch = fuzz::Scratch();
  const std::string path = scratch.Write("Cratemark.txt", first);
  FileFollower follower(SystemFileSystem(), path, /*may_append=*/true);
  FileFollower::Update update = follower.Poll();
  if (update.change != FileFollower::Change::kReplaced || update.text != WholeText(first)) {
    std::abort();
  }
  std::string view = update.text;

  if (second.empty()) return 0;
  AppendToFile(path, second);
  update = follower.Poll();
  const std::string whole = first + second;
  switch (update.change) {
    case FileFollower::Change::kReplaced:
      if (update.text != WholeText(whole)) std::abort();
      break;
    case FileFollower::Change::kAppended: {
      view += update.text;
      // Appended lines stop at the last line end; the rest comes later.
      const std::size_t line_end = whole.rfind('\n');
      if (line_end == std::string::npos || view != WholeText(whole.substr(0, line_end + 1))) {
        std::abort();
      }
      break;
    }
    case FileFollower::Change::kNone:
      std::abort();  // the file grew
  }
  return 0;
}
