#include "service/job_settle.h"

namespace cratemark {

// Half a second covers a host writing a job in pieces; on a local disk a job
// whose change time (stamped by this machine's kernel) lies that far back is
// taken at first sight, so a finished job waits at most one more tick.
std::chrono::milliseconds JobSettleTime() { return std::chrono::milliseconds(500); }

}  // namespace cratemark
