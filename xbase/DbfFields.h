// The field catalogue of an open table, its field definitions and the field
// objects of the record set.
#pragma once

#include <string>

#include "xbase/DbfCommon.h"

namespace cratemark {

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
class TDbfField {
 public:
  TDbfField(std::string name, TFieldKind kind, int size, bool declared)
      : FieldName(std::move(name)), Kind(kind), Size(size), declared_(declared) {}

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

 private:
  friend class TDbfTable;
  bool declared_;
  int info_index_ = -1;
  int blob_index_ = -1;
};

}  // namespace cratemark
