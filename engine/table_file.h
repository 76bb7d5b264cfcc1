// One open table: its header, the current record, its memos and its locks.
// Errors of the file system come out as Error; everything else reports by
// its result. Not thread-safe.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/memo_file.h"
#include "engine/table_header.h"
#include "platform/error.h"
#include "platform/locked_file.h"

namespace cratemark::engine {

enum class OpenMode { kShared, kReadOnly, kExclusive };

// A file the engine does not open: its header is not one it accepts, or its
// memo file is missing. `explanation()` names the format in words and the
// reason ("The file is a dBase III table (version byte 0x03) that the engine
// cannot open: its record length is 0."); `reason()` is the reason alone.
class TableRefused : public Error {
 public:
  TableRefused(const std::string& path, std::optional<std::uint8_t> version,
               const std::string& reason)
      : Error(ErrorKind::kInvalidData, "\"" + path + "\": " + RefusalText(version, reason)),
        reason_(reason),
        explanation_(RefusalText(version, reason)) {}
  const std::string& reason() const { return reason_; }
  const std::string& explanation() const { return explanation_; }

 private:
  std::string reason_;
  std::string explanation_;
};

class TableFile {
 public:
  // Opens the table at a native path; the memo file beside it (same name,
  // extension ".DBT" or ".FPT", as MemoFormatFor says from the version byte
  // and `memo_format`, the caller's table type) when the table has memo
  // fields. Throws Error; a file whose header is not accepted, or whose memo
  // file is missing, gives TableRefused. A table marked encrypted opens for
  // reading only: the engine does not encrypt.
  TableFile(const std::string& path, OpenMode mode, MemoFormat memo_format = MemoFormat::kDbt);
  ~TableFile();  // writes the date of the last change, when there was one

  // Writes a new, empty table (and its memo file, in `memo_format`) at a
  // native path, each file whole or not at all. An existing file is replaced
  // only while no program has it open (else Error kSharingViolation, and both
  // files stay as they were). Throws Error.
  static void Create(const std::string& path, const TableHeader& header,
                     MemoFormat memo_format = MemoFormat::kDbt);
  // Throws what Create would throw because another program has the table
  // file at `path` open.
  static void CheckReplaceable(const std::string& path);

  // The memo file's path for a table path: the extension becomes ".DBT" or
  // ".FPT" (in lower case beside a lower-case one), whichever case the file
  // on disk has.
  static std::string MemoPathFor(const std::string& table_path, MemoFormat memo_format);

  const TableHeader& header() const { return header_; }
  // The field named `name` (ignoring case); nullptr when no field or more
  // than one has that name, with the reason in `refusal` when given: a name
  // that two fields share never answers for either.
  const FieldDescriptor* FindField(std::string_view name, std::string* refusal = nullptr) const;
  bool is_read_only() const { return !is_writable_; }

  // Navigation. `skip_deleted` hides records carrying the delete marker. At
  // the end the current record is RecordCount() + 1 and eof() is true.
  std::uint32_t RecordCount();  // follows appends by other programs
  std::uint32_t recno() const { return recno_; }
  bool eof() const { return is_eof_; }
  bool bof() const { return is_bof_; }
  void GoTop(bool skip_deleted);
  void GoBottom(bool skip_deleted);
  void Go(std::uint32_t record);
  void Skip(std::int32_t count, bool skip_deleted);

  // The current record (record_length bytes, marker first); at the end a
  // blank record and false.
  bool ReadRecord(char* buffer);
  bool WriteRecord(const char* buffer);
  bool IsDeleted();
  bool MarkDeleted();
  // Appends a blank record, makes it current and locks it (when it can);
  // returns its number, 0 on failure.
  std::uint32_t AppendBlank(int lock_wait_ms);
  void Commit();

  // Memos of the current record.
  std::optional<std::string> ReadMemo(const FieldDescriptor& field);
  bool WriteMemo(const FieldDescriptor& field, std::string_view text, int lock_wait_ms);

  // Locks: one attempt each. A granted file lock replaces the table's record
  // locks; a refused one leaves them as they were (unless another program
  // takes one in the moment between).
  bool LockFile();
  bool LockRecord(std::uint32_t record);
  void Unlock(std::uint32_t record);  // 0: every lock
  bool is_file_locked() const { return is_file_locked_; }

 private:
  std::uint64_t RecordOffset(std::uint32_t record) const;
  bool ReadRecordAt(std::uint32_t record, char* buffer);
  bool IsVisible(std::uint32_t record, bool skip_deleted);
  void SetPosition(std::uint32_t record, bool is_bof);
  void WriteUpdateDate();
  // The record's bytes from the read-ahead buffer, filled from the file
  // when the record is not in it; nullptr when it cannot be read.
  const char* BufferedRecord(std::uint32_t record);
  void DropReadAhead();

  LockedFile file_;
  std::unique_ptr<MemoFile> memo_;
  TableHeader header_;
  bool is_writable_;
  bool is_shared_;
  bool is_changed_ = false;
  std::uint32_t recno_ = 1;
  bool is_eof_ = true;
  bool is_bof_ = true;
  bool is_file_locked_ = false;
  std::set<std::uint32_t> locked_records_;

  // Whole records read ahead for sequential reads. Dropped on every lock,
  // unlock, write and jump (Go, GoTop, GoBottom), and whenever any table of
  // this process wrote since it was filled: so a record read after its lock
  // is taken, or after a jump, comes from the file.
  std::string ahead_;
  std::uint32_t ahead_first_ = 0;
  std::uint32_t ahead_count_ = 0;
  std::uint64_t ahead_generation_ = 0;
};

}  // namespace cratemark::engine
