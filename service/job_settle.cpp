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

bool JobSettleWatch::IsSettled(const std::string& path, const FileStamp& stamp,
                               std::chrono::milliseconds settle_time) {
  if (settle_time.count() <= 0) return true;
  const auto now = clock_.Now();
  if (!stamp.exists) return false;
  if (clock_.FileTimeNowNs() - stamp.modified_ns >=
      std::chrono::duration_cast<std::chrono::nanoseconds>(settle_time).count()) {
    looks_[path] = {stamp, now};
    return true;
  }
  auto it = looks_.find(path);
  if (it != looks_.end() && it->second.stamp == stamp && now - it->second.seen >= settle_time) {
    return true;
  }
  if (it == looks_.end() || !(it->second.stamp == stamp)) looks_[path] = {stamp, now};
  return false;
}

void JobSettleWatch::KeepOnly(const std::set<std::string>& paths) {
  std::erase_if(looks_, [&](const auto& look) { return !paths.contains(look.first); });
}

}  // namespace cratemark
