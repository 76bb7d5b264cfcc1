// Local date and time as the system's regional settings write them (Windows:
// the user's regional settings; POSIX: the LC_TIME locale).
#pragma once

#include <string>

namespace cratemark {

struct LocalTime {
  int year = 0, month = 0, day = 0;  // month 1-12, day 1-31
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

LocalTime NowLocal();

// The system's short date format, e.g. "03/02/2026".
std::string ShortDateText(const LocalTime& time);

// The system's long time format, e.g. "14:05:09".
std::string LongTimeText(const LocalTime& time);

// Short date, a blank, long time; at exactly 00:00:00.000 the date alone.
std::string DateTimeText(const LocalTime& time);

// The designator for morning (pm false) or afternoon (pm true), e.g. "AM".
std::string DayPeriodDesignator(bool pm);

}  // namespace cratemark
