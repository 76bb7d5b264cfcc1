// A typed value handed to a field object (SetFields, TDbfField::SetValue) or
// read from one: null, integer, logical, text (UTF-8), floating-point number
// or date (a day number, 1 January of year 1 being day 1).
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace cratemark {

class TDbfValue {
 public:
  enum class Type { kNull, kInteger, kBoolean, kText, kFloat, kDate };

  TDbfValue() = default;
  static TDbfValue Null() { return TDbfValue(); }
  static TDbfValue Integer(int64_t value) { return Make(Type::kInteger, value, 0.0, {}); }
  static TDbfValue Boolean(bool value) { return Make(Type::kBoolean, value ? 1 : 0, 0.0, {}); }
  static TDbfValue Text(std::string value) { return Make(Type::kText, 0, 0.0, std::move(value)); }
  static TDbfValue Float(double value) { return Make(Type::kFloat, 0, value, {}); }
  static TDbfValue Date(int32_t day_number) { return Make(Type::kDate, day_number, 0.0, {}); }

  Type type() const { return type_; }
  bool IsNull() const { return type_ == Type::kNull; }
  int64_t integer() const { return integer_; }
  bool boolean() const { return integer_ != 0; }
  const std::string& text() const { return text_; }
  double number() const { return number_; }
  int32_t day_number() const { return static_cast<int32_t>(integer_); }

  friend bool operator==(const TDbfValue&, const TDbfValue&) = default;

 private:
  static TDbfValue Make(Type type, int64_t integer, double number, std::string text) {
    TDbfValue value;
    value.type_ = type;
    value.integer_ = integer;
    value.number_ = number;
    value.text_ = std::move(text);
    return value;
  }

  Type type_ = Type::kNull;
  int64_t integer_ = 0;
  double number_ = 0.0;
  std::string text_;
};

}  // namespace cratemark
