#include "service/job_settle.h"

namespace cratemark {
namespace {

class SystemClock : public SettleClock {
 public:
  std::chrono::steady_clock::time_point Now() const override {
    return std::chrono::steady_clock::now();
  }
  std::int64_t FileTimeNowNs() const override {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
  }
};

}  // namespace

const SettleClock& SystemSettleClock() {
  static const SystemClock clock;
  return clock;
}

std::chrono::milliseconds JobSettleWatch::Look(const std::string& path, const FileStamp& stamp) {
  const auto now = clock_.Now();
  if (!stamp.exists) {
    looks_.erase(path);
    return std::chrono::milliseconds(0);
  }
  auto [it, inserted] = looks_.try_emplace(path, Seen{stamp, now});
  if (!inserted && !(it->second.stamp == stamp)) it->second = {stamp, now};
  return std::chrono::duration_cast<std::chrono::milliseconds>(now - it->second.seen);
}

void JobSettleWatch::KeepOnly(const std::set<std::string>& paths) {
  std::erase_if(looks_, [&](const auto& look) { return !paths.contains(look.first); });
}

}  // namespace cratemark
