// The one error type of the system: a kind plus a message that says what
// failed and on which file. OS error codes become an Error at the seam.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace cratemark {

// The notes stay in one column.
// clang-format off
enum class ErrorKind {
  kNotFound,           // file or directory does not exist
  kAccessDenied,       // no permission, or a directory where a file was expected
  kSharingViolation,   // another program holds the file
  kIo,                 // any other failure of the operating system
  kInvalidData,        // content that cannot be decoded or parsed
  kTooLarge,           // more than a reader accepts
  kNotAFile,           // a folder, link, FIFO, device or socket where a file was expected
  kUnsupported,        // the file system does not offer the operation
  kAlreadyServed,      // another process already serves what this one would
  kOther,
};
// clang-format on

class Error : public std::runtime_error {
 public:
  Error(ErrorKind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
  ErrorKind kind() const { return kind_; }

 private:
  ErrorKind kind_;
};

// A system's text with its number beside it, "Access is denied (5)": the
// text may be translated, and unreadable to whoever reads the report.
inline std::string WithErrorCode(std::string_view text, long long code) {
  return std::string(text) + " (" + std::to_string(code) + ")";
}

}  // namespace cratemark
