#include "service/job_rule.h"

namespace cratemark {

JobRule LocalJobRule() { return JobRule::kShareMode; }

}  // namespace cratemark
