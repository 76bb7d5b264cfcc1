// The field catalogue of an open table, its field definitions and the field
// objects of the record set.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "xbase/DbfTableRecordBuffer.h"
#include "xbase/DbfTableValue.h"
#include "xbase/field_kind.h"

namespace cratemark {

class TDbfTable;

// One table field as the engine describes it, in table order.
struct TFieldInfo {
  std::string Name;       // upper case
  std::string Type;       // the engine's type text; its first letter counts
  int EngineOffset = 0;   // 0-based offset in the raw record (marker at 0)
  int NativeOffset = -1;  // slot in the record buffer; -1 while no field object is bound
  int Width = 0;
  int Decimals = 0;
};

// A field as the table defines it. Discovered at open, or added by a caller
// who wants to create a table without declaring field objects.
struct TDbfFieldDef {
  std::string Name;  // as the engine gives it
  TFieldKind Kind = TFieldKind::kUnknown;
  int Size = 0;  // text width; 0 for other kinds
  bool Required = false;
  int FieldNo = 0;  // 1-based catalogue entry; 0 for definitions not from a table
};

// A field object of the record set: declared with the table in advance, or
// created from the field definitions at open (and destroyed at close).
//
// Reading serves the table's current record buffer and never calls the
// engine (memos aside, loaded on first read); a closed table reads as null.
// Assigning needs the table editing or inserting. Failures raise
// EDatabaseError ("Cannot access field '%s' as type %s", the range message),
// EDbfError from the table, or Error for texts that are no number.
class TDbfField {
 public:
  TDbfField(TDbfTable* table, std::string name, TFieldKind kind, int size, bool declared)
      : FieldName(std::move(name)), Kind(kind), Size(size), table_(table), declared_(declared) {}

  std::string FieldName;
  TFieldKind Kind;
  int Size;                   // text: characters; others 0
  std::string DisplayFormat;  // float and currency fields created at open
  int Precision = 0;

  bool IsDeclared() const { return declared_; }
  bool IsBound() const { return info_index_ >= 0; }
  // 0-based catalogue entry of the bound table field, -1 when unbound.
  int InfoIndex() const { return info_index_; }
  // Position among the memo and blob fields, -1 for other kinds.
  int BlobIndex() const { return blob_index_; }
  int DataSize() const { return FieldKindDataSize(Kind, Size); }

  // --- Values ----------------------------------------------------------------
  bool IsNull() const;
  TDbfValue Value() const;       // null, or the value in the kind's own type
  std::string AsString() const;  // UTF-8; null reads as ""
  int32_t AsInteger() const;     // null reads as 0
  double AsFloat() const;
  bool AsBoolean() const;
  int32_t AsDate() const;  // day number; null reads as 0

  void SetValue(const TDbfValue& value);  // by the value's type; null clears
  void SetAsString(const std::string& value);
  void SetAsInteger(int64_t value);
  void SetAsBoolean(bool value);
  void SetAsFloat(double value);
  void SetAsDate(int32_t day_number);
  void Clear();

 private:
  friend class TDbfTable;
  [[noreturn]] void AccessError(const char* type_name) const;
  void CheckRange(double value, double min, double max) const;
  std::optional<TFieldSlot> Slot() const;  // nullopt: no slot (closed, unbound, memo)
  void Store(const void* native, size_t bytes);

  TDbfTable* table_;
  bool declared_;
  int info_index_ = -1;
  int blob_index_ = -1;
  // Assigned since the edit or insert began: only such fields are written.
  bool assigned_ = false;
};

}  // namespace cratemark
