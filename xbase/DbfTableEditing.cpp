// Editing: entering edit and insert mode, assigning typed values, posting the
// record buffer back into the raw record, cancelling and deleting.
#include <algorithm>
#include <cstring>

#include "platform/code_page.h"
#include "platform/error.h"
#include "platform/text.h"
#include "xbase/DbfTable.h"
#include "xbase/XbEngine.h"
#include "xbase/field_conversion.h"

namespace cratemark {
namespace {

const char kOutOfBounds[] = "Translate error. Value out of bounds";

template <typename Native>
Native SlotValue(const uint8_t* slot) {
  Native native{};
  std::memcpy(&native, slot + 1, sizeof native);
  return native;
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

void TDbfTable::SetFields(const std::vector<TDbfValue>& values) {
  for (size_t i = 0; i < values.size(); ++i) {
    if (i >= fields_.size()) throw Error(ErrorKind::kOther, "Argument out of range");
    fields_[i]->SetValue(values[i]);
  }
}

// --- Entering edit and insert mode ---------------------------------------------

void TDbfTable::Edit() {
  if (IsEditing()) return;
  CheckActive();
  if (!has_record_) return Insert();
  if (read_only_) throw EDatabaseError::For(name_, "Cannot modify a read-only dataset");
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
  modified_ = false;
  if (AfterEdit) AfterEdit(*this);
}

void TDbfTable::Insert() {
  CheckActive();
  SettlePending();
  if (read_only_) throw EDatabaseError::For(name_, "Cannot modify a read-only dataset");
  if (BeforeInsert) BeforeInsert(*this);
  if (iWA > 0) Engine().xb_Select(iWA);
  FOldRec = has_record_ ? buffer_.RecordNumber() : 0;
  buffer_.Reset();
  state_ = CursorState::kInsert;
  modified_ = false;
  if (OnNewRecord) OnNewRecord(*this);
  if (iWA > 0) Engine().xb_Select(iWA);
  buffer_.SetRecordNumber(-1);
  buffer_.SetPosition(TRecordPosition::kAfterLast);
  if (AfterInsert) AfterInsert(*this);
}

void TDbfTable::Append() { Insert(); }

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
  const uint8_t* data = buffer_.Data();
  for (const auto& field : fields_) {
    if (!field->IsBound()) continue;
    const TFieldInfo& info = catalogue_[static_cast<size_t>(field->info_index_)];
    if (info.EngineOffset < 0 || info.EngineOffset + info.Width > FRecSize) continue;
    char* raw = record.data() + info.EngineOffset;
    const size_t width = static_cast<size_t>(info.Width);
    const uint8_t* slot = data + info.NativeOffset;
    const bool present = !IsBlobKind(field->Kind) && slot[0] != 0;
    std::string text;
    switch (field->Kind) {
      case TFieldKind::kText:
        text = WriteTextField(present ? reinterpret_cast<const char*>(slot + 1) : "", info.Width);
        break;
      case TFieldKind::kSmallInt:
      case TFieldKind::kInteger: {
        if (!present) {
          text.assign(width, ' ');
          break;
        }
        int64_t value = field->Kind == TFieldKind::kSmallInt ? SlotValue<int16_t>(slot)
                                                             : SlotValue<int32_t>(slot);
        std::optional<std::string> digits = WriteIntegerField(value, info.Width);
        if (!digits) RaiseError(kOutOfBounds);
        text = *digits;
        break;
      }
      case TFieldKind::kBoolean:
        // One character; the rest of a wider field stays as it was.
        raw[0] = !present ? ' ' : SlotValue<int16_t>(slot) != 0 ? 'T' : 'F';
        continue;
      case TFieldKind::kFloat:
      case TFieldKind::kCurrency: {
        if (!present) {
          text.assign(width, ' ');
          break;
        }
        // Refused like an integer when it does not fit, so that it never
        // runs into the next field.
        std::optional<std::string> number =
            WriteFloatField(SlotValue<double>(slot), info.Width, info.Decimals);
        if (!number) RaiseError(kOutOfBounds);
        text = *number;
        break;
      }
      case TFieldKind::kDate: {
        if (!present) {
          text.assign(width, ' ');
          break;
        }
        int32_t day_number = SlotValue<int32_t>(slot);
        std::optional<std::string> date = WriteDateField(day_number, FEpoch);
        if (!date) {
          throw Error(ErrorKind::kInvalidData,
                      "'" + std::to_string(day_number) + ".0' is not a valid timestamp");
        }
        text = WriteTextField(*date, info.Width);
        break;
      }
      case TFieldKind::kMemo:
      case TFieldKind::kBlob: {
        const TBlobEntry& entry = buffer_.Blobs()[static_cast<size_t>(field->blob_index_)];
        text = WriteTextField(std::string_view(entry.block_ref.data(), entry.block_ref.size()),
                              info.Width);
        break;
      }
      default:
        continue;
    }
    std::memcpy(raw, text.data(), std::min(width, text.size()));
  }
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

void TDbfTable::Post() {
  CheckActive();
  if (!IsEditing()) return;
  if (BeforePost) BeforePost(*this);
  if (iWA > 0) {
    TXbEngine& engine = Engine();
    engine.xb_Select(iWA);
    if (state_ == CursorState::kInsert && buffer_.RecordNumber() == -1) {
      FCountNeedsRefresh = true;
      if (engine.xb_AppendBlank() <= 0) {
        RaiseError("Unable to append a record to table: " + GetFullTableName());
      }
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
  modified_ = false;
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
    modified_ = false;
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
