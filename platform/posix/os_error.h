// Turns an errno value into the system's Error, keeping "not found" distinct
// and putting the number beside the system's text.
#pragma once

#include <string>
#include <string_view>

#include "platform/error.h"

namespace cratemark {

// `what` is the start of the message, e.g. "Cannot open file \"x\".".
Error PosixError(int error_number, std::string_view what);

}  // namespace cratemark
