// Editing: entering edit and insert mode, assigning typed values, posting the
// record buffer back into the raw record, cancelling and deleting.
#include <algorithm>
#include <cstring>

#include "platform/code_page.h"
#include "platform/error.h"
#include "platform/text.h"
#include "xbase/DbfTable.h"
#include "xbase/XbEngine.h"
#include "xbase/field_codec.h"
#include "xbase/field_conversion.h"

namespace cratemark {
namespace {

const char kOutOfBounds[] = "Translate error. Value out of bounds";

// Where the xBase lock bytes begin, in the scheme every program on these
// files uses: no table's data may reach them.
constexpr int64_t kLockRegionStart = 1'000'000'000;

// Whether SetFields hands a value of `type` to a field of `kind`. Numbers
// and logicals are never turned into text: a value that lands on a text
// field means the values and the fields do not line up.
bool KindTakesValue(TFieldKind kind, TDbfValue::Type type) {
  switch (type) {
    case TDbfValue::Type::kNull:
      return kind != TFieldKind::kUnknown;
    case TDbfValue::Type::kInteger:
    case TDbfValue::Type::kFloat:
      return kind == TFieldKind::kSmallInt || kind == TFieldKind::kInteger ||
             kind == TFieldKind::kFloat || kind == TFieldKind::kCurrency;
    case TDbfValue::Type::kBoolean:
      return kind == TFieldKind::kBoolean;
    case TDbfValue::Type::kText:
      return kind == TFieldKind::kText || IsBlobKind(kind);
    case TDbfValue::Type::kDate:
      return kind == TFieldKind::kDate;
  }
  return false;
}

std::string DescribeValue(const TDbfValue& value) {
  switch (value.type()) {
    case TDbfValue::Type::kNull:
      return "an empty value";
    case TDbfValue::Type::kInteger:
      return "the integer " + std::to_string(value.integer());
    case TDbfValue::Type::kBoolean:
      return std::string("the logical value ") + (value.boolean() ? "true" : "false");
    case TDbfValue::Type::kText:
      return "the text \"" + value.text() + "\"";
    case TDbfValue::Type::kFloat:
      return "the number " + FormatGeneralNumber(value.number());
    case TDbfValue::Type::kDate:
      return "a date";
  }
  return "a value";
}

}  // namespace

TDataSetState TDbfTable::State() const {
  switch (state_) {
    case CursorState::kBrowse:
      return TDataSetState::dsBrowse;
    case CursorState::kEdit:
      return TDataSetState::dsEdit;
    case CursorState::kInsert:
      return TDataSetState::dsInsert;
    default:
      return TDataSetState::dsInactive;
  }
}

std::string TDbfTable::DescribeField(int info_index) const {
  const TFieldInfo& info = catalogue_[static_cast<size_t>(info_index)];
  // Appended piece by piece: GCC 12 at -O2 warns (-Wrestrict, falsely) on
  // the same text built with operator+ chains.
  std::string text = "Field ";
  text += std::to_string(info_index + 1);
  text += " \"";
  text += info.Name;
  text += "\" (";
  text += info.Type.substr(0, 1);
  text += ' ';
  text += std::to_string(info.Width);
  if (info.Decimals > 0) {
    text += ',';
    text += std::to_string(info.Decimals);
  }
  text += ')';
  return text;
}

void TDbfTable::SetFields(const std::vector<TDbfValue>& values) {
  CheckActive();
  if (!IsEditing()) RaiseError("Data set must be in Edit or Insert mode to update");
  if (values.size() > catalogue_.size()) {
    RaiseError("Argument out of range: " + std::to_string(values.size()) + " values for the " +
               std::to_string(catalogue_.size()) + " fields of table " + GetFullTableName());
  }
  // Value i goes to the i-th field of the file, whatever the kinds of the
  // fields before it. A refused value leaves the record as it was.
  const TRecordBuffer saved_buffer = buffer_;
  const bool saved_modified = modified_;
  std::vector<bool> saved_assigned;
  for (const auto& field : fields_) saved_assigned.push_back(field->assigned_);
  auto restore = [&] {
    buffer_ = saved_buffer;
    modified_ = saved_modified;
    for (size_t i = 0; i < fields_.size(); ++i) fields_[i]->assigned_ = saved_assigned[i];
  };
  for (size_t i = 0; i < values.size(); ++i) {
    const int position = static_cast<int>(i);
    TDbfField* field = nullptr;
    for (const auto& candidate : fields_) {
      if (candidate->InfoIndex() == position) field = candidate.get();
    }
    const std::string refusal =
        DescribeField(position) + " cannot take " + DescribeValue(values[i]);
    if (field == nullptr || !KindTakesValue(field->Kind, values[i].type())) {
      restore();
      RaiseError(refusal);
    }
    try {
      field->SetValue(values[i]);
    } catch (const Error& error) {
      restore();
      RaiseError(refusal + ": " + error.what());
    }
  }
}

// --- Entering edit and insert mode ---------------------------------------------

void TDbfTable::Edit() {
  if (IsEditing()) return;
  CheckActive();
  if (!has_record_) return Insert();
  if (read_only_) throw EDatabaseError::For(name_, "Cannot modify a read-only dataset");
  RefuseEncrypted();
  if (BeforeEdit) BeforeEdit(*this);
  if (iWA > 0) {
    TXbEngine& engine = Engine();
    engine.xb_Select(iWA);
    FRecNo = speed_mode_ ? engine.xb_RecNo() : buffer_.RecordNumber();
    if (engine.xb_Rlock(FRecNo) == 0 && FErrorFunc == -1) {
      RaiseError("Record Lock Failure. May be locked by another user or task.");
    }
    // Start from the record as it is on disk now that nobody else can change it.
    if (*engine.xb_Alias(iWA) != '\0' && FRecNo != -1) {
      engine.xb_Go(FRecNo);
      if (engine.xb_GetRecord(engine_record_.data()) == 0) {
        // The engine hands out blanks then; a post would write them back.
        engine.xb_Unlock(FRecNo);
        RaiseError("Unable to read the record from table: " + GetFullTableName());
      }
      RecordToBuffer(buffer_);
    }
  }
  state_ = CursorState::kEdit;
  ForgetAssignments();
  if (AfterEdit) AfterEdit(*this);
}

void TDbfTable::Insert() {
  CheckActive();
  SettlePending();
  if (read_only_) throw EDatabaseError::For(name_, "Cannot modify a read-only dataset");
  RefuseEncrypted();
  if (BeforeInsert) BeforeInsert(*this);
  if (iWA > 0) Engine().xb_Select(iWA);
  FOldRec = has_record_ ? buffer_.RecordNumber() : 0;
  buffer_.Reset();
  state_ = CursorState::kInsert;
  ForgetAssignments();
  if (OnNewRecord) OnNewRecord(*this);
  if (iWA > 0) Engine().xb_Select(iWA);
  buffer_.SetRecordNumber(-1);
  buffer_.SetPosition(TRecordPosition::kAfterLast);
  if (AfterInsert) AfterInsert(*this);
}

void TDbfTable::Append() { Insert(); }

void TDbfTable::RefuseEncrypted() {
  // The engine does not encrypt: whatever we wrote would be neither the
  // table's cipher nor readable to its owner.
  if (FIsEncrypted) {
    RaiseError("The table " + GetFullTableName() +
               " is marked encrypted: it can be read but not changed.");
  }
}

void TDbfTable::ForgetAssignments() {
  modified_ = false;
  for (const auto& field : fields_) field->assigned_ = false;
}

// --- Posting -----------------------------------------------------------------

void TDbfTable::BufferToRecord() {
  if (iWA <= 0) return;
  TXbEngine& engine = Engine();
  engine.xb_Select(iWA);
  const bool inserting = state_ == CursorState::kInsert;
  // Fields without a field object keep their stored characters; blanks from
  // a failed read would overwrite them.
  if (static_cast<int>(fields_.size()) != FFieldCount &&
      engine.xb_GetRecord(engine_record_.data()) == 0) {
    RaiseError("Unable to read the record from table: " + GetFullTableName());
  }
  // Built apart, so that a value that cannot be stored leaves the raw record
  // as it was read. A new record starts blank, as the engine appended it.
  std::vector<char> record = engine_record_;
  if (inserting && static_cast<int>(fields_.size()) == FFieldCount) {
    std::fill(record.begin(), record.end(), ' ');
  }
  EncodeAssignedFields(record);
  if (inserting) {
    record[0] = ' ';
  } else if (engine.xb_Deleted() != 0) {
    record[0] = '*';
  }
  engine_record_ = std::move(record);
  // A write the engine refuses would otherwise look like a stored record.
  if (engine.xb_PutRecord(engine_record_.data()) == 0) {
    RaiseError("Unable to write the record to table: " + GetFullTableName());
  }
}

void TDbfTable::EncodeAssignedFields(std::vector<char>& record) {
  // Only assigned fields are rewritten: the others keep their bytes exactly,
  // whatever another program wrote there. Memo and blob references are never
  // rewritten here; a changed text goes to the engine after the record.
  const TFieldCodecContext context = CodecContext();
  for (const auto& field : fields_) {
    if (!field->IsBound() || !field->assigned_ || IsBlobKind(field->Kind)) continue;
    std::optional<std::span<char>> raw = RawCharacters(*field, record);
    if (!raw) continue;
    const TFieldCodec* codec = FieldCodecFor(field->Kind);
    if (codec == nullptr) continue;
    const TFieldInfo& info = catalogue_[static_cast<size_t>(field->InfoIndex())];
    TEncodeResult result = TEncodeResult::kStored;
    try {
      result = codec->encode(SlotOf(*field, buffer_), info.Decimals, context, *raw);
    } catch (const Error& error) {
      RaiseError(std::string(error.what()) + "\r" + DescribeField(field->InfoIndex()));
    }
    if (result == TEncodeResult::kOutOfBounds) {
      RaiseError(std::string(kOutOfBounds) + "\r" + DescribeField(field->InfoIndex()));
    }
  }
}

void TDbfTable::WriteModifiedBlobs() {
  TXbEngine& engine = Engine();
  for (const auto& field : fields_) {
    if (!field->IsBound() || !IsBlobKind(field->Kind)) continue;
    const TBlobEntry& entry = buffer_.Blobs()[static_cast<size_t>(field->blob_index_)];
    if (entry.modified == 0) continue;
    std::string name = Utf8ToAnsi(field->FieldName);
    bool stored = false;
    if (field->Kind == TFieldKind::kMemo) {
      stored = engine.xb_Replace(name.c_str(), 3072, entry.value.c_str()) != 0;
    } else {
      stored = engine.xb_PutBlob(name.c_str(), entry.value.data(), entry.size) == entry.size;
    }
    if (!stored) RaiseError("Blob Write Error");
  }
}

void TDbfTable::RaiseAppendRefused() {
  std::string message = "Unable to append a record to table: " + GetFullTableName();
  // The engine does not say why; a table at its largest size deserves
  // saying so, since retrying cannot help. Its header is estimated as the
  // dBase III one (32 bytes, 32 per field, the terminator).
  const int64_t header_bytes = 32 + 32 * int64_t{FFieldCount} + 1;
  const int64_t next_end = header_bytes + (int64_t{RecCount()} + 1) * FRecSize + 1;
  if (next_end > kLockRegionStart) {
    message += "\rThe table has reached its largest size (1,000,000,000 bytes).";
  }
  RaiseError(message);
}

void TDbfTable::Post() {
  CheckActive();
  if (!IsEditing()) return;
  if (BeforePost) BeforePost(*this);
  if (iWA > 0) {
    TXbEngine& engine = Engine();
    engine.xb_Select(iWA);
    if (state_ == CursorState::kInsert && buffer_.RecordNumber() == -1) {
      // A value that does not fit is refused before the record is appended,
      // so that a refused post leaves the table as it was.
      std::vector<char> trial(engine_record_.size(), ' ');
      EncodeAssignedFields(trial);
      FCountNeedsRefresh = true;
      if (engine.xb_AppendBlank() <= 0) RaiseAppendRefused();
      FRecNo = engine.xb_RecNo();
      FRowCount = engine.xb_RecCount();
      // A retry after a failed write goes to this record, not to a new one.
      buffer_.SetRecordNumber(FRecNo);
    }
    BufferToRecord();
    WriteModifiedBlobs();
    if (engine.xb_Commit() == 0) {
      RaiseError("Unable to write the record to table: " + GetFullTableName());
    }
    engine.xb_Unlock(0);
    if (!speed_mode_) {
      buffer_.SetPosition(engine.xb_Eof() != 0 ? TRecordPosition::kAfterLast
                                               : TRecordPosition::kRecord);
      FRecNo = engine.xb_RecNo();
      buffer_.SetRecordNumber(FRecNo);
    }
    FOldRec = 0;
  }
  state_ = CursorState::kBrowse;
  ForgetAssignments();
  Resync();
  if (AfterPost) AfterPost(*this);
}

// --- Cancelling and deleting ----------------------------------------------------

void TDbfTable::Cancel() {
  if (state_ == CursorState::kClosed || state_ == CursorState::kOpening) return;
  if (IsEditing()) {
    if (BeforeCancel) BeforeCancel(*this);
    const bool was_inserting = state_ == CursorState::kInsert;
    state_ = CursorState::kBrowse;
    ForgetAssignments();
    if (was_inserting) {
      buffer_.SetRecordNumber(FOldRec);
      buffer_.SetPosition(TRecordPosition::kRecord);
      if (FOldRec > 0) {
        Resync();
      } else {
        buffer_.Reset();
        has_record_ = false;
        at_end_ = true;
      }
    } else {
      Resync();
    }
    if (iWA > 0) Engine().xb_Select(iWA);
    FOldRec = 0;
    if (AfterCancel) AfterCancel(*this);
  }
  if (iWA > 0) {
    Engine().xb_Select(iWA);
    Engine().xb_Unlock(0);
  }
}

void TDbfTable::Delete() {
  CheckActive();
  SettlePending();
  if (BeforeDelete) BeforeDelete(*this);
  if (BeforeScroll) BeforeScroll(*this);
  if (read_only_ && FErrorFunc == -1) RaiseError("Cannot modify a read-only data set");
  RefuseEncrypted();
  const bool empty = speed_mode_ ? FRecNo >= FRecCount : !has_record_;
  if (empty && FErrorFunc == -1) RaiseError("Cannot perform this operation on an empty table");
  if (iWA <= 0) return;
  TXbEngine& engine = Engine();
  engine.xb_Select(iWA);
  engine.xb_Go(speed_mode_ ? engine.xb_RecNo() : buffer_.RecordNumber());
  // A refused delete must not look like a deleted record.
  auto delete_current = [&] {
    if (engine.xb_Delete() == 0) {
      RaiseError("Unable to delete the record from table: " + GetFullTableName());
    }
  };
  std::string condition = ToUpper(engine.xb_IndexCondition());
  if (condition.find("DELETED()") != std::string::npos || engine.xb_SysProp(1006, 0) != 0) {
    // Deleted records are hidden: stand on the follower afterwards.
    int32_t deleted = engine.xb_RecNo();
    engine.xb_Skip(1);
    int32_t follower = engine.xb_Eof() != 0 ? -1 : engine.xb_RecNo();
    engine.xb_Go(deleted);
    delete_current();
    if (follower == -1) {
      engine.xb_GoBottom();
    } else {
      engine.xb_Go(follower);
    }
  } else {
    delete_current();
  }
  if (!speed_mode_) {
    buffer_.SetPosition(engine.xb_Eof() != 0 ? TRecordPosition::kAfterLast
                                             : TRecordPosition::kRecord);
    FRecNo = engine.xb_RecNo();
    buffer_.SetRecordNumber(FRecNo);
  }
  FCountNeedsRefresh = true;
  Resync();
  if (AfterDelete) AfterDelete(*this);
  if (AfterScroll) AfterScroll(*this);
}

}  // namespace cratemark
