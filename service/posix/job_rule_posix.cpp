#include "service/job_rule.h"

namespace cratemark {

JobRule LocalJobRule() { return JobRule::kLease; }

}  // namespace cratemark
