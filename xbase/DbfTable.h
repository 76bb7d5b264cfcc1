// TDbfTable: one xBase table file in one directory, used through the engine
// binding (XbEngine.h). Set the properties, then Open/Close, CreateTable and
// FLock. Every failure of its own raises EDbfError (message also kept in
// ErrorMsg()); binding declared fields raises EDatabaseError. It never shows
// anything. One thread at a time: the engine's current work area is shared
// by all tables of the process, so every operation selects its own first.
//
// Paths: the data directory always ends in a separator. One that the object
// appends itself is the platform's (kPathSeparator: "\" on Windows, "/" on
// POSIX), so full table names in messages read naturally; "\" and "/" are both
// accepted inside DatabaseName and TableName, and the engine resolves either.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/regional_settings.h"
#include "xbase/DbfCommon.h"
#include "xbase/DbfTableError.h"
#include "xbase/DbfTableField.h"
#include "xbase/DbfTableRecordBuffer.h"
#include "xbase/DbfTableValue.h"
#include "xbase/field_codec.h"
#include "xbase/field_kind.h"

namespace cratemark {

class TXbEngine;

enum TEOFAction : int16_t { eaEOF = 0, eaMoveLast = 1 };
enum TSequencedCount : int16_t { scAllCount = 0, scFilterOnlyCount = 1, scRawCount = 2 };
enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

class TDbfTable {
 public:
  using Hook = std::function<void(TDbfTable&)>;

  // `name` names the object in messages ("tblLockSPL").
  explicit TDbfTable(std::string name = "");
  // Closes the table if it is open (without running the hooks: their owner
  // may already be gone).
  ~TDbfTable();
  TDbfTable(const TDbfTable&) = delete;
  TDbfTable& operator=(const TDbfTable&) = delete;

  const std::string& Name() const { return name_; }

  // Runs once the owner has set the stored property values: loads the engine
  // early, so that a missing engine shows before the first open.
  void Loaded();

  // --- Properties ---------------------------------------------------------
  const std::string& DatabaseName() const { return database_name_; }
  void SetDatabaseName(const std::string& value);
  const std::string& TableName() const { return table_name_; }
  void SetTableName(const std::string& value);
  TDbfTableType TableType() const { return table_type_; }
  void SetTableType(TDbfTableType value);
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool value);
  bool Exclusive() const { return exclusive_; }
  void SetExclusive(bool value);
  bool OEMTranslate() const { return FTranslate; }
  void SetOEMTranslate(bool value);
  bool Sequenced() const { return table_type_ == ttXBNTX ? false : sequenced_; }
  void SetSequenced(bool value) { sequenced_ = value; }
  TAccessMethod AccessMethod() const { return access_method_; }
  void SetAccessMethod(TAccessMethod value);
  TDbfCommitLevel CommitLevel() const { return commit_level_; }
  void SetCommitLevel(TDbfCommitLevel value);
  bool TurboRead() const { return turbo_read_; }
  void SetTurboRead(bool value);
  const std::string& Password() const { return password_; }
  void SetPassword(const std::string& value) { password_ = value; }

  // Read-only values.
  int16_t WorkArea() const { return iWA; }
  bool Exists();
  const std::string& DataPath() const { return FDataPath; }
  const std::string& ErrorMsg() const { return FErrorMsg; }
  std::string GetFullTableName();

  // --- Opening and closing -----------------------------------------------
  void Open();
  void Close();
  bool Active() const { return state_ >= CursorState::kBrowse; }
  void SetActive(bool value) { value ? Open() : Close(); }

  Hook BeforeOpen, AfterOpen, BeforeClose, AfterClose, BeforeScroll, AfterScroll;
  Hook BeforeEdit, AfterEdit, BeforeInsert, AfterInsert, OnNewRecord;
  Hook BeforePost, AfterPost, BeforeCancel, AfterCancel, BeforeDelete, AfterDelete;

  // --- Creating and locking ------------------------------------------------
  // Writes a new, empty table file from the declared fields (or else the
  // field definitions); the table is closed afterwards. EDbfError when a
  // field or the creation is refused, the engine's refusals included; a file
  // that was not there before is then not left behind.
  void CreateTable();
  // -1 when the engine holds the file lock for this table, 0 otherwise. One
  // attempt, never waits, never raises.
  int16_t FLock();

  // --- Fields --------------------------------------------------------------
  // Declares a field object before opening; it must exist in the table.
  TDbfField& AddField(const std::string& name, TFieldKind kind, int size = 0);
  std::vector<TDbfFieldDef>& FieldDefs() { return field_defs_; }
  // Rebuilds the field definitions from the table (opening it briefly when
  // it is closed).
  void UpdateFieldDefs();
  // The field objects: declared ones, or those created at open.
  std::vector<TDbfField*> Fields() const;
  const std::vector<TFieldInfo>& LFieldOffsets() const { return catalogue_; }

  // --- Navigation (DbfTableNavigation.cpp) -----------------------------------
  // Every move first settles a pending edit (posted when a field was
  // assigned, else cancelled); a closed table raises EDatabaseError. A
  // record the engine cannot read raises EDbfError: a move that stops there
  // leaves the record set on the record it stood on, the others without one.
  void First();
  void Last();
  void Next();
  void Prior();
  int MoveBy(int distance);  // records actually moved
  void Skip(int32_t count);
  void Go(int32_t record);
  void GoTop();
  void GoBottom();
  // Past the last record: the record set ran into the end, or the engine
  // reports the end of file for the work area.
  bool Eof();
  bool Bof();
  int32_t RecNo();
  void SetRecNo(int32_t record) { Go(record); }
  int32_t RecordCount();
  int32_t RecCount();
  bool Deleted();  // the current record carries the delete marker
  // Copies the current raw record (LEngineRecordBuffer().size() bytes);
  // EDbfError when the engine cannot read it.
  void DbfGetRecord(char* buffer);
  // Re-reads the current record when browsing (environment changes).
  void Refresh();
  bool SpeedMode() const { return speed_mode_; }
  void SetSpeedMode(bool value) { speed_mode_ = value; }
  TEOFAction EOFAction = eaMoveLast;
  TSequencedCount SequencedCount = scRawCount;

  // --- Fields (DbfTableFieldValues.cpp) --------------------------------------
  // The field object of that name, ignoring case; EDatabaseError
  // "<name>: Field '<field>' not found" when there is none.
  TDbfField& FieldByName(const std::string& field_name);
  TDbfField* FindField(const std::string& field_name);
  // Why a field object of that name is not there: "Field '%s' not found",
  // or, for a name that several fields of the table share (the engine
  // answers nothing by it), which positions carry it.
  std::string FieldNotFoundText(const std::string& field_name) const;

  // --- Editing (DbfTableEditing.cpp) -----------------------------------------
  TDataSetState State() const;
  // Takes the engine's record lock and re-reads the record; on an empty
  // table starts an insert instead. A record the engine cannot read fails
  // with its lock released, the table browsing.
  void Edit();
  void Insert();
  void Append();
  // Writes the edited or new record, releases the table's engine locks and
  // re-reads it. Only fields assigned since the edit began are rewritten:
  // the others keep their bytes exactly. A table marked encrypted is never
  // written: Edit, Insert and Delete refuse it. A failure (a value that does not fit, or an append,
  // write or commit the engine refuses; an append says so when the table has reached its largest
  // size) leaves the table editing, the lock held. A retried post of an insert rewrites the record
  // already appended.
  void Post();
  // Drops the edit or insert (nothing written) and releases the locks.
  void Cancel();
  // Marks the current record deleted; a delete the engine refuses raises.
  void Delete();
  // Assigns values[i] to the i-th field of the table file, counting fields
  // of every type. A value the field cannot take (an integer for a text
  // field or a field of a type the component does not know, a number out of
  // range), or more values than fields, raise EDbfError naming the field's
  // position, name and type, and assign nothing.
  void SetFields(const std::vector<TDbfValue>& values);
  bool Modified() const { return modified_; }

  // --- Regional settings, captured at creation -----------------------------------
  const RegionalSettings& FormatSettings() const { return format_; }
  void SetFormatSettings(const RegionalSettings& value) { format_ = value; }
  int Epoch() const { return FEpoch; }

  // --- Record state ---------------------------------------------------------
  const std::vector<char>& LEngineRecordBuffer() const { return engine_record_; }
  const TRecordBuffer& ActiveBuffer() const { return buffer_; }
  int16_t TwoDigitYearCenturyWindow() const { return two_digit_year_window_; }

 private:
  friend class TDbfField;
  enum class CursorState { kClosed, kOpening, kBrowse, kEdit, kInsert };
  enum class FetchMode { kCurrent, kNext, kPrior };
  enum class FetchResult { kOk, kAtBeginning, kAtEnd };

  TXbEngine& Engine();
  [[noreturn]] void RaiseError(const std::string& message);
  std::string ComputeDataPath();
  std::string GenerateAlias(const std::string& file_name);
  void OpenEngineArea();  // checks, then opens the work area and reads its shape
  void DiscoverFields();
  void BindFields();
  void ReleaseCursor();  // drops the record set, then closes the work area
  FetchResult Fetch(FetchMode mode, TRecordBuffer& buffer);
  void RecordToBuffer(TRecordBuffer& buffer);
  // The one way to a field's slot in a record buffer, and to its characters
  // in a raw record (nullopt when its catalogue entry lies outside it).
  TFieldSlot SlotOf(const TDbfField& field, TRecordBuffer& buffer);
  std::optional<std::span<char>> RawCharacters(const TDbfField& field,
                                               std::vector<char>& record) const;
  TFieldCodecContext CodecContext() const { return {format_.decimal_separator, FEpoch}; }
  void Resync();
  void AfterScrollStep();
  void CheckActive();
  void SettlePending();
  bool IsEditing() const { return state_ == CursorState::kEdit || state_ == CursorState::kInsert; }
  void ApplyEnvironment();  // copies a registered TDbfEnv's settings
  void BufferToRecord();
  // Writes the assigned fields into `record` (a raw record); EDbfError for
  // a value that does not fit its field.
  void EncodeAssignedFields(std::vector<char>& record);
  // "Field 3 \"QTY\" (N 3,0)": a table field by its position in the file.
  std::string DescribeField(int info_index) const;
  void RefuseEncrypted();  // EDbfError for a table marked encrypted
  void ForgetAssignments();
  [[noreturn]] void RaiseAppendRefused();
  void WriteModifiedBlobs();
  void SetFieldData(TDbfField& field, const void* native, size_t bytes);
  void FieldChanged() { modified_ = true; }
  void LoadBlob(const TDbfField& field);
  void RefreshCounts();
  int16_t Flag(bool value) const { return value ? -1 : 0; }

  std::string name_;
  std::string database_name_;
  std::string table_name_;
  TDbfTableType table_type_ = ttXBFOX;
  bool read_only_ = false;
  bool exclusive_ = false;
  bool FTranslate = false;
  bool sequenced_ = true;
  TAccessMethod access_method_ = amLocal;
  TDbfCommitLevel commit_level_ = clNormal;
  bool turbo_read_ = false;
  std::string password_;

  CursorState state_ = CursorState::kClosed;
  int16_t iWA = 0;
  std::string FDataPath;
  std::string FErrorMsg;
  int FErrorFunc = -1;
  int FErrorLevel = 1;
  bool FCursorOpen = false;
  bool LOpeningTable = false;

  // Environment copies; sent to the engine at open only when taken from an
  // environment settings object.
  int FEpoch = 1980;
  bool FCentury = true;
  TDbfDateFrmt FDateFormat = dfAmerican;
  bool FExact = false, FSoftSeek = false, FDeleted = false;
  uint16_t FMemoBlockSize = 0;
  bool FApplyEnvSettings = false;

  int FEngineFieldCount = 0;
  int FFieldCount = 0;
  int32_t FRecSize = 0;
  int32_t FRowCount = -1;
  int32_t FRecCount = -1;
  bool FIsEncrypted = false;
  std::string FIndexCondition;
  bool FCountNeedsRefresh = true;
  bool FUpdateLockList = true;
  int16_t two_digit_year_window_ = 0;

  std::vector<TFieldInfo> catalogue_;
  std::vector<TDbfFieldDef> field_defs_;
  std::vector<std::unique_ptr<TDbfField>> fields_;
  std::vector<char> engine_record_;
  TRecordBuffer buffer_;
  TRecordBuffer spare_;  // a move fetches here, so the current record stays at an end
  bool has_record_ = false;
  bool modified_ = false;
  bool speed_mode_ = false;
  int32_t FOldRec = 0;
  RegionalSettings format_;

  int32_t FRecNo = 0;
  bool FFirstCrack = false;
  bool FLastCrack = false;
  bool at_begin_ = false;
  bool at_end_ = false;
};

}  // namespace cratemark
