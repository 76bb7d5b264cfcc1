#include "engine/memo_file.h"

#include <algorithm>

#include "engine/append_lock.h"
#include "engine/byte_order.h"
#include "engine/lock_scheme.h"
#include "platform/error.h"

namespace cratemark::engine {
namespace {

constexpr std::uint8_t kDbtVersion = 0x03;
// dBase IV marks a used block with these four bytes, then a 32-bit length
// that counts those eight bytes too.
constexpr std::string_view kDbase4BlockMark("\xFF\xFF\x08\x00", 4);
constexpr std::size_t kDbase4BlockHeader = 8;
// An .FPT entry starts with its kind and its length, 4 bytes each.
constexpr std::size_t kFptEntryHeader = 8;
constexpr std::size_t kFptBlockSizeOffset = 6;

std::uint64_t BlocksFor(std::uint64_t bytes, std::uint32_t block_size) {
  return (bytes + block_size - 1) / block_size;
}

// The block size an .FPT file's header gives. Throws Error kInvalidData for
// one that cannot be used.
std::uint32_t ReadFptBlockSize(const LockedFile& file) {
  std::string header(kFptHeaderSize, '\0');
  header.resize(file.ReadAt(0, header.data(), header.size()));
  if (header.size() < kFptHeaderSize) {
    throw Error(ErrorKind::kInvalidData, "it is shorter (" + std::to_string(header.size()) +
                                             " bytes) than the 512-byte header of an .FPT file");
  }
  const std::uint32_t block_size = ReadBe(header, kFptBlockSizeOffset, 2);
  if (block_size == 0) throw Error(ErrorKind::kInvalidData, "its header gives a block size of 0");
  return block_size;
}

}  // namespace

std::uint32_t MemoBlockKindFor(char type) {
  if (type == 'M') return kFptKindText;
  if (type == 'G') return kFptKindObject;
  return kFptKindPicture;  // FoxPro's kind for binary data
}

std::optional<std::uint32_t> ParseMemoReference(std::string_view bytes, bool is_binary) {
  if (is_binary) return ReadLe(bytes, 0, 4);
  while (!bytes.empty() && bytes.front() == ' ') bytes.remove_prefix(1);
  while (!bytes.empty() && bytes.back() == ' ') bytes.remove_suffix(1);
  std::uint64_t block = 0;
  for (char c : bytes) {
    if (c < '0' || c > '9') return std::nullopt;
    block = block * 10 + static_cast<std::uint64_t>(c - '0');
    if (block > 0xFFFFFFFFu) return std::nullopt;
  }
  return static_cast<std::uint32_t>(block);
}

std::optional<std::string> EncodeMemoReference(std::uint32_t block, std::size_t width,
                                               bool is_binary) {
  if (is_binary) {
    std::string bytes(4, '\0');
    WriteLe(bytes.data(), block, 4);
    return bytes;
  }
  std::string reference(width, ' ');
  if (block == 0) return reference;
  const std::string digits = std::to_string(block);
  if (digits.size() > width) return std::nullopt;
  reference.replace(width - digits.size(), digits.size(), digits);
  return reference;
}

MemoFile::MemoFile(std::string_view path, MemoFormat format, FileAccess access, FileSharing sharing)
    : file_(path, access, sharing),
      format_(format),
      block_size_(format == MemoFormat::kFpt ? ReadFptBlockSize(file_) : kMemoBlockSize),
      is_shared_(sharing == FileSharing::kShared) {}

std::string MemoFile::NewFileBytes(MemoFormat format) {
  if (format == MemoFormat::kFpt) {
    std::string bytes(kFptHeaderSize, '\0');
    WriteBe(bytes.data(), kFptHeaderSize / kFptNewBlockSize, 4);
    WriteBe(&bytes[kFptBlockSizeOffset], kFptNewBlockSize, 2);
    return bytes;
  }
  std::string bytes(kMemoBlockSize, '\0');
  WriteLe(bytes.data(), 1, 4);
  bytes[16] = static_cast<char>(kDbtVersion);
  return bytes;
}

std::optional<std::string> MemoFile::Read(std::uint32_t block) const {
  const std::uint64_t size = file_.Size();
  const std::uint64_t start = static_cast<std::uint64_t>(block) * block_size_;
  if (block == 0 || start >= size) return std::nullopt;
  return format_ == MemoFormat::kFpt ? ReadFpt(start, size) : ReadDbt(start, size);
}

std::optional<std::string> MemoFile::ReadFpt(std::uint64_t start, std::uint64_t size) const {
  // Block numbers that point into the header point at no entry.
  if (start < kFptHeaderSize || start + kFptEntryHeader > size) return std::nullopt;
  std::string head(kFptEntryHeader, '\0');
  if (file_.ReadAt(start, head.data(), head.size()) != head.size()) return std::nullopt;
  const std::uint64_t length = ReadBe(head, 4, 4);
  // The length is the file's word: never allocate past what the file holds.
  if (length > size - start - kFptEntryHeader) return std::nullopt;
  std::string bytes(length, '\0');
  bytes.resize(file_.ReadAt(start + kFptEntryHeader, bytes.data(), bytes.size()));
  return bytes;
}

std::optional<std::string> MemoFile::ReadDbt(std::uint64_t start, std::uint64_t size) const {
  std::string chunk(kMemoBlockSize, '\0');
  chunk.resize(file_.ReadAt(start, chunk.data(), chunk.size()));
  if (chunk.size() >= kDbase4BlockHeader && chunk.compare(0, 4, kDbase4BlockMark) == 0) {
    const std::uint64_t length = ReadLe(chunk, 4, 4);
    if (length < kDbase4BlockHeader || start + length > size) return std::nullopt;
    std::string text(length - kDbase4BlockHeader, '\0');
    text.resize(file_.ReadAt(start + kDbase4BlockHeader, text.data(), text.size()));
    return text;
  }

  std::string text;
  std::uint64_t position = start;
  while (true) {
    const std::size_t end = chunk.find(kEndOfData);
    if (end != std::string::npos) {
      text.append(chunk, 0, end);
      return text;
    }
    text += chunk;
    position += chunk.size();
    if (chunk.size() < kMemoBlockSize || position >= size) return text;  // unterminated
    chunk.assign(kMemoBlockSize, '\0');
    chunk.resize(file_.ReadAt(position, chunk.data(), chunk.size()));
  }
}

std::string MemoFile::EntryBytes(std::string_view bytes, std::uint32_t kind) const {
  std::string entry;
  if (format_ == MemoFormat::kFpt) {
    entry.assign(kFptEntryHeader, '\0');
    WriteBe(entry.data(), kind, 4);
    WriteBe(&entry[4], static_cast<std::uint32_t>(bytes.size()), 4);
    entry += bytes;
  } else {
    entry.assign(bytes);
    entry.append(2, kEndOfData);
  }
  entry.resize(BlocksFor(entry.size(), block_size_) * block_size_, '\0');
  return entry;
}

std::optional<std::uint32_t> MemoFile::Append(std::string_view bytes, std::uint32_t kind,
                                              int lock_wait_ms) {
  if (!file_.is_writable()) return std::nullopt;
  // A .DBT text ends at its first 0x1A: one inside it could not be read back.
  if (format_ == MemoFormat::kDbt && bytes.find(kEndOfData) != std::string_view::npos) {
    return std::nullopt;
  }
  // Entries stay below the lock bytes, which the append lock uses.
  if (bytes.size() >= kLockBase) return std::nullopt;
  std::optional<AppendLock> lock;
  if (is_shared_) {
    lock.emplace(file_, lock_wait_ms);
    if (!lock->is_held()) return std::nullopt;
  }
  std::string first(4, '\0');
  if (file_.ReadAt(0, first.data(), first.size()) != first.size()) return std::nullopt;
  const std::uint64_t next_free =
      format_ == MemoFormat::kFpt ? ReadBe(first, 0, 4) : ReadLe(first, 0, 4);
  // Never trust the header to point before the end (that would overwrite
  // entries) or into itself.
  const std::uint64_t header_blocks =
      format_ == MemoFormat::kFpt ? BlocksFor(kFptHeaderSize, block_size_) : 1;
  const std::uint64_t block =
      std::max({next_free, BlocksFor(file_.Size(), block_size_), header_blocks});

  const std::string entry = EntryBytes(bytes, kind);
  const std::uint64_t new_next_free = block + entry.size() / block_size_;
  if (new_next_free > 0xFFFFFFFFu) return std::nullopt;
  if (new_next_free * block_size_ > kLockBase) return std::nullopt;

  file_.WriteAt(block * block_size_, entry.data(), entry.size());
  char header[4];
  if (format_ == MemoFormat::kFpt) {
    WriteBe(header, static_cast<std::uint32_t>(new_next_free), 4);
  } else {
    WriteLe(header, static_cast<std::uint32_t>(new_next_free), 4);
  }
  file_.WriteAt(0, header, sizeof(header));
  return static_cast<std::uint32_t>(block);
}

}  // namespace cratemark::engine
