// Windows side of LockedFile: share modes keep exclusive opens to themselves,
// LockFileEx locks belong to the handle.
#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/error.h"
#include "platform/locked_file.h"
#include "platform/windows/os_error.h"
#include "platform/windows/wide_string.h"

namespace cratemark {
namespace {

HANDLE Handle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

Error LastError(const std::string& what) { return WindowsError(GetLastError(), what); }

OVERLAPPED At(std::uint64_t offset) {
  OVERLAPPED overlapped = {};
  overlapped.Offset = static_cast<DWORD>(offset);
  overlapped.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return overlapped;
}

HANDLE OpenHandle(const std::wstring& path, DWORD desired_access, DWORD share_mode) {
  return CreateFileW(path.c_str(), desired_access, share_mode,
                     /*lpSecurityAttributes=*/nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                     /*hTemplateFile=*/nullptr);
}

}  // namespace

LockedFile::LockedFile(std::string_view path, FileAccess access, FileSharing sharing)
    : path_(path) {
  const std::wstring wide_path = ToWide(path);
  const std::string what = "Cannot open file \"" + std::string(path) + "\".";
  const DWORD share_mode =
      sharing == FileSharing::kExclusive ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE;
  HANDLE handle = INVALID_HANDLE_VALUE;
  if (access == FileAccess::kRead || access == FileAccess::kReadWithLocks) {
    handle = OpenHandle(wide_path, GENERIC_READ, share_mode);
  } else {
    handle = OpenHandle(wide_path, GENERIC_READ | GENERIC_WRITE, share_mode);
    is_writable_ = handle != INVALID_HANDLE_VALUE;
    const DWORD error = GetLastError();
    // A read-only file, or another program that denies writing, still
    // leaves reading (and locking) to us.
    if (handle == INVALID_HANDLE_VALUE && access == FileAccess::kReadWriteIfAllowed &&
        (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION)) {
      handle = OpenHandle(wide_path, GENERIC_READ, share_mode);
    }
  }
  if (handle == INVALID_HANDLE_VALUE) throw LastError(what);
  handle_ = reinterpret_cast<std::intptr_t>(handle);
}

std::string LockedFile::Failed(std::string_view verb) const {
  return "Cannot " + std::string(verb) + " file \"" + path_ + "\".";
}

LockedFile::~LockedFile() { CloseHandle(Handle(handle_)); }

std::uint64_t LockedFile::Size() const {
  LARGE_INTEGER size = {};
  if (!GetFileSizeEx(Handle(handle_), &size)) throw LastError(Failed("read the size of"));
  return static_cast<std::uint64_t>(size.QuadPart);
}

std::size_t LockedFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const {
  std::size_t done = 0;
  while (done < size) {
    OVERLAPPED overlapped = At(offset + done);
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
    DWORD read = 0;
    if (!ReadFile(Handle(handle_), static_cast<char*>(buffer) + done, chunk, &read, &overlapped)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      throw LastError(Failed("read"));
    }
    if (read == 0) break;
    done += read;
  }
  return done;
}

void LockedFile::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    OVERLAPPED overlapped = At(offset + done);
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(Handle(handle_), static_cast<const char*>(data) + done, chunk, &written,
                   &overlapped) ||
        written == 0) {
      throw LastError(Failed("write"));
    }
    done += written;
  }
}

void LockedFile::Truncate(std::uint64_t size) {
  FILE_END_OF_FILE_INFO end = {};
  end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
  if (!SetFileInformationByHandle(Handle(handle_), FileEndOfFileInfo, &end, sizeof(end))) {
    throw LastError(Failed("truncate"));
  }
}

void LockedFile::Flush() {
  if (!FlushFileBuffers(Handle(handle_))) throw LastError(Failed("flush"));
}

bool LockedFile::TryLock(std::uint64_t offset, std::uint64_t length) {
  OVERLAPPED overlapped = At(offset);
  return LockFileEx(Handle(handle_), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY,
                    /*dwReserved=*/0, static_cast<DWORD>(length), static_cast<DWORD>(length >> 32),
                    &overlapped) != 0;
}

void LockedFile::Unlock(std::uint64_t offset, std::uint64_t length) {
  OVERLAPPED overlapped = At(offset);
  UnlockFileEx(Handle(handle_), /*dwReserved=*/0, static_cast<DWORD>(length),
               static_cast<DWORD>(length >> 32), &overlapped);
}

ReplaceClaim::ReplaceClaim(std::string_view path) {
  // Opening without sharing fails while any other handle is open. The claim
  // is let go at once: a file held open by us could not be replaced, and
  // one opened in between makes the replace fail by itself.
  HANDLE handle = OpenHandle(ToWide(path), GENERIC_READ, /*share_mode=*/0);
  if (handle != INVALID_HANDLE_VALUE) {
    CloseHandle(handle);
    return;
  }
  if (GetLastError() == ERROR_SHARING_VIOLATION) {
    throw Error(ErrorKind::kSharingViolation,
                "Cannot replace file \"" + std::string(path) + "\". Another program has it open.");
  }
  // Missing, or something the replace will report itself.
}

ReplaceClaim::~ReplaceClaim() = default;

}  // namespace cratemark
