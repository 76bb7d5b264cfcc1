#include "service/job_settle.h"

namespace cratemark {

// Half a second covers a host writing a job in pieces; a job whose time lies
// that far back is taken at first sight, so a finished job waits at most one
// more tick.
std::chrono::milliseconds JobSettleTime() { return std::chrono::milliseconds(500); }

}  // namespace cratemark
