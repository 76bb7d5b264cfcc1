// Where a program without a window reports failures: the Windows event log;
// on POSIX syslog (identity: the program's file name) and standard error.
#pragma once

#include <string_view>

namespace cratemark {

// `source` names the reporter (program file name or service name).
void ReportError(std::string_view source, std::string_view message);

}  // namespace cratemark
