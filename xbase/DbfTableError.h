// The two error classes of table access. Both are the system's one Error
// (platform/error.h), so a caller that handles Error handles them too.
#pragma once

#include <string>

#include "platform/error.h"

namespace cratemark {

// Raised by the table component itself; carries only its message.
class EDbfError : public Error {
 public:
  explicit EDbfError(const std::string& message) : Error(ErrorKind::kOther, message) {}
};

// Raised by the record-set checks (binding fields, finding a field by name,
// entering edit mode): "<object name>: <text>", or the text alone when the
// object has no name.
class EDatabaseError : public Error {
 public:
  explicit EDatabaseError(const std::string& message) : Error(ErrorKind::kOther, message) {}
  static EDatabaseError For(const std::string& object_name, const std::string& text) {
    return EDatabaseError(object_name.empty() ? text : object_name + ": " + text);
  }
};

}  // namespace cratemark
