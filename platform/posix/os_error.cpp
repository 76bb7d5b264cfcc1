#include "platform/posix/os_error.h"

#include <cerrno>
#include <system_error>

namespace cratemark {

namespace {

ErrorKind KindOf(int error_number) {
  switch (error_number) {
    case ENOENT:
    case ENOTDIR:
      return ErrorKind::kNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
      return ErrorKind::kAccessDenied;
    case EBUSY:
    case ETXTBSY:
      return ErrorKind::kSharingViolation;
    default:
      return ErrorKind::kIo;
  }
}

}  // namespace

Error PosixError(int error_number, std::string_view what) {
  const std::string reason = std::generic_category().message(error_number);
  return Error(KindOf(error_number), std::string(what) + " " + WithErrorCode(reason, error_number));
}

}  // namespace cratemark
