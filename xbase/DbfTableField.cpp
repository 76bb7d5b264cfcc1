// The field objects: their values read from the table's record buffer in
// every type, and typed values assigned to them.
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/code_page.h"
#include "platform/error.h"
#include "platform/text.h"
#include "xbase/DbfTable.h"
#include "xbase/field_conversion.h"

namespace cratemark {
namespace {

std::string FloatText(double value, char decimal_separator) {
  std::string text = FormatGeneralNumber(value);
  for (char& c : text) {
    if (c == '.') c = decimal_separator;
  }
  return text;
}

// A day number by a short date pattern of d, dd, M, MM, yy and yyyy; "/"
// stands for the date separator, other characters are copied.
std::string DateText(int32_t day_number, const RegionalSettings& format) {
  std::optional<TCalendarDate> date = CalendarDate(day_number);
  if (!date) return {};
  const std::string& pattern = format.short_date_format;
  std::string text;
  for (size_t i = 0; i < pattern.size();) {
    char c = pattern[i];
    size_t run = 1;
    while (i + run < pattern.size() && pattern[i + run] == c) ++run;
    auto padded = [](int value, size_t digits) {
      std::string number = std::to_string(value);
      return std::string(number.size() < digits ? digits - number.size() : 0, '0') + number;
    };
    if (c == 'd' || c == 'M') {
      int value = c == 'd' ? date->day : date->month;
      text += run >= 2 ? padded(value, 2) : std::to_string(value);
    } else if (c == 'y') {
      text += run >= 3 ? padded(date->year, 4) : padded(date->year % 100, 2);
    } else if (c == '/') {
      text.append(run, format.date_separator);
    } else {
      text.append(run, c);
    }
    i += run;
  }
  return text;
}

std::optional<int64_t> ParseInteger(const std::string& text) {
  std::string trimmed = Trim(text);
  if (trimmed.empty()) return std::nullopt;
  size_t used = 0;
  try {
    long long value = std::stoll(trimmed, &used, 10);
    if (used == trimmed.size()) return value;
  } catch (const std::exception&) {
  }
  return std::nullopt;
}

}  // namespace

// --- Field objects: reading -------------------------------------------------------

std::optional<TFieldSlot> TDbfField::Slot() const {
  if (table_ == nullptr || !IsBound() || !table_->Active() || IsBlobKind(Kind)) {
    return std::nullopt;
  }
  return table_->SlotOf(*this, table_->buffer_);
}

bool TDbfField::IsNull() const {
  if (IsBlobKind(Kind)) {
    if (table_ == nullptr || !IsBound() || !table_->Active()) return true;
    const TBlobEntry& entry = table_->buffer_.Blobs()[static_cast<size_t>(blob_index_)];
    if (entry.modified != 0) return entry.size == 0;
    return std::string_view(entry.block_ref.data(), entry.block_ref.size()) ==
           std::string(entry.block_ref.size(), ' ');
  }
  std::optional<TFieldSlot> slot = Slot();
  return !slot || !slot->IsPresent();
}

TDbfValue TDbfField::Value() const {
  if (IsNull()) return TDbfValue::Null();
  switch (Kind) {
    case TFieldKind::kSmallInt:
    case TFieldKind::kInteger:
      return TDbfValue::Integer(AsInteger());
    case TFieldKind::kBoolean:
      return TDbfValue::Boolean(AsBoolean());
    case TFieldKind::kFloat:
    case TFieldKind::kCurrency:
      return TDbfValue::Float(AsFloat());
    case TFieldKind::kDate:
      return TDbfValue::Date(AsDate());
    default:
      return TDbfValue::Text(AsString());
  }
}

std::string TDbfField::AsString() const {
  if (IsBlobKind(Kind)) {
    if (IsNull()) return {};
    table_->LoadBlob(*this);
    return AnsiToUtf8(table_->buffer_.Blobs()[static_cast<size_t>(blob_index_)].value);
  }
  if (IsNull()) return {};
  switch (Kind) {
    case TFieldKind::kText:
      return AnsiToUtf8(Slot()->Text());
    case TFieldKind::kSmallInt:
    case TFieldKind::kInteger:
      return std::to_string(AsInteger());
    case TFieldKind::kBoolean:
      return AsBoolean() ? "True" : "False";
    case TFieldKind::kFloat:
    case TFieldKind::kCurrency:
      return FloatText(AsFloat(), table_->format_.decimal_separator);
    case TFieldKind::kDate:
      return DateText(AsDate(), table_->format_);
    default:
      return {};
  }
}

int32_t TDbfField::AsInteger() const {
  switch (Kind) {
    case TFieldKind::kSmallInt:
    case TFieldKind::kBoolean:
      return IsNull() ? 0 : Slot()->Get<int16_t>();
    case TFieldKind::kInteger:
      return IsNull() ? 0 : Slot()->Get<int32_t>();
    case TFieldKind::kFloat:
    case TFieldKind::kCurrency: {
      double value = std::round(AsFloat());
      if (value < std::numeric_limits<int32_t>::min() ||
          value > std::numeric_limits<int32_t>::max()) {
        throw EDatabaseError(FormatGeneralNumber(value) + " is not a valid value for field '" +
                             FieldName + "'");
      }
      return static_cast<int32_t>(value);
    }
    case TFieldKind::kText: {
      std::string text = AsString();
      std::optional<int64_t> value = ParseInteger(text);
      if (text.empty()) return 0;
      if (!value || *value < std::numeric_limits<int32_t>::min() ||
          *value > std::numeric_limits<int32_t>::max()) {
        throw Error(ErrorKind::kInvalidData, "'" + text + "' is not a valid integer value");
      }
      return static_cast<int32_t>(*value);
    }
    default:
      AccessError("Integer");
  }
}

double TDbfField::AsFloat() const {
  switch (Kind) {
    case TFieldKind::kFloat:
    case TFieldKind::kCurrency:
      return IsNull() ? 0.0 : Slot()->Get<double>();
    case TFieldKind::kSmallInt:
    case TFieldKind::kInteger:
      return AsInteger();
    case TFieldKind::kText: {
      std::string text = AsString();
      if (Trim(text).empty()) return 0.0;
      std::string ansi = Utf8ToAnsi(text);
      for (char& c : ansi) {
        if (c == table_->format_.decimal_separator) c = '.';
      }
      if (ansi.find(',') == std::string::npos) {
        std::optional<double> value = ReadFloatField(ansi, '.');
        if (value && (*value != 0.0 || ansi.find_first_of("123456789") == std::string::npos)) {
          return *value;
        }
      }
      throw Error(ErrorKind::kInvalidData, "'" + text + "' is not a valid floating point value");
    }
    default:
      AccessError("Float");
  }
}

bool TDbfField::AsBoolean() const {
  switch (Kind) {
    case TFieldKind::kBoolean:
      return !IsNull() && Slot()->Get<int16_t>() != 0;
    case TFieldKind::kText: {
      std::string text = AsString();
      return !text.empty() && std::strchr("TtYy", text[0]) != nullptr;
    }
    default:
      AccessError("Boolean");
  }
}

int32_t TDbfField::AsDate() const {
  if (Kind != TFieldKind::kDate) AccessError("Date");
  return IsNull() ? 0 : Slot()->Get<int32_t>();
}

// --- Field objects: assigning -----------------------------------------------------

void TDbfField::AccessError(const char* type_name) const {
  throw EDatabaseError("Cannot access field '" + FieldName + "' as type " + type_name);
}

void TDbfField::CheckRange(double value, double min, double max) const {
  if (value < min || value > max) {
    throw EDatabaseError(FormatGeneralNumber(value) + " is not a valid value for field '" +
                         FieldName + "'. The allowed range is " + FormatGeneralNumber(min) +
                         " to " + FormatGeneralNumber(max));
  }
}

void TDbfField::Store(const void* native, size_t bytes) {
  if (table_ == nullptr) return;
  table_->SetFieldData(*this, native, bytes);
}

void TDbfField::Clear() {
  if (table_ == nullptr) return;
  if (IsBlobKind(Kind)) {
    if (!table_->IsEditing())
      table_->RaiseError("Data set must be in Edit or Insert mode to update");
    if (!IsBound()) return;
    TBlobEntry& entry = table_->buffer_.Blobs()[static_cast<size_t>(blob_index_)];
    entry.value.clear();
    entry.size = 0;
    entry.loaded = entry.modified = 255;
    table_->FieldChanged();
    return;
  }
  Store(nullptr, 0);
}

void TDbfField::SetAsString(const std::string& value) {
  std::string ansi = Utf8ToAnsi(value);
  switch (Kind) {
    case TFieldKind::kText: {
      ansi.resize(std::min(ansi.size(), static_cast<size_t>(Size)));
      Store(ansi.c_str(), ansi.size() + 1);
      return;
    }
    case TFieldKind::kMemo:
    case TFieldKind::kBlob: {
      if (table_ == nullptr) return;
      if (!table_->IsEditing()) {
        table_->RaiseError("Data set must be in Edit or Insert mode to update");
      }
      if (!IsBound()) return;
      TBlobEntry& entry = table_->buffer_.Blobs()[static_cast<size_t>(blob_index_)];
      entry.value = ansi;
      entry.size = static_cast<int32_t>(ansi.size());
      entry.loaded = entry.modified = 255;
      table_->FieldChanged();
      return;
    }
    case TFieldKind::kSmallInt:
    case TFieldKind::kInteger: {
      if (Trim(value).empty()) return Clear();
      std::optional<int64_t> number = ParseInteger(value);
      if (!number)
        throw Error(ErrorKind::kInvalidData, "'" + value + "' is not a valid integer value");
      return SetAsInteger(*number);
    }
    case TFieldKind::kFloat:
    case TFieldKind::kCurrency: {
      if (Trim(value).empty()) return Clear();
      std::string text = ansi;
      for (char& c : text) {
        if (c == (table_ ? table_->format_.decimal_separator : '.')) c = '.';
      }
      std::optional<double> number =
          text.find(',') == std::string::npos ? ReadFloatField(text, '.') : std::nullopt;
      bool is_number =
          number && (*number != 0.0 || text.find_first_of("123456789") == std::string::npos);
      if (!is_number) {
        throw Error(ErrorKind::kInvalidData, "'" + value + "' is not a valid floating point value");
      }
      return SetAsFloat(*number);
    }
    case TFieldKind::kBoolean: {
      std::string upper = ToUpper(Trim(value));
      if (upper.empty()) return Clear();
      if (std::string("TRUE").starts_with(upper)) return SetAsBoolean(true);
      if (std::string("FALSE").starts_with(upper)) return SetAsBoolean(false);
      throw Error(ErrorKind::kInvalidData,
                  "'" + value + "' is not a valid boolean value for field '" + FieldName + "'");
    }
    default:
      AccessError("String");
  }
}

void TDbfField::SetAsInteger(int64_t value) {
  switch (Kind) {
    case TFieldKind::kText: {
      std::string digits = std::to_string(value);
      digits.resize(std::min(digits.size(), static_cast<size_t>(Size)));
      Store(digits.c_str(), digits.size() + 1);
      return;
    }
    case TFieldKind::kSmallInt: {
      CheckRange(static_cast<double>(value), -32768, 32767);
      int16_t native = static_cast<int16_t>(value);
      return Store(&native, sizeof native);
    }
    case TFieldKind::kInteger: {
      CheckRange(static_cast<double>(value), std::numeric_limits<int32_t>::min(),
                 std::numeric_limits<int32_t>::max());
      int32_t native = static_cast<int32_t>(value);
      return Store(&native, sizeof native);
    }
    case TFieldKind::kFloat:
    case TFieldKind::kCurrency:
      return SetAsFloat(static_cast<double>(value));
    default:
      AccessError("Integer");
  }
}

void TDbfField::SetAsBoolean(bool value) {
  switch (Kind) {
    case TFieldKind::kText: {
      std::string letter = Size >= 1 ? (value ? "T" : "F") : "";
      Store(letter.c_str(), letter.size() + 1);
      return;
    }
    case TFieldKind::kBoolean: {
      int16_t native = value ? 1 : 0;
      return Store(&native, sizeof native);
    }
    default:
      AccessError("Boolean");
  }
}

void TDbfField::SetAsFloat(double value) {
  switch (Kind) {
    case TFieldKind::kFloat:
    case TFieldKind::kCurrency:
      return Store(&value, sizeof value);
    case TFieldKind::kText:
      return SetAsString(FloatText(value, table_ ? table_->format_.decimal_separator : '.'));
    case TFieldKind::kSmallInt:
    case TFieldKind::kInteger: {
      double limit = Kind == TFieldKind::kSmallInt ? 32768 : 2147483648.0;
      CheckRange(std::round(value), -limit, limit - 1);
      return SetAsInteger(static_cast<int64_t>(std::llround(value)));
    }
    default:
      AccessError("Float");
  }
}

void TDbfField::SetAsDate(int32_t day_number) {
  switch (Kind) {
    case TFieldKind::kDate:
      return Store(&day_number, sizeof day_number);
    case TFieldKind::kText:
      return SetAsString(table_ ? DateText(day_number, table_->format_) : std::string());
    default:
      AccessError("Date");
  }
}

void TDbfField::SetValue(const TDbfValue& value) {
  switch (value.type()) {
    case TDbfValue::Type::kNull:
      return Clear();
    case TDbfValue::Type::kInteger:
      return SetAsInteger(value.integer());
    case TDbfValue::Type::kBoolean:
      return SetAsBoolean(value.boolean());
    case TDbfValue::Type::kText:
      return SetAsString(value.text());
    case TDbfValue::Type::kFloat:
      return SetAsFloat(value.number());
    case TDbfValue::Type::kDate:
      return SetAsDate(value.day_number());
  }
}

}  // namespace cratemark
