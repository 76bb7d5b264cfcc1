// The two error classes of table access.
#pragma once

#include <stdexcept>
#include <string>

namespace cratemark {

// Raised by the table component itself; carries only its message.
class EDbfError : public std::runtime_error {
 public:
  explicit EDbfError(const std::string& message) : std::runtime_error(message) {}
};

// Raised by the record-set checks (binding fields, finding a field by name,
// entering edit mode): "<object name>: <text>", or the text alone when the
// object has no name.
class EDatabaseError : public std::runtime_error {
 public:
  explicit EDatabaseError(const std::string& message) : std::runtime_error(message) {}
  static EDatabaseError For(const std::string& object_name, const std::string& text) {
    return EDatabaseError(object_name.empty() ? text : object_name + ": " + text);
  }
};

}  // namespace cratemark
