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

int Width(std::span<char> raw) { return static_cast<int>(raw.size()); }

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
  const TFieldCodecContext context = CodecContext();
  for (const auto& field : fields_) {
    if (!field->IsBound()) continue;
    std::optional<std::span<char>> raw = RawCharacters(*field, record);
    if (!raw) continue;
    if (IsBlobKind(field->Kind)) {
      const TBlobEntry& entry = buffer_.Blobs()[static_cast<size_t>(field->blob_index_)];
      const std::string reference = WriteTextField(
          std::string_view(entry.block_ref.data(), entry.block_ref.size()), Width(*raw));
      std::copy(reference.begin(), reference.end(), raw->begin());
      continue;
    }
    const TFieldCodec* codec = FieldCodecFor(field->Kind);
    if (codec != nullptr &&
        codec->encode(SlotOf(*field, buffer_),
                      catalogue_[static_cast<size_t>(field->InfoIndex())].Decimals, context,
                      *raw) == TEncodeResult::kOutOfBounds) {
      RaiseError(kOutOfBounds);
    }
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
