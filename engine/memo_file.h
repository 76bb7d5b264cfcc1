// A table's memo file, in one of two formats (see docs/dbf-format.md):
//   .DBT (dBase III): 512-byte blocks; block 0 holds the number of the next
//     free block; each text starts at a block of its own and ends with two
//     0x1A bytes (dBase IV blocks carry their length instead).
//   .FPT (FoxPro): a 512-byte header with the next free block and the block
//     size, big-endian; each entry starts at a block of its own with its kind
//     and its length, big-endian, then its bytes, any bytes.
// New entries are always appended, so an entry that a record still points at
// is never overwritten.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/table_header.h"
#include "platform/locked_file.h"

namespace cratemark::engine {

constexpr std::uint32_t kMemoBlockSize = 512;   // .DBT, always
constexpr std::uint32_t kFptHeaderSize = 512;   // .FPT, before the first block
constexpr std::uint16_t kFptNewBlockSize = 64;  // what FoxPro gives a new .FPT
constexpr std::uint32_t kFptKindPicture = 0;    // kinds of an .FPT entry
constexpr std::uint32_t kFptKindText = 1;
constexpr std::uint32_t kFptKindObject = 2;

// The .FPT kind of an entry for a field of `type` ("M" text, "G" object,
// binary otherwise). A .DBT keeps no kind.
std::uint32_t MemoBlockKindFor(char type);

// The block number a record's memo field holds: digits, blank-padded, or
// with `is_binary` FoxPro's 4 bytes, low byte first. 0 (blanks, zeros) is no
// memo; nullopt when the bytes are neither.
std::optional<std::uint32_t> ParseMemoReference(std::string_view bytes, bool is_binary);

// The bytes of a `width`-byte memo field that points at `block` (0: no
// memo), nullopt when the number does not fit.
std::optional<std::string> EncodeMemoReference(std::uint32_t block, std::size_t width,
                                               bool is_binary);

class MemoFile {
 public:
  // Opens an existing memo file. Throws Error; an .FPT whose header cannot
  // be read gives Error kInvalidData.
  MemoFile(std::string_view path, MemoFormat format, FileAccess access, FileSharing sharing);

  // The bytes of an empty memo file, for a new table.
  static std::string NewFileBytes(MemoFormat format);

  // The entry starting at `block`; nullopt when it lies outside the file.
  // .DBT text ends at the first 0x1A (dBase IV blocks: at their length);
  // .FPT entries at their length.
  std::optional<std::string> Read(std::uint32_t block) const;

  // Appends `bytes` (an .FPT entry of `kind`) and returns its first block, or
  // nullopt when it cannot be stored (a .DBT text holding 0x1A, or the file
  // cannot be locked or written). Writers of other processes are kept out
  // with the append lock.
  std::optional<std::uint32_t> Append(std::string_view bytes, std::uint32_t kind, int lock_wait_ms);

  void Flush() { file_.Flush(); }

 private:
  std::optional<std::string> ReadDbt(std::uint64_t start, std::uint64_t size) const;
  std::optional<std::string> ReadFpt(std::uint64_t start, std::uint64_t size) const;
  // What an entry occupies, padded to whole blocks.
  std::string EntryBytes(std::string_view bytes, std::uint32_t kind) const;

  LockedFile file_;
  MemoFormat format_;
  std::uint32_t block_size_;
  bool is_shared_;
};

}  // namespace cratemark::engine
