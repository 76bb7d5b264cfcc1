// The raw record cut into the record buffer, finding field objects by name,
// storing an assigned native value, and loading memos on demand.
#include <algorithm>
#include <cstring>

#include "platform/code_page.h"
#include "platform/text.h"
#include "xbase/DbfTable.h"
#include "xbase/XbEngine.h"
#include "xbase/field_codec.h"

namespace cratemark {

// --- Raw record to record buffer ------------------------------------------------

TFieldSlot TDbfTable::SlotOf(const TDbfField& field, TRecordBuffer& buffer) {
  const TFieldInfo& info = catalogue_[static_cast<size_t>(field.info_index_)];
  return buffer.Slot(info.NativeOffset, field.DataSize());
}

std::optional<std::span<char>> TDbfTable::RawCharacters(const TDbfField& field,
                                                        std::vector<char>& record) const {
  const TFieldInfo& info = catalogue_[static_cast<size_t>(field.info_index_)];
  // A catalogue entry that lies outside the record is left alone.
  if (info.EngineOffset < 0 || info.Width < 0 ||
      static_cast<size_t>(info.EngineOffset) + static_cast<size_t>(info.Width) > record.size()) {
    return std::nullopt;
  }
  return std::span<char>(record.data() + info.EngineOffset, static_cast<size_t>(info.Width));
}

void TDbfTable::RecordToBuffer(TRecordBuffer& buffer) {
  const bool masked = FIsEncrypted && password_.empty();
  const bool inserting_at_end =
      state_ == CursorState::kInsert && buffer.Position() == TRecordPosition::kAfterLast;
  const TFieldCodecContext context = CodecContext();
  for (const auto& field : fields_) {
    if (!field->IsBound()) continue;
    std::optional<std::span<char>> characters = RawCharacters(*field, engine_record_);
    if (!characters) continue;
    const std::string_view raw(characters->data(), characters->size());
    if (IsBlobKind(field->Kind)) {
      TBlobEntry& entry = buffer.Blobs()[static_cast<size_t>(field->blob_index_)];
      entry = TBlobEntry();
      if (!inserting_at_end) {
        std::memcpy(entry.block_ref.data(), raw.data(),
                    std::min(raw.size(), entry.block_ref.size()));
      }
      continue;
    }
    TFieldSlot slot = SlotOf(*field, buffer);
    if (masked) {
      // Present, every byte of the value zero (text: all "*").
      const int16_t zero = 0;
      slot.Store(&zero, 0);
      if (field->Kind == TFieldKind::kText) {
        slot.SetText(std::string(static_cast<size_t>(field->Size), '*'));
      }
      continue;
    }
    if (const TFieldCodec* codec = FieldCodecFor(field->Kind)) codec->decode(raw, context, slot);
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
  if (field == nullptr) throw EDatabaseError::For(name_, FieldNotFoundText(field_name));
  return *field;
}

std::string TDbfTable::FieldNotFoundText(const std::string& field_name) const {
  std::string positions;
  int count = 0;
  for (size_t i = 0; i < catalogue_.size(); ++i) {
    if (!EqualsNoCase(catalogue_[i].Name, field_name)) continue;
    positions += (count++ == 0 ? "" : " and ") + std::to_string(i + 1);
  }
  if (count < 2) return "Field '" + field_name + "' not found";
  return "Field '" + field_name + "' is ambiguous: fields " + positions +
         " of the table share that name";
}

// --- Assigning and memos ---------------------------------------------------------

void TDbfTable::SetFieldData(TDbfField& field, const void* native, size_t bytes) {
  if (!IsEditing()) RaiseError("Data set must be in Edit or Insert mode to update");
  if (!field.IsBound()) return;
  SlotOf(field, buffer_).Store(native, bytes);
  field.assigned_ = true;
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
