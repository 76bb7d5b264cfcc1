// How long a job file has stayed unchanged, as this machine has seen it.
// A job is complete once nothing has changed it for a while: on a local disk
// on POSIX for JobSettleTime() (a host that closes and reopens the job
// between two appends), where nothing tells of writers for the quiet time.
// On Windows the share mode already refuses a job still being written and
// the settle time is zero. The job rule (job_rule.h) decides with it.
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
  // This machine's wall time on the scale of FileStamp's times, for the
  // records the service writes and a local disk's change times.
  virtual std::int64_t FileTimeNowNs() const = 0;
};

// The system's clocks.
const SettleClock& SystemSettleClock();

// Looks at jobs, each time with the stamp the listing gave. Only this
// machine's monotonic clock measures: a file's own times may come from a
// file server whose clock is behind or ahead.
class JobSettleWatch {
 public:
  // `clock` must outlive the watch.
  explicit JobSettleWatch(const SettleClock& clock = SystemSettleClock()) : clock_(clock) {}

  // Remembers this look at the job `path`, now with `stamp`, and returns how
  // long looks have seen that same stamp: zero for a new or changed one, or
  // a missing file.
  std::chrono::milliseconds Look(const std::string& path, const FileStamp& stamp);

  // Forgets every job not in `paths` (those no longer in the folder), so the
  // watch never holds more than the folder does.
  void KeepOnly(const std::set<std::string>& paths);

 private:
  struct Seen {
    FileStamp stamp;
    std::chrono::steady_clock::time_point seen;  // the first look with this stamp
  };
  const SettleClock& clock_;
  std::map<std::string, Seen> looks_;
};

}  // namespace cratemark
