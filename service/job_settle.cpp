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

bool JobSettleWatch::IsSettled(const std::string& path, const FileStamp& stamp) {
  if (settle_time_.count() <= 0) return true;
  const auto now = clock_.Now();
  // Only one job is watched at a time; forget the others.
  for (auto it = looks_.begin(); it != looks_.end();) {
    it = it->first == path ? std::next(it) : looks_.erase(it);
  }
  if (!stamp.exists) return false;
  if (clock_.FileTimeNowNs() - stamp.modified_ns >=
      std::chrono::duration_cast<std::chrono::nanoseconds>(settle_time_).count()) {
    looks_[path] = {stamp, now};
    return true;
  }
  auto it = looks_.find(path);
  if (it != looks_.end() && it->second.stamp == stamp && now - it->second.seen >= settle_time_) {
    return true;
  }
  if (it == looks_.end() || !(it->second.stamp == stamp)) looks_[path] = {stamp, now};
  return false;
}

bool JobSettleWatch::IsUnchanged(const std::string& path, const FileStamp& stamp) const {
  if (settle_time_.count() <= 0) return true;
  auto it = looks_.find(path);
  return it != looks_.end() && it->second.stamp == stamp;
}

}  // namespace cratemark
