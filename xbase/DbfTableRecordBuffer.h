// The record buffer of the record set: one slot per bound field (a presence
// byte, 0 null or 1 present, then the value in its native form), room for
// calculated values, 30 bytes per memo or blob field, and 5 bytes of record
// information (32-bit record number, one-byte position flag).
//
// Native forms: text as zero-terminated ANSI characters (size + 1 bytes);
// small integer int16; integer int32; boolean int16 (0 false); float and
// currency double; date int32 day number (1 January of year 1 is day 1).
// Memo and blob values live in blob entries, kept beside the bytes as objects
// so that the loaded values they own are freed by their destructors.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cratemark {

enum class TRecordPosition : uint8_t {
  kRecord = 0,  // a real record
  kBeforeFirst = 1,
  kAfterLast = 2,
};

struct TBlobEntry {
  int32_t size = 0;                  // bytes of the loaded value
  std::string value;                 // the loaded value
  std::array<char, 10> block_ref{};  // the field's block reference in the raw record
  uint8_t modified = 0;              // 0 or 255
  uint8_t loaded = 0;                // 0 or 255

  TBlobEntry() { block_ref.fill(' '); }
};

// One field's slot in a record buffer: the presence byte, then `room` bytes
// for the native value. Every read and write of a slot goes through here, so
// none can run past it.
class TFieldSlot {
 public:
  TFieldSlot(uint8_t* bytes, size_t room) : bytes_(bytes), room_(room) {}

  bool IsPresent() const { return bytes_[0] != 0; }
  size_t Room() const { return room_; }

  // The native value; a type larger than the slot reads its first bytes.
  template <typename Native>
  Native Get() const {
    Native native{};
    std::memcpy(&native, bytes_ + 1, std::min(sizeof native, room_));
    return native;
  }
  // Zero-terminated text of a text slot.
  const char* Text() const { return reinterpret_cast<const char*>(bytes_ + 1); }

  // `bytes` of a native value (cut to the room, the rest zeroed); nullptr
  // stores null.
  void Store(const void* native, size_t bytes) {
    std::memset(bytes_ + 1, 0, room_);
    bytes_[0] = native != nullptr ? 1 : 0;
    if (native != nullptr) std::memcpy(bytes_ + 1, native, std::min(bytes, room_));
  }
  template <typename Native>
  void Set(const std::optional<Native>& value) {
    if (value) {
      Store(&*value, sizeof(Native));
    } else {
      Store(nullptr, 0);
    }
  }
  // Present text, cut to leave room for its terminator.
  void SetText(std::string_view text) {
    std::memset(bytes_ + 1, 0, room_);
    bytes_[0] = 1;
    if (room_ > 0) std::memcpy(bytes_ + 1, text.data(), std::min(text.size(), room_ - 1));
  }

 private:
  uint8_t* bytes_;
  size_t room_;
};

class TRecordBuffer {
 public:
  static constexpr int kBlobEntryBytes = 30;
  static constexpr int kRecordInfoBytes = 5;
  static constexpr int kBookmarkBytes = 4;

  TRecordBuffer() = default;
  // `calc_offset`: where the calculated values start (end of the data slots);
  // `calc_bytes`: their room.
  TRecordBuffer(int calc_offset, int calc_bytes, int blob_count)
      : calc_offset_(calc_offset),
        blob_offset_(calc_offset + calc_bytes),
        info_offset_(blob_offset_ + blob_count * kBlobEntryBytes),
        bytes_(static_cast<size_t>(info_offset_ + kRecordInfoBytes)),
        blobs_(static_cast<size_t>(blob_count)) {}

  int CalcOffset() const { return calc_offset_; }
  int BlobOffset() const { return blob_offset_; }
  int RecordInfoOffset() const { return info_offset_; }
  int TotalSize() const { return static_cast<int>(bytes_.size()); }

  uint8_t* Data() { return bytes_.data(); }
  const uint8_t* Data() const { return bytes_.data(); }
  // The slot at `offset` with `room` bytes for its value.
  TFieldSlot Slot(int offset, int room) {
    return TFieldSlot(bytes_.data() + offset, static_cast<size_t>(room));
  }
  std::vector<TBlobEntry>& Blobs() { return blobs_; }
  const std::vector<TBlobEntry>& Blobs() const { return blobs_; }

  // Every slot and calculated value zero (every field null), record number 0,
  // every blob entry fresh.
  void Reset() {
    std::memset(bytes_.data(), 0, bytes_.size());
    for (TBlobEntry& entry : blobs_) entry = TBlobEntry();
  }

  int32_t RecordNumber() const {
    int32_t number = 0;
    std::memcpy(&number, bytes_.data() + info_offset_, sizeof number);
    return number;
  }
  void SetRecordNumber(int32_t number) {
    std::memcpy(bytes_.data() + info_offset_, &number, sizeof number);
  }
  TRecordPosition Position() const {
    return static_cast<TRecordPosition>(bytes_[static_cast<size_t>(info_offset_) + 4]);
  }
  void SetPosition(TRecordPosition position) {
    bytes_[static_cast<size_t>(info_offset_) + 4] = static_cast<uint8_t>(position);
  }

 private:
  int calc_offset_ = 0;
  int blob_offset_ = 0;
  int info_offset_ = 0;
  std::vector<uint8_t> bytes_ = std::vector<uint8_t>(kRecordInfoBytes);
  std::vector<TBlobEntry> blobs_;
};

}  // namespace cratemark
