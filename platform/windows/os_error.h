// Turns a Win32 error code into the system's Error, keeping "not found"
// distinct and putting the number beside the system's text.
#pragma once

#include <string>
#include <string_view>

#include "platform/error.h"

namespace cratemark {

// The system's text for an error code, without its final full stop and line
// break; empty when the system has none.
std::string SystemErrorMessage(unsigned long error_code);

// `what` is the start of the message, e.g. "Cannot open file \"x\".".
Error WindowsError(unsigned long error_code, std::string_view what);

}  // namespace cratemark
