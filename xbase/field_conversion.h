// Conversion between a field's characters in the engine's raw record and its
// value, without any table around it, so that the rules can be tested case by
// case. Raw characters are ANSI bytes; numbers are right-aligned and padded
// with blanks; dates are "yyyymmdd" or blanks. Day numbers count from
// 1 January of year 1 (day 1), proleptic Gregorian.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cratemark {

// Day number of a date; 0 when the date does not exist.
int32_t DayNumber(int year, int month, int day);
struct TCalendarDate {
  int year = 0, month = 0, day = 0;
};
// nullopt for day numbers of 0 or below (no date).
std::optional<TCalendarDate> CalendarDate(int32_t day_number);

// --- Reading: nullopt means null ---------------------------------------------

// Text: at most `max_chars` characters, trailing blanks (32 only) removed.
// Never null.
std::string ReadTextField(std::string_view raw, size_t max_chars);
// Small integer and integer: blanks and control characters only -> null;
// otherwise a decimal integer with blanks allowed on either side, and 0 for
// anything that does not convert or leaves 32 bits.
std::optional<int32_t> ReadIntegerField(std::string_view raw);
// Logical, by its first character: "T", "t", "Y", "y" true; "F", "f", "N",
// "n" false; anything else (blank, "?") null.
std::optional<bool> ReadBooleanField(std::string_view raw);
// Float: blank -> null; "," counts as a blank and "." as the decimal point,
// whatever the regional decimal separator is; 0 for anything else that does
// not convert.
std::optional<double> ReadFloatField(std::string_view raw, char decimal_separator);
// Date (8 characters "yyyymmdd"): null for blanks, zeros, or anything that
// is no date.
std::optional<int32_t> ReadDateField(std::string_view raw);

// --- Writing: exactly `width` characters -------------------------------------

std::string WriteTextField(std::string_view value, int width);
// nullopt when the digits do not fit the width.
std::optional<std::string> WriteIntegerField(int64_t value, int width);
// Fixed-point with exactly `decimals` places and "." as the point; nullopt
// when it does not fit the width or the value is not a finite number.
std::optional<std::string> WriteFloatField(double value, int width, int decimals);
// "yyyymmdd"; a year below 100 is completed with `epoch`. nullopt for a day
// number that is no date.
std::optional<std::string> WriteDateField(int32_t day_number, int epoch);

// A number as the record-set messages show it ("%g": "40000", "1.5").
std::string FormatGeneralNumber(double value);

}  // namespace cratemark
