#include "xbase/DbfCommon.h"

namespace cratemark {

std::string_view FieldKindName(TFieldKind kind) {
  switch (kind) {
    case TFieldKind::kText:
      return "String";
    case TFieldKind::kSmallInt:
      return "SmallInt";
    case TFieldKind::kInteger:
      return "Integer";
    case TFieldKind::kWord:
      return "Word";
    case TFieldKind::kBoolean:
      return "Boolean";
    case TFieldKind::kFloat:
      return "Float";
    case TFieldKind::kCurrency:
      return "Currency";
    case TFieldKind::kBcd:
      return "BCD";
    case TFieldKind::kDate:
      return "Date";
    case TFieldKind::kTime:
      return "Time";
    case TFieldKind::kDateTime:
      return "DateTime";
    case TFieldKind::kBytes:
      return "Bytes";
    case TFieldKind::kVarBytes:
      return "VarBytes";
    case TFieldKind::kAutoIncrement:
      return "AutoInc";
    case TFieldKind::kBlob:
      return "Blob";
    case TFieldKind::kMemo:
      return "Memo";
    case TFieldKind::kUnknown:
      break;
  }
  return "Unknown";
}

int FieldKindDataSize(TFieldKind kind, int size) {
  switch (kind) {
    case TFieldKind::kText:
      return size + 1;
    case TFieldKind::kSmallInt:
    case TFieldKind::kWord:
    case TFieldKind::kBoolean:
      return 2;
    case TFieldKind::kInteger:
    case TFieldKind::kAutoIncrement:
    case TFieldKind::kDate:
    case TFieldKind::kTime:
      return 4;
    case TFieldKind::kFloat:
    case TFieldKind::kCurrency:
    case TFieldKind::kDateTime:
      return 8;
    default:
      return 0;
  }
}

bool IsBlobKind(TFieldKind kind) { return kind == TFieldKind::kBlob || kind == TFieldKind::kMemo; }

}  // namespace cratemark
