// The raw record cut into the record buffer, finding field objects by name,
// storing an assigned native value, and loading memos on demand.
#include <algorithm>
#include <cstring>

#include "platform/code_page.h"
#include "platform/text.h"
#include "xbase/DbfTable.h"
#include "xbase/XbEngine.h"
#include "xbase/field_conversion.h"

namespace cratemark {
namespace {

template <typename Native>
void Put(uint8_t* slot, const std::optional<Native>& value) {
  slot[0] = value ? 1 : 0;
  Native native = value.value_or(Native());
  std::memcpy(slot + 1, &native, sizeof native);
}

}  // namespace

// --- Raw record to record buffer ------------------------------------------------

void TDbfTable::RecordToBuffer(TRecordBuffer& buffer) {
  uint8_t* data = buffer.Data();
  const bool masked = FIsEncrypted && password_.empty();
  const bool inserting_at_end =
      state_ == CursorState::kInsert && buffer.Position() == TRecordPosition::kAfterLast;
  for (const auto& field : fields_) {
    if (!field->IsBound()) continue;
    const TFieldInfo& info = catalogue_[static_cast<size_t>(field->info_index_)];
    if (info.EngineOffset < 0 || info.EngineOffset + info.Width > FRecSize) continue;
    std::string_view raw(engine_record_.data() + info.EngineOffset,
                         static_cast<size_t>(info.Width));
    uint8_t* slot = data + info.NativeOffset;
    if (masked && !IsBlobKind(field->Kind)) {
      slot[0] = 1;
      std::memset(slot + 1, 0, static_cast<size_t>(field->DataSize()));
      if (field->Kind == TFieldKind::kText) {
        std::memset(slot + 1, '*', static_cast<size_t>(field->Size));
      }
      continue;
    }
    switch (field->Kind) {
      case TFieldKind::kText: {
        // Bounded by the slot: a declared field may be narrower than the table's.
        std::string text = ReadTextField(raw, static_cast<size_t>(field->Size));
        slot[0] = 1;
        std::memcpy(slot + 1, text.data(), text.size());
        slot[1 + text.size()] = 0;
        break;
      }
      case TFieldKind::kSmallInt: {
        std::optional<int32_t> value = ReadIntegerField(raw);
        Put<int16_t>(slot,
                     value ? std::optional<int16_t>(static_cast<int16_t>(*value)) : std::nullopt);
        break;
      }
      case TFieldKind::kInteger:
        Put<int32_t>(slot, ReadIntegerField(raw));
        break;
      case TFieldKind::kBoolean: {
        std::optional<bool> value = ReadBooleanField(raw);
        Put<int16_t>(slot, value ? std::optional<int16_t>(*value ? 1 : 0) : std::nullopt);
        break;
      }
      case TFieldKind::kFloat:
        Put<double>(slot, ReadFloatField(raw, format_.decimal_separator));
        break;
      case TFieldKind::kDate:
        Put<int32_t>(slot, ReadDateField(raw));
        break;
      case TFieldKind::kMemo:
      case TFieldKind::kBlob: {
        TBlobEntry& entry = buffer.Blobs()[static_cast<size_t>(field->blob_index_)];
        entry = TBlobEntry();
        if (!inserting_at_end) {
          std::memcpy(entry.block_ref.data(), raw.data(),
                      std::min(raw.size(), entry.block_ref.size()));
        }
        break;
      }
      default:  // currency and others keep what the slot held
        break;
    }
  }
}

// --- Finding fields --------------------------------------------------------------

TDbfField* TDbfTable::FindField(const std::string& field_name) {
  for (const auto& field : fields_) {
    if (EqualsNoCase(field->FieldName, field_name)) return field.get();
  }
  return nullptr;
}

TDbfField& TDbfTable::FieldByName(const std::string& field_name) {
  TDbfField* field = FindField(field_name);
  if (field == nullptr) throw EDatabaseError::For(name_, "Field '" + field_name + "' not found");
  return *field;
}

// --- Assigning and memos ---------------------------------------------------------

void TDbfTable::SetFieldData(TDbfField& field, const void* native, size_t bytes) {
  if (!IsEditing()) RaiseError("Data set must be in Edit or Insert mode to update");
  if (!field.IsBound()) return;
  uint8_t* slot = buffer_.Data() + catalogue_[static_cast<size_t>(field.info_index_)].NativeOffset;
  size_t room = static_cast<size_t>(field.DataSize());
  std::memset(slot + 1, 0, room);
  slot[0] = native != nullptr ? 1 : 0;
  if (native != nullptr) std::memcpy(slot + 1, native, std::min(bytes, room));
  FieldChanged();
}

void TDbfTable::LoadBlob(const TDbfField& field) {
  TBlobEntry& entry = buffer_.Blobs()[static_cast<size_t>(field.blob_index_)];
  if (entry.loaded != 0 || speed_mode_ || iWA <= 0 || !has_record_) return;
  int32_t row = buffer_.RecordNumber();
  if (row < 1) return;  // a new record has nothing stored yet
  TXbEngine& engine = Engine();
  std::string name = Utf8ToAnsi(field.FieldName);
  engine.xb_Select(iWA);
  int32_t stood_on = engine.xb_RecNo();
  engine.xb_Go(row);
  int32_t length = table_type_ != ttXBNTX ? engine.xb_GetBlobLength(name.c_str()) : 0;
  if (field.Kind == TFieldKind::kMemo && length < 65535) {
    char* text = engine.xb_GetMemo(name.c_str(), 0);
    entry.value = text != nullptr ? std::string(text) : std::string();
    if (text != nullptr && *text != '\0') engine.xb_MemDealloc(text);
  } else {
    entry.value.assign(static_cast<size_t>(std::max(0, length)), '\0');
    int32_t read = engine.xb_GetBlob(name.c_str(), entry.value.data(), length);
    entry.value.resize(static_cast<size_t>(std::clamp(read, 0, std::max(0, length))));
  }
  entry.size = static_cast<int32_t>(entry.value.size());
  entry.loaded = 255;
  engine.xb_Go(stood_on);
}

}  // namespace cratemark
