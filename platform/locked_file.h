// An open file with positioned reads and writes and byte-range locks, for
// tables that several programs use at once. One object is one owner of its
// locks: two objects on the same file, even in one process, lock against each
// other, and closing one leaves the other's locks alone.
//
// Not thread-safe: one thread uses an object at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace cratemark {

enum class FileAccess {
  kRead,                // reading only
  kReadWrite,           // reading and writing; fails when writing is not allowed
  kReadWriteIfAllowed,  // read-write where the file allows it, else reading only
  // Reading only, with exclusive locks. Windows asks for read access alone,
  // so a program that opens the file after us denying writers still can;
  // POSIX, which has no share modes but grants an exclusive lock only to a
  // descriptor open for writing, opens for writing where the file allows it.
  // Either way is_writable() is false: nothing is written through it.
  kReadWithLocks,
};

enum class FileSharing {
  kShared,     // other programs may open the file too (unless they want it alone)
  kExclusive,  // nobody else may open the file while this object holds it
};

class LockedFile {
 public:
  // Opens an existing file at a native path (see ResolvePath). Throws Error
  // (kNotFound, kAccessDenied, kSharingViolation, kIo) naming the path.
  LockedFile(std::string_view path, FileAccess access, FileSharing sharing);
  ~LockedFile();
  LockedFile(const LockedFile&) = delete;
  LockedFile& operator=(const LockedFile&) = delete;

  bool is_writable() const { return is_writable_; }
  const std::string& path() const { return path_; }

  std::uint64_t Size() const;
  // Reads up to `size` bytes at `offset`; returns how many were read (fewer
  // only at the end of the file).
  std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const;
  // Writes all `size` bytes at `offset`. Throws Error.
  void WriteAt(std::uint64_t offset, const void* data, std::size_t size);
  void Truncate(std::uint64_t size);  // throws Error
  void Flush();                       // to the disk; throws Error

  // One attempt at an exclusive lock on [offset, offset + length); never
  // waits. Locks may lie beyond the end of the file. Taking a range that this
  // object already holds is the caller's business to avoid.
  bool TryLock(std::uint64_t offset, std::uint64_t length);
  void Unlock(std::uint64_t offset, std::uint64_t length);

 private:
  // Every failure names the file, and carries the system's code.
  std::string Failed(std::string_view verb) const;

  std::string path_;
  std::intptr_t handle_;  // file descriptor or HANDLE
  bool is_writable_ = false;
};

// Claims a file that is about to be replaced whole (WriteWholeFile), so that
// replacing it cannot pull a table out from under a program that has it open.
// Throws Error kSharingViolation while a LockedFile anywhere (this process
// included) holds the file open, and leaves the file alone. A missing file
// needs no claim. While the claim lives, new LockedFile opens of the file fail
// (POSIX); on Windows the replace itself fails when one comes in between.
class ReplaceClaim {
 public:
  explicit ReplaceClaim(std::string_view path);
  ~ReplaceClaim();
  ReplaceClaim(const ReplaceClaim&) = delete;
  ReplaceClaim& operator=(const ReplaceClaim&) = delete;

 private:
  std::intptr_t handle_ = -1;  // file descriptor held on POSIX; unused on Windows
};

}  // namespace cratemark
