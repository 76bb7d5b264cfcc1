#include "engine/memo_file.h"

#include <algorithm>

#include "engine/append_lock.h"
#include "engine/byte_order.h"
#include "engine/lock_scheme.h"
#include "engine/table_header.h"

namespace cratemark::engine {
namespace {

constexpr std::uint8_t kMemoVersion = 0x03;
// dBase IV marks a used block with these four bytes, then a 32-bit length
// that counts those eight bytes too.
constexpr std::string_view kDbase4BlockMark("\xFF\xFF\x08\x00", 4);
constexpr std::size_t kDbase4BlockHeader = 8;

}  // namespace

MemoFile::MemoFile(std::string_view path, FileAccess access, FileSharing sharing)
    : file_(path, access, sharing), is_shared_(sharing == FileSharing::kShared) {}

std::string MemoFile::NewFileBytes() {
  std::string bytes(kMemoBlockSize, '\0');
  WriteLe(bytes.data(), 1, 4);
  bytes[16] = static_cast<char>(kMemoVersion);
  return bytes;
}

std::optional<std::string> MemoFile::Read(std::uint32_t block) const {
  const std::uint64_t size = file_.Size();
  const std::uint64_t start = static_cast<std::uint64_t>(block) * kMemoBlockSize;
  if (block == 0 || start >= size) return std::nullopt;

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

std::optional<std::uint32_t> MemoFile::Append(std::string_view text, int lock_wait_ms) {
  if (!file_.is_writable() || text.find(kEndOfData) != std::string_view::npos) {
    return std::nullopt;
  }
  std::optional<AppendLock> lock;
  if (is_shared_) {
    lock.emplace(file_, lock_wait_ms);
    if (!lock->is_held()) return std::nullopt;
  }
  std::string first(4, '\0');
  if (file_.ReadAt(0, first.data(), first.size()) != first.size()) return std::nullopt;
  // Never trust the header to point before the end: that would overwrite texts.
  const std::uint64_t size_blocks = (file_.Size() + kMemoBlockSize - 1) / kMemoBlockSize;
  const std::uint64_t block = std::max<std::uint64_t>({ReadLe(first, 0, 4), size_blocks, 1});

  std::string bytes(text);
  bytes.append(2, kEndOfData);
  bytes.resize((bytes.size() + kMemoBlockSize - 1) / kMemoBlockSize * kMemoBlockSize, '\0');
  const std::uint64_t next_free = block + bytes.size() / kMemoBlockSize;
  if (next_free > 0xFFFFFFFFu) return std::nullopt;
  // Texts stay below the lock bytes, which the append lock uses.
  if (next_free * kMemoBlockSize > kLockBase) return std::nullopt;

  file_.WriteAt(block * kMemoBlockSize, bytes.data(), bytes.size());
  char header[4];
  WriteLe(header, static_cast<std::uint32_t>(next_free), 4);
  file_.WriteAt(0, header, sizeof(header));
  return static_cast<std::uint32_t>(block);
}

}  // namespace cratemark::engine
