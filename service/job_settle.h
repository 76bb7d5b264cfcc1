// Whether a job file has stopped changing. Where another program's open for
// writing cannot be seen (POSIX), a job is only taken once its size and
// modification time have stayed the same for JobSettleTime(); on Windows the
// share mode already refuses a job still being written and the time is zero.
#pragma once

#include <chrono>
#include <map>
#include <string>

#include "platform/file_system.h"

namespace cratemark {

// The platform's settle time (POSIX: 500 ms, or CRATEMARK_JOB_SETTLE_MS).
std::chrono::milliseconds JobSettleTime();

class JobSettleWatch {
 public:
  explicit JobSettleWatch(std::chrono::milliseconds settle_time) : settle_time_(settle_time) {}

  // True when the file at `path` has not changed for the settle time: its
  // modification time lies that far back, or an earlier look that long ago
  // saw the same size and time. Otherwise remembers what it saw.
  bool IsSettled(const std::string& path);

  // True when the file still has the stamp IsSettled last accepted.
  bool IsUnchanged(const std::string& path) const;

 private:
  struct Look {
    FileStamp stamp;
    std::chrono::steady_clock::time_point seen;
  };
  std::chrono::milliseconds settle_time_;
  std::map<std::string, Look> looks_;
};

}  // namespace cratemark
