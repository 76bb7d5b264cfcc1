// libFuzzer target: arbitrary bytes as an order job in a spool folder, read
// and cut into blocks as the service does. Nothing may crash, and every line
// the block positions name must be one the job has, or empty past its end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz/scratch_file.h"
#include "platform/error.h"
#include "shared/order_job.h"

using namespace cratemark;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz::Scratch().Write("1234.spl", fuzz::AsText(data, size));
  Lines job;
  try {
    job = ReadOrderJob(SystemFileSystem(), path);
  } catch (const Error&) {
    return 0;  // an unreadable job is reported, never a crash
  }
  const bool in_blocks = FollowsBlockLayout(job);
  if (in_blocks != (job.size() % kJobBlockLines == 0)) std::abort();
  const std::size_t blocks = BlockCount(job);
  if (blocks > job.size() / kJobBlockLines) std::abort();
  for (std::size_t block = 0; block <= blocks; ++block) {
    for (std::size_t line = 0; line < kJobBlockLines; ++line) {
      const std::size_t index = block * kJobBlockLines + line;
      const std::string_view text = JobLine(job, index);
      if (index >= job.size() ? !text.empty() : text != job[index]) std::abort();
    }
  }
  return 0;
}
