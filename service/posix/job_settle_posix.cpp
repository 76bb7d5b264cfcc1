#include <cstdlib>

#include "service/job_settle.h"

namespace cratemark {

std::chrono::milliseconds JobSettleTime() {
  // Tests shorten the wait; half a second covers a host writing in pieces.
  if (const char* value = std::getenv("CRATEMARK_JOB_SETTLE_MS")) {
    return std::chrono::milliseconds(std::atol(value));
  }
  return std::chrono::milliseconds(500);
}

}  // namespace cratemark
