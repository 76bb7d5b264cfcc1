#include "xbase/field_kind.h"

namespace cratemark {
namespace {

constexpr int kBinaryIntegerWidth = 4;
constexpr int kBlockReferenceWidth = 10;

// Narrower than a block reference; 0 is a width still to be given (a field
// about to be created), not a field of a table.
bool IsBinaryPointer(int width) { return width > 0 && width < kBlockReferenceWidth; }

}  // namespace

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

std::optional<TFieldKind> KindForTypeText(std::string_view type, int width, int decimals) {
  // The engine answers a width past its range (a text field of 32 KB or
  // more) as negative: such a field is carried as it is, never read.
  if (type.empty() || width < 0) return std::nullopt;
  switch (type[0]) {
    case 'C':
      return TFieldKind::kText;
    case 'D':
      return TFieldKind::kDate;
    case 'N':
    case 'F':
      return (decimals > 0 || width > 4) ? TFieldKind::kFloat : TFieldKind::kSmallInt;
    // FoxPro keeps integers in 4 binary bytes, and memos, blobs, pictures
    // and doubles as binary numbers narrower than a 10-character block
    // reference: those fields are carried as they are, never read or written.
    case 'I':
      if (width == kBinaryIntegerWidth) return std::nullopt;
      return TFieldKind::kInteger;
    case 'L':
      return TFieldKind::kBoolean;
    case 'M':
      if (IsBinaryPointer(width)) return std::nullopt;
      return TFieldKind::kMemo;
    case 'B':
    case 'G':
    case 'P':
      if (IsBinaryPointer(width)) return std::nullopt;
      return TFieldKind::kBlob;
    default:
      return std::nullopt;
  }
}

std::optional<TEngineField> EngineFieldFor(const std::string& name, TFieldKind kind, int size) {
  const auto field = [&](char letter, int width, int decimals) {
    return TEngineField{name, letter, width, decimals};
  };
  switch (kind) {
    case TFieldKind::kText:
      return field('C', size, 0);
    case TFieldKind::kSmallInt:
    case TFieldKind::kAutoIncrement:
      return field('N', 6, 0);
    case TFieldKind::kInteger:
      return field('N', 11, 0);
    case TFieldKind::kBoolean:
      return field('L', 1, 0);
    case TFieldKind::kFloat:
      return field('N', 20, 4);
    case TFieldKind::kCurrency:
      return field('N', 20, 2);
    case TFieldKind::kDate:
    case TFieldKind::kTime:
    case TFieldKind::kDateTime:
      return field('D', 8, 0);
    case TFieldKind::kBlob:
    case TFieldKind::kMemo:
      return field('M', 10, 0);
    default:
      return std::nullopt;
  }
}

std::string FloatDisplayPattern(int decimals) {
  return decimals <= 0 ? "0" : "0." + std::string(static_cast<size_t>(decimals), '0');
}

}  // namespace cratemark
