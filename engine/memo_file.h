// A dBase III memo file (.DBT): 512-byte blocks; block 0 holds the number of
// the next free block; each text starts at a block of its own and ends with
// two 0x1A bytes. New texts are always appended, so a text that a record still
// points at is never overwritten. See docs/dbf-format.md.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/locked_file.h"

namespace cratemark::engine {

constexpr std::uint32_t kMemoBlockSize = 512;

class MemoFile {
 public:
  // Opens an existing memo file. Throws Error.
  MemoFile(std::string_view path, FileAccess access, FileSharing sharing);

  // The bytes of an empty memo file, for a new table.
  static std::string NewFileBytes();

  // The text starting at `block`; nullopt when the block lies outside the
  // file. Text ends at the first 0x1A (dBase IV blocks: at their length).
  std::optional<std::string> Read(std::uint32_t block) const;

  // Appends `text` and returns its first block, or nullopt when the text
  // cannot be stored (it holds 0x1A, or the file cannot be locked or written).
  // Writers of other processes are kept out with the append lock.
  std::optional<std::uint32_t> Append(std::string_view text, int lock_wait_ms);

  void Flush() { file_.Flush(); }

 private:
  LockedFile file_;
  bool is_shared_;
};

}  // namespace cratemark::engine
