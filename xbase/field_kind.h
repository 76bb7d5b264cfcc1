// Kinds of field objects and field definitions, and every rule that depends
// on the kind alone: names in messages, native sizes, the kind a table field
// is read as, and how a kind is created in a table file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cratemark {

// Kind of a field object or field definition. The codes show in the message
// for kinds that table creation does not support.
enum class TFieldKind : int16_t {
  kUnknown = 0,
  kText = 1,
  kSmallInt = 2,
  kInteger = 3,
  kWord = 4,
  kBoolean = 5,
  kFloat = 6,
  kCurrency = 7,
  kBcd = 8,
  kDate = 9,
  kTime = 10,
  kDateTime = 11,
  kBytes = 12,
  kVarBytes = 13,
  kAutoIncrement = 14,
  kBlob = 15,
  kMemo = 16,
};

// Name of a kind as the record-set layer's messages show it ("String").
std::string_view FieldKindName(TFieldKind kind);

// Bytes of a kind's native value in the record buffer; 0 for kinds whose
// value lives elsewhere (memo, blob) or that have none. Text: `size` + 1
// (the characters and their terminator).
int FieldKindDataSize(TFieldKind kind, int size);

bool IsBlobKind(TFieldKind kind);  // memo or blob

// Kind of a field discovered in a table, from the engine's type text and the
// field's width and decimals; nullopt for fields the component does not know
// (other letters, and FoxPro's binary forms: I of width 4, M, B, G, P
// narrower than 10). Those are carried byte for byte.
std::optional<TFieldKind> KindForTypeText(std::string_view type, int width, int decimals);

// A field as the engine creates it (xb_CreateField): its name, the engine's
// type letter, width and decimals.
struct TEngineField {
  std::string name;
  char letter = 'C';
  int width = 0;
  int decimals = 0;
};
// How a field of a kind is created in a table file; nullopt for kinds that
// table creation does not support. `size` is the field's size (text width).
std::optional<TEngineField> EngineFieldFor(const std::string& name, TFieldKind kind, int size);

// "0" or "0." plus one "0" per decimal: display pattern of float fields.
std::string FloatDisplayPattern(int decimals);

}  // namespace cratemark
