#include "platform/windows/os_error.h"

#include <windows.h>

#include "platform/windows/wide_string.h"

namespace cratemark {

namespace {

ErrorKind KindOf(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
      return ErrorKind::kNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return ErrorKind::kAccessDenied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return ErrorKind::kSharingViolation;
    default:
      return ErrorKind::kIo;
  }
}

}  // namespace

std::string SystemErrorMessage(unsigned long error_code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      /*lpSource=*/nullptr, error_code, /*dwLanguageId=*/0, reinterpret_cast<wchar_t*>(&buffer),
      /*nSize=*/0, /*Arguments=*/nullptr);
  std::wstring text = length && buffer ? std::wstring(buffer, length) : std::wstring();
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() <= L' ' || text.back() == L'.')) text.pop_back();
  return FromWide(text);
}

Error WindowsError(unsigned long error_code, std::string_view what) {
  std::string text = SystemErrorMessage(error_code);
  if (text.empty()) text = "System error";
  return Error(KindOf(error_code), std::string(what) + " " + WithErrorCode(text, error_code));
}

}  // namespace cratemark
