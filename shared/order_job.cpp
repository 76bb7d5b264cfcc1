#include "shared/order_job.h"

#include "platform/file_system.h"

namespace cratemark {

Lines ReadOrderJob(FileSystem& fs, std::string_view path) { return ReadTextFile(fs, path).lines; }

Lines OrderJobLines(std::string_view bytes) { return SplitLines(DecodeText(bytes)); }

Lines ReadOrderJobIn(FileSystem& fs, std::string_view folder, std::string_view name) {
  return OrderJobLines(fs.ReadFileIn(folder, name, kMaxJobBytes));
}

bool FollowsBlockLayout(const Lines& job) { return job.size() % kJobBlockLines == 0; }

std::size_t BlockCount(const Lines& job) { return job.size() / kJobBlockLines; }

std::string_view JobLine(const Lines& job, std::size_t index) {
  return index < job.size() ? std::string_view(job[index]) : std::string_view();
}

}  // namespace cratemark
