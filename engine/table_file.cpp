#include "engine/table_file.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "engine/append_lock.h"
#include "engine/ascii.h"
#include "engine/byte_order.h"
#include "engine/lock_scheme.h"
#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/local_time.h"

namespace cratemark::engine {
namespace {

FileAccess AccessFor(OpenMode mode) {
  switch (mode) {
    case OpenMode::kExclusive:
      return FileAccess::kReadWrite;
    case OpenMode::kReadOnly:
      // Read-only tables still take the file lock.
      return FileAccess::kReadWithLocks;
    case OpenMode::kShared:
      break;
  }
  return FileAccess::kReadWriteIfAllowed;
}

// A read-only table never writes a memo, nor locks its memo file.
FileAccess MemoAccessFor(OpenMode mode) {
  return mode == OpenMode::kReadOnly ? FileAccess::kRead : AccessFor(mode);
}

FileSharing SharingFor(OpenMode mode) {
  return mode == OpenMode::kExclusive ? FileSharing::kExclusive : FileSharing::kShared;
}

TableHeader ReadHeader(const LockedFile& file, const std::string& path) {
  std::string bytes(kHeaderPrefixSize, '\0');
  bytes.resize(file.ReadAt(0, bytes.data(), bytes.size()));
  const std::size_t claimed = ClaimedHeaderLength(bytes);
  if (claimed > bytes.size()) {
    bytes.resize(claimed);
    bytes.resize(file.ReadAt(0, bytes.data(), bytes.size()));
  }
  std::string refusal;
  std::optional<TableHeader> header = ParseTableHeader(bytes, file.Size(), &refusal);
  if (!header) {
    // A file shorter than the fixed header has no version byte to go by.
    std::optional<std::uint8_t> version;
    if (bytes.size() >= kHeaderPrefixSize) version = static_cast<std::uint8_t>(bytes[0]);
    throw TableRefused(path, version, refusal);
  }
  return *std::move(header);
}

std::string FileNameOf(const std::string& path) {
  return path.substr(path.find_last_of("/\\") + 1);  // npos + 1 == 0
}

// The memo file of a table with memo fields; a missing one refuses the table
// and says which file was looked for.
std::unique_ptr<MemoFile> OpenMemoFile(const std::string& table_path, const TableHeader& header,
                                       MemoFormat preferred, FileAccess access,
                                       FileSharing sharing) {
  const MemoFormat format = MemoFormatFor(header.version, preferred);
  const std::string memo_path = TableFile::MemoPathFor(table_path, format);
  const std::string memo_file = std::string("its ") +
                                (format == MemoFormat::kFpt ? ".FPT" : ".DBT") + " memo file \"" +
                                FileNameOf(memo_path) + "\"";
  if (!FileExists(memo_path)) {
    throw TableRefused(table_path, header.version, memo_file + " is missing");
  }
  try {
    return std::make_unique<MemoFile>(memo_path, format, access, sharing);
  } catch (const Error& error) {
    if (error.kind() != ErrorKind::kInvalidData) throw;
    throw TableRefused(table_path, header.version, memo_file + " cannot be read: " + error.what());
  }
}

// Counts the writes of every table of the process, so that a read-ahead
// buffer never outlives a write through another work area on the same file.
std::atomic<std::uint64_t> write_generation{1};

void NoteWrite() { write_generation.fetch_add(1, std::memory_order_relaxed); }

// Bytes read ahead at once once reads run in sequence; a first read after a
// jump takes its record alone, so random access reads no more than before.
constexpr std::size_t kReadAheadBytes = 64 * 1024;

void StampToday(TableHeader& header) {
  const LocalTime now = NowLocal();
  header.update_year = static_cast<std::uint8_t>(std::clamp(now.year - 1900, 0, 255));
  header.update_month = static_cast<std::uint8_t>(now.month);
  header.update_day = static_cast<std::uint8_t>(now.day);
}

}  // namespace

TableFile::TableFile(const std::string& path, OpenMode mode, MemoFormat memo_format)
    : file_(path, AccessFor(mode), SharingFor(mode)),
      header_(ReadHeader(file_, path)),
      is_writable_(mode != OpenMode::kReadOnly && file_.is_writable() && !header_.is_encrypted),
      is_shared_(mode != OpenMode::kExclusive) {
  if (header_.HasMemoFields()) {
    memo_ = OpenMemoFile(path, header_, memo_format, MemoAccessFor(mode), SharingFor(mode));
  }
}

TableFile::~TableFile() {
  try {
    if (is_changed_) WriteUpdateDate();
    Unlock(0);
  } catch (...) {
    // Closing goes on: the file's handle and its locks end with this object.
  }
}

void TableFile::Create(const std::string& path, const TableHeader& header, MemoFormat memo_format) {
  TableHeader stamped = header;
  stamped.record_count = 0;
  StampToday(stamped);
  std::string bytes = EncodeTableHeader(stamped);
  bytes += kEndOfData;
  // Replacing a table that another program has open would take it away from
  // under that program, and its locks with it. A file nobody holds (a damaged
  // one, say) is replaced.
  const ReplaceClaim table_claim(path);
  if (stamped.HasMemoFields()) {
    const MemoFormat format = MemoFormatFor(stamped.version, memo_format);
    const std::string memo_path = MemoPathFor(path, format);
    const ReplaceClaim memo_claim(memo_path);
    // The memo file first: a table never exists without the memo file it needs.
    WriteWholeFile(memo_path, MemoFile::NewFileBytes(format));
  }
  WriteWholeFile(path, bytes);
}

void TableFile::CheckReplaceable(const std::string& path) { const ReplaceClaim claim(path); }

std::string TableFile::MemoPathFor(const std::string& table_path, MemoFormat memo_format) {
  const std::size_t name_start = table_path.find_last_of("/\\") + 1;  // npos + 1 == 0
  const std::size_t dot = table_path.rfind('.');
  std::string memo_path = table_path;
  std::string extension = memo_format == MemoFormat::kFpt ? ".FPT" : ".DBT";
  if (dot != std::string::npos && dot >= name_start) {
    const bool is_lower = dot + 1 < table_path.size() && IsAsciiLower(table_path[dot + 1]);
    if (is_lower) extension = memo_format == MemoFormat::kFpt ? ".fpt" : ".dbt";
    memo_path.erase(dot);
  }
  return ResolvePath(memo_path + extension);
}

const FieldDescriptor* TableFile::FindField(std::string_view name, std::string* refusal) const {
  const auto named = [&](const FieldDescriptor& field) {
    return EqualsAsciiNoCase(field.name, name);
  };
  const auto found = std::find_if(header_.fields.begin(), header_.fields.end(), named);
  if (found == header_.fields.end()) {
    if (refusal) *refusal = "The table has no field named \"" + std::string(name) + "\".";
    return nullptr;
  }
  if (std::none_of(found + 1, header_.fields.end(), named)) return &*found;
  // Fields reached by position stay right; a name two share answers nothing.
  if (refusal) {
    std::string positions;
    for (std::size_t i = 0; i < header_.fields.size(); ++i) {
      if (!named(header_.fields[i])) continue;
      positions += (positions.empty() ? "" : " and ") + std::to_string(i + 1);
    }
    *refusal = "The table has more than one field named \"" + std::string(name) + "\" (fields " +
               positions + "): a call by that name cannot tell which is meant.";
  }
  return nullptr;
}

std::uint32_t TableFile::RecordCount() {
  if (!is_shared_) return header_.record_count;
  // Other programs may have appended since we last looked. A count that
  // claims more records than the file holds is read as what the file holds.
  std::string bytes(4, '\0');
  if (file_.ReadAt(kRecordCountOffset, bytes.data(), bytes.size()) != bytes.size()) {
    return header_.record_count;
  }
  const std::uint64_t size = file_.Size();
  const std::uint64_t room =
      size > header_.header_length ? (size - header_.header_length) / header_.record_length : 0;
  header_.record_count =
      static_cast<std::uint32_t>(std::min<std::uint64_t>(ReadLe(bytes, 0, 4), room));
  return header_.record_count;
}

std::uint64_t TableFile::RecordOffset(std::uint32_t record) const {
  return header_.header_length + static_cast<std::uint64_t>(record - 1) * header_.record_length;
}

void TableFile::DropReadAhead() { ahead_count_ = 0; }

const char* TableFile::BufferedRecord(std::uint32_t record) {
  if (record < 1 || record > header_.record_count) return nullptr;
  const std::size_t length = header_.record_length;
  const bool is_current = ahead_generation_ == write_generation.load(std::memory_order_relaxed);
  if (is_current && record >= ahead_first_ && record - ahead_first_ < ahead_count_) {
    return ahead_.data() + (record - ahead_first_) * length;
  }
  // The record right after the buffer: reads run in sequence, so take many.
  const bool follows = ahead_count_ != 0 && record == ahead_first_ + ahead_count_;
  const std::uint32_t wanted =
      follows ? static_cast<std::uint32_t>(std::max<std::size_t>(1, kReadAheadBytes / length)) : 1;
  const std::uint32_t count = std::min(wanted, header_.record_count - record + 1);
  ahead_.resize(std::size_t{count} * length);
  ahead_generation_ = write_generation.load(std::memory_order_relaxed);
  ahead_first_ = record;
  // A file cut short by another program holds fewer records than counted.
  ahead_count_ = static_cast<std::uint32_t>(
      file_.ReadAt(RecordOffset(record), ahead_.data(), ahead_.size()) / length);
  return ahead_count_ == 0 ? nullptr : ahead_.data();
}

bool TableFile::ReadRecordAt(std::uint32_t record, char* buffer) {
  const char* bytes = BufferedRecord(record);
  if (!bytes) return false;
  std::memcpy(buffer, bytes, header_.record_length);
  return true;
}

bool TableFile::IsVisible(std::uint32_t record, bool skip_deleted) {
  if (!skip_deleted) return true;
  const char* bytes = BufferedRecord(record);
  return !bytes || bytes[0] != kDeletedMarker;
}

void TableFile::SetPosition(std::uint32_t record, bool is_bof) {
  const std::uint32_t count = header_.record_count;
  if (record < 1 || record > count) {
    recno_ = count + 1;
    is_eof_ = true;
    is_bof_ = is_bof || count == 0;
  } else {
    recno_ = record;
    is_eof_ = false;
    is_bof_ = is_bof;
  }
}

void TableFile::GoTop(bool skip_deleted) {
  DropReadAhead();
  const std::uint32_t count = RecordCount();
  std::uint32_t record = 1;
  while (record <= count && !IsVisible(record, skip_deleted)) ++record;
  SetPosition(record, record > count);
}

void TableFile::GoBottom(bool skip_deleted) {
  DropReadAhead();
  std::uint32_t record = RecordCount();
  while (record >= 1 && !IsVisible(record, skip_deleted)) --record;
  SetPosition(record, record < 1);
}

void TableFile::Go(std::uint32_t record) {
  DropReadAhead();
  RecordCount();
  SetPosition(record, false);
}

void TableFile::Skip(std::int32_t count, bool skip_deleted) {
  // The count on file is looked up only when a move forward reaches the end:
  // that is where records appended by another program change the outcome.
  std::uint32_t records = header_.record_count;
  const auto reaches_end = [&](std::int64_t record) {
    if (record <= records) return false;
    records = RecordCount();
    return record > records;
  };
  std::int64_t record = std::min<std::int64_t>(recno_, std::int64_t{records} + 1);
  if (count > 0) {
    if (!skip_deleted) {
      record += count;
      if (reaches_end(record)) record = std::int64_t{records} + 1;
    } else {
      for (std::int32_t step = 0; step < count && !reaches_end(record); ++step) {
        do ++record;
        while (!reaches_end(record) && !IsVisible(static_cast<std::uint32_t>(record), true));
      }
    }
    SetPosition(static_cast<std::uint32_t>(record), false);
  } else if (count < 0) {
    if (!skip_deleted) {
      record += count;
    } else {
      for (std::int32_t step = 0; step > count && record >= 1; --step) {
        do --record;
        while (record >= 1 && !IsVisible(static_cast<std::uint32_t>(record), true));
      }
    }
    if (record < 1) {
      // Moving back past the first record stops on it, with bof() set.
      GoTop(skip_deleted);
      is_bof_ = true;
      return;
    }
    SetPosition(static_cast<std::uint32_t>(record), false);
  } else {
    SetPosition(recno_, is_bof_);
  }
}

bool TableFile::ReadRecord(char* buffer) {
  if (!is_eof_ && ReadRecordAt(recno_, buffer)) return true;
  std::memset(buffer, ' ', header_.record_length);
  return false;
}

bool TableFile::WriteRecord(const char* buffer) {
  if (!is_writable_ || is_eof_ || recno_ > header_.record_count) return false;
  NoteWrite();
  file_.WriteAt(RecordOffset(recno_), buffer, header_.record_length);
  is_changed_ = true;
  return true;
}

bool TableFile::IsDeleted() {
  if (is_eof_ || recno_ > header_.record_count) return false;
  const char* bytes = BufferedRecord(recno_);
  return bytes && bytes[0] == kDeletedMarker;
}

bool TableFile::MarkDeleted() {
  if (!is_writable_ || is_eof_ || recno_ > header_.record_count) return false;
  NoteWrite();
  file_.WriteAt(RecordOffset(recno_), &kDeletedMarker, 1);
  is_changed_ = true;
  return true;
}

std::uint32_t TableFile::AppendBlank(int lock_wait_ms) {
  if (!is_writable_) return 0;
  std::optional<AppendLock> lock;
  if (is_shared_) {
    lock.emplace(file_, lock_wait_ms);
    if (!lock->is_held()) return 0;
  }
  const std::uint32_t record = RecordCount() + 1;
  if (record == 0) return 0;  // the count is full
  // The data (and its end marker) must stay below the lock bytes, which
  // other xBase programs lock and unlock without regard to what lies there.
  if (RecordOffset(record) + header_.record_length + 1 > kLockBase) return 0;
  NoteWrite();
  // The record first, the count after it: a reader never counts a record
  // that is not there yet.
  std::string bytes(header_.record_length, ' ');
  bytes += kEndOfData;
  file_.WriteAt(RecordOffset(record), bytes.data(), bytes.size());
  char count[4];
  WriteLe(count, record, 4);
  file_.WriteAt(kRecordCountOffset, count, sizeof(count));
  header_.record_count = record;
  is_changed_ = true;
  SetPosition(record, false);
  LockRecord(record);  // like other xBase programs; a refusal does not undo the append
  return record;
}

void TableFile::WriteUpdateDate() {
  if (!is_writable_) return;
  StampToday(header_);
  const char date[3] = {static_cast<char>(header_.update_year),
                        static_cast<char>(header_.update_month),
                        static_cast<char>(header_.update_day)};
  file_.WriteAt(kUpdateDateOffset, date, sizeof(date));
}

void TableFile::Commit() {
  if (!is_writable_) return;
  if (is_changed_) {
    WriteUpdateDate();
    is_changed_ = false;
  }
  file_.Flush();
  if (memo_) memo_->Flush();
}

std::optional<std::string> TableFile::ReadMemo(const FieldDescriptor& field) {
  if (!memo_ || !field.IsMemoReference()) return std::nullopt;
  std::string record(header_.record_length, ' ');
  if (!ReadRecord(record.data())) return std::string();
  const std::optional<std::uint32_t> block = ParseMemoReference(
      std::string_view(record).substr(field.offset, field.width), field.HasBinaryMemoReference());
  if (!block) return std::nullopt;
  if (*block == 0) return std::string();
  return memo_->Read(*block);
}

bool TableFile::WriteMemo(const FieldDescriptor& field, std::string_view text, int lock_wait_ms) {
  if (!memo_ || !field.IsMemoReference() || !is_writable_ || is_eof_) return false;
  std::uint32_t block = 0;  // no memo
  if (!text.empty()) {
    const std::optional<std::uint32_t> appended =
        memo_->Append(text, MemoBlockKindFor(field.type), lock_wait_ms);
    if (!appended) return false;
    block = *appended;
  }
  const std::optional<std::string> reference =
      EncodeMemoReference(block, field.width, field.HasBinaryMemoReference());
  if (!reference) return false;
  NoteWrite();
  file_.WriteAt(RecordOffset(recno_) + field.offset, reference->data(), reference->size());
  is_changed_ = true;
  return true;
}

bool TableFile::LockFile() {
  DropReadAhead();
  if (is_file_locked_) return true;
  // Our own record locks lie inside the range, and Windows refuses a lock
  // that overlaps them: they make way, and come back when the attempt fails.
  for (std::uint32_t record : locked_records_) file_.Unlock(RecordLockOffset(record), 1);
  is_file_locked_ = file_.TryLock(kFileLockOffset, kFileLockLength);
  if (is_file_locked_) {
    locked_records_.clear();
    return true;
  }
  std::erase_if(locked_records_,
                [&](std::uint32_t record) { return !file_.TryLock(RecordLockOffset(record), 1); });
  return false;
}

bool TableFile::LockRecord(std::uint32_t record) {
  DropReadAhead();
  if (is_file_locked_) return true;
  if (record < 1 || record > kMaxLockableRecord) return false;
  if (locked_records_.count(record) != 0) return true;
  if (!file_.TryLock(RecordLockOffset(record), 1)) return false;
  locked_records_.insert(record);
  return true;
}

void TableFile::Unlock(std::uint32_t record) {
  DropReadAhead();
  if (record != 0) {
    if (locked_records_.erase(record) != 0) file_.Unlock(RecordLockOffset(record), 1);
    return;
  }
  for (std::uint32_t locked : locked_records_) file_.Unlock(RecordLockOffset(locked), 1);
  locked_records_.clear();
  if (is_file_locked_) file_.Unlock(kFileLockOffset, kFileLockLength);
  is_file_locked_ = false;
}

}  // namespace cratemark::engine
