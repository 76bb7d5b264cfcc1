#include <windows.h>

#include "platform/folder_claim.h"
#include "platform/windows/os_error.h"
#include "platform/windows/wide_string.h"

namespace cratemark {
namespace {

class LockedFileClaim : public FolderClaim {
 public:
  explicit LockedFileClaim(HANDLE file) : file_(file) {}
  ~LockedFileClaim() override { CloseHandle(file_); }  // closing drops the lock

 private:
  HANDLE file_;
};

}  // namespace

std::unique_ptr<FolderClaim> ClaimFolder(std::string_view path) {
  HANDLE file = CreateFileW(ToWide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, /*lpSecurityAttributes=*/nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, /*hTemplateFile=*/nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    throw WindowsError(GetLastError(), "Cannot open file \"" + std::string(path) + "\".");
  }
  OVERLAPPED at{};
  if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, /*dwReserved=*/0,
                  /*nNumberOfBytesToLockLow=*/1, /*nNumberOfBytesToLockHigh=*/0, &at)) {
    const DWORD code = GetLastError();
    CloseHandle(file);
    if (code == ERROR_LOCK_VIOLATION || code == ERROR_IO_PENDING) return nullptr;
    throw WindowsError(code, "Cannot lock file \"" + std::string(path) + "\".");
  }
  return std::make_unique<LockedFileClaim>(file);
}

}  // namespace cratemark
