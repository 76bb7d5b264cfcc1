// Enumerations shared by the table component and the environment settings.
// The numbers are part of the interface: some reach the engine, some appear
// in messages.
#pragma once

#include <cstdint>
#include <string_view>

namespace cratemark {

// Table and memo format handed to the engine.
enum TDbfTableType : int16_t {
  ttXBNONE = 0,
  ttXBNTX = 1,
  ttXBFOX = 2,
  ttXBNSX = 3,
  ttXBNSX_DBT = 4,
};

enum TAccessMethod : int16_t {
  amLocal = 0,
  amServer = 1,
};

enum TDbfCommitLevel : int16_t {
  clFull = 0,
  clNormal = 1,
  clNone = 2,
};

enum TDbfDateFrmt : int16_t {
  dfAmerican = 0,
  dfAnsi = 1,
  dfBritish = 2,
  dfFrench = 3,
  dfGerman = 4,
  dfItalian = 5,
  dfSpanish = 6,
  dfWinDefault = 7,
};

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

}  // namespace cratemark
