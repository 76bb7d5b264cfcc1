#include "shared/order_job.h"

namespace cratemark {

Lines ReadOrderJob(std::string_view path) { return ReadTextFile(path).lines; }

bool FollowsBlockLayout(const Lines& job) { return job.size() % kJobBlockLines == 0; }

std::size_t BlockCount(const Lines& job) { return job.size() / kJobBlockLines; }

std::string_view JobLine(const Lines& job, std::size_t index) {
  return index < job.size() ? std::string_view(job[index]) : std::string_view();
}

}  // namespace cratemark
