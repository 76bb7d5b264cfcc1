// Whether a job file has stopped changing. Where another program's open for
// writing cannot be seen (POSIX), a job is only taken once its size and
// modification time have stayed the same for JobSettleTime(); on Windows the
// share mode already refuses a job still being written and the time is zero.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "platform/file_system.h"

namespace cratemark {

// The platform's settle time (POSIX: 500 ms; Windows: none).
std::chrono::milliseconds JobSettleTime();

// The clocks the watch reads; tests move a clock of their own by hand.
class SettleClock {
 public:
  virtual ~SettleClock() = default;
  // Monotonic time, for how long a job has been seen unchanged.
  virtual std::chrono::steady_clock::time_point Now() const = 0;
  // Wall time on the scale of FileStamp::modified_ns.
  virtual std::int64_t FileTimeNowNs() const = 0;
};

// The system's clocks.
const SettleClock& SystemSettleClock();

class JobSettleWatch {
 public:
  // `clock` must outlive the watch.
  explicit JobSettleWatch(std::chrono::milliseconds settle_time,
                          const SettleClock& clock = SystemSettleClock())
      : settle_time_(settle_time), clock_(clock) {}

  // True when the job `path`, now with `stamp`, has not changed for the
  // settle time: its modification time lies that far back, or an earlier look
  // that long ago saw the same size and time. Otherwise remembers what it saw.
  bool IsSettled(const std::string& path, const FileStamp& stamp) {
    return IsSettled(path, stamp, settle_time_);
  }
  // The same for a time of the caller's.
  bool IsSettled(const std::string& path, const FileStamp& stamp, std::chrono::milliseconds time);

  // Forgets every job not in `paths` (those no longer in the folder), so the
  // watch never holds more than the folder does.
  void KeepOnly(const std::set<std::string>& paths);

 private:
  struct Look {
    FileStamp stamp;
    std::chrono::steady_clock::time_point seen;
  };
  std::chrono::milliseconds settle_time_;
  const SettleClock& clock_;
  std::map<std::string, Look> looks_;
};

}  // namespace cratemark
