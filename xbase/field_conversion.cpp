#include "xbase/field_conversion.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "platform/text.h"

namespace cratemark {
namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

int32_t DaysBeforeYear(int year) {
  int32_t y = year - 1;
  return y * 365 + y / 4 - y / 100 + y / 400;
}

// A run of decimal digits as a number; nullopt when empty or not all digits.
std::optional<int> Digits(std::string_view text) {
  if (text.empty()) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

int32_t DayNumber(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12) return 0;
  if (day < 1 || day > DaysInMonth(year, month)) return 0;
  int32_t days = DaysBeforeYear(year);
  for (int m = 1; m < month; ++m) days += DaysInMonth(year, m);
  return days + day;
}

std::optional<TCalendarDate> CalendarDate(int32_t day_number) {
  if (day_number <= 0 || day_number > DayNumber(9999, 12, 31)) return std::nullopt;
  TCalendarDate date;
  date.year = static_cast<int>(day_number / 366) + 1;
  while (DaysBeforeYear(date.year + 1) < day_number) ++date.year;
  int32_t rest = day_number - DaysBeforeYear(date.year);
  date.month = 1;
  while (rest > DaysInMonth(date.year, date.month)) rest -= DaysInMonth(date.year, date.month++);
  date.day = static_cast<int>(rest);
  return date;
}

std::string ReadTextField(std::string_view raw, size_t max_chars) {
  std::string_view text = raw.substr(0, std::min(raw.size(), max_chars));
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return std::string(text);
}

std::optional<int32_t> ReadIntegerField(std::string_view raw) {
  if (Trim(raw).empty()) return std::nullopt;
  // Other xBase programs leave numbers left-aligned too.
  std::string_view text = raw;
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return 0;
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
    if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1) return 0;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int32_t>::max()) return 0;
  return static_cast<int32_t>(value);
}

std::optional<bool> ReadBooleanField(std::string_view raw) {
  if (raw.empty()) return std::nullopt;
  switch (raw.front()) {
    case 'T':
    case 't':
    case 'Y':
    case 'y':
      return true;
    case 'F':
    case 'f':
    case 'N':
    case 'n':
      return false;
    default:  // blank, "?" (not yet set) and anything else: no value
      return std::nullopt;
  }
}

std::optional<double> ReadFloatField(std::string_view raw, char decimal_separator) {
  if (Trim(raw).empty()) return std::nullopt;
  // The stored text, read the way the regional rules read it.
  std::string text(raw);
  for (char& c : text) {
    if (c == ',') {
      c = ' ';
    } else if (c == '.') {
      c = decimal_separator;
    }
  }
  std::string_view rest = text;
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  while (!rest.empty() && rest.back() == ' ') rest.remove_suffix(1);
  std::string plain;  // sign, digits, ".", digits, exponent
  if (!rest.empty() && (rest.front() == '-' || rest.front() == '+')) {
    if (rest.front() == '-') plain += '-';
    rest.remove_prefix(1);
  }
  bool any_digit = false;
  auto take_digits = [&] {
    while (!rest.empty() && rest.front() >= '0' && rest.front() <= '9') {
      plain += rest.front();
      rest.remove_prefix(1);
      any_digit = true;
    }
  };
  take_digits();
  if (!rest.empty() && rest.front() == decimal_separator) {
    plain += '.';
    rest.remove_prefix(1);
    take_digits();
  }
  if (!any_digit) return 0.0;
  if (!rest.empty() && (rest.front() == 'e' || rest.front() == 'E')) {
    plain += 'e';
    rest.remove_prefix(1);
    if (!rest.empty() && (rest.front() == '-' || rest.front() == '+')) {
      if (rest.front() == '-') plain += '-';
      rest.remove_prefix(1);
    }
    size_t before = plain.size();
    while (!rest.empty() && rest.front() >= '0' && rest.front() <= '9') {
      plain += rest.front();
      rest.remove_prefix(1);
    }
    if (plain.size() == before) return 0.0;
  }
  if (!rest.empty()) return 0.0;
  double value = 0;
  auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (error != std::errc() || end != plain.data() + plain.size()) return 0.0;
  return value;
}

std::optional<int32_t> ReadDateField(std::string_view raw) {
  std::string text(raw.substr(0, 8));
  text.resize(8, ' ');
  if (text[1] == ' ' || text[1] == '\0' || text[5] == '\0' || text[7] == '\0') {
    return std::nullopt;
  }
  std::string_view view = text;
  // Zeros and dates that do not exist are what other programs leave for
  // "no date".
  const int32_t day_number =
      DayNumber(Digits(view.substr(0, 4)).value_or(0), Digits(view.substr(4, 2)).value_or(0),
                Digits(view.substr(6, 2)).value_or(0));
  if (day_number == 0) return std::nullopt;
  return day_number;
}

std::string WriteTextField(std::string_view value, int width) {
  std::string field(value.substr(0, std::min(value.size(), static_cast<size_t>(width))));
  field.resize(static_cast<size_t>(width), ' ');
  return field;
}

std::optional<std::string> WriteIntegerField(int64_t value, int width) {
  std::string digits = std::to_string(value);
  if (static_cast<int>(digits.size()) > width) return std::nullopt;
  return std::string(static_cast<size_t>(width) - digits.size(), ' ') + digits;
}

std::optional<std::string> WriteFloatField(double value, int width, int decimals) {
  if (!std::isfinite(value) || decimals < 0) return std::nullopt;
  char buffer[400];
  auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (error != std::errc()) return std::nullopt;
  std::string text(buffer, end);
  // A negative value that rounds to zero is stored as zero.
  if (text.front() == '-' && text.find_first_of("123456789") == std::string::npos) {
    text.erase(0, 1);
  }
  if (static_cast<int>(text.size()) > width) return std::nullopt;
  return std::string(static_cast<size_t>(width) - text.size(), ' ') + text;
}

std::optional<std::string> WriteDateField(int32_t day_number, int epoch) {
  std::optional<TCalendarDate> date = CalendarDate(day_number);
  if (!date) return std::nullopt;
  int year = date->year;
  if (year < 100) {
    year += (epoch / 100) * 100;
    if (year < epoch) {
      year += 100;
    } else if (year > epoch + 100) {
      year -= 100;
    }
  }
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02d%02d", year % 10000, date->month, date->day);
  return std::string(text, 8);
}

std::string FormatGeneralNumber(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", value);
  return text;
}

}  // namespace cratemark
