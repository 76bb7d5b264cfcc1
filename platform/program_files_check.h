// The service's start-up check: may everyday users replace the programs the
// service runs? Whoever may put another program or engine library in their
// place runs code as the service at its next start.
#pragma once

#include <string>
#include <vector>

namespace cratemark {

// One warning per file of `paths` that users other than the system's
// administrators and the service's own account may replace (through the
// file itself or the folder that holds it), naming the file, who may, and
// how to put it right. A file whose permissions cannot be read is passed
// over: the check warns, it never stops the service. Thread-safe.
std::vector<std::string> CheckProgramFiles(const std::vector<std::string>& paths);

}  // namespace cratemark
