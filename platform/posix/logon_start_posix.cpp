// A terminal program is not started at logon.
#include "platform/logon_start.h"

namespace cratemark {

bool CanStartAtLogon() { return false; }

bool StartsAtLogon() { return false; }

void SetStartAtLogon(bool) {}

}  // namespace cratemark
