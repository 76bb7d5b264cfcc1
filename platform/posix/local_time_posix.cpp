// Dates and times in the LC_TIME locale named by the environment, made for
// each call so that the process-wide locale is never touched.
#include <locale.h>
#include <time.h>

#include "platform/local_time.h"

namespace cratemark {

namespace {

class TimeLocale {
 public:
  TimeLocale() {
    locale_ = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
    if (!locale_) locale_ = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(0));
  }
  ~TimeLocale() {
    if (locale_) freelocale(locale_);
  }
  TimeLocale(const TimeLocale&) = delete;
  TimeLocale& operator=(const TimeLocale&) = delete;

  std::string Format(const char* format, const tm& fields) const {
    char buffer[128];
    const std::size_t length = locale_ ? strftime_l(buffer, sizeof buffer, format, &fields, locale_)
                                       : strftime(buffer, sizeof buffer, format, &fields);
    return std::string(buffer, length);
  }

 private:
  locale_t locale_;
};

tm FieldsOf(const LocalTime& time) {
  tm fields{};
  fields.tm_year = time.year - 1900;
  fields.tm_mon = time.month - 1;
  fields.tm_mday = time.day;
  fields.tm_hour = time.hour;
  fields.tm_min = time.minute;
  fields.tm_sec = time.second;
  fields.tm_isdst = -1;
  // Fills in the weekday and day of the year for formats that show them.
  tm normal = fields;
  if (timegm(&normal) != -1) {
    fields.tm_wday = normal.tm_wday;
    fields.tm_yday = normal.tm_yday;
  }
  return fields;
}

}  // namespace

LocalTime NowLocal() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm fields{};
  localtime_r(&now.tv_sec, &fields);
  return {fields.tm_year + 1900,
          fields.tm_mon + 1,
          fields.tm_mday,
          fields.tm_hour,
          fields.tm_min,
          fields.tm_sec,
          static_cast<int>(now.tv_nsec / 1000000)};
}

std::string ShortDateText(const LocalTime& time) {
  return TimeLocale().Format("%x", FieldsOf(time));
}

std::string LongTimeText(const LocalTime& time) {
  return TimeLocale().Format("%X", FieldsOf(time));
}

std::string DayPeriodDesignator(bool pm) {
  tm fields{};
  fields.tm_hour = pm ? 13 : 1;
  return TimeLocale().Format("%p", fields);
}

}  // namespace cratemark
