#include "service/job_settle.h"

namespace cratemark {

bool JobSettleWatch::IsSettled(const std::string& path) {
  if (settle_time_.count() <= 0) return true;
  const FileStamp stamp = StampOf(path);
  const auto now = std::chrono::steady_clock::now();
  const auto wall_now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
  // Only one job is watched at a time; forget the others.
  for (auto it = looks_.begin(); it != looks_.end();) {
    it = it->first == path ? std::next(it) : looks_.erase(it);
  }
  if (!stamp.exists) return false;
  if (wall_now - stamp.modified_ns >=
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

bool JobSettleWatch::IsUnchanged(const std::string& path) const {
  if (settle_time_.count() <= 0) return true;
  auto it = looks_.find(path);
  return it != looks_.end() && it->second.stamp == StampOf(path);
}

}  // namespace cratemark
