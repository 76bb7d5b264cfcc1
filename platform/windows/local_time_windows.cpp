// Dates and times as the user's regional settings write them.
#include <windows.h>

#include "platform/local_time.h"
#include "platform/windows/wide_string.h"

namespace cratemark {

namespace {

SYSTEMTIME SystemTimeOf(const LocalTime& time) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(time.year);
  st.wMonth = static_cast<WORD>(time.month);
  st.wDay = static_cast<WORD>(time.day);
  st.wHour = static_cast<WORD>(time.hour);
  st.wMinute = static_cast<WORD>(time.minute);
  st.wSecond = static_cast<WORD>(time.second);
  st.wMilliseconds = static_cast<WORD>(time.millisecond);
  return st;
}

}  // namespace

LocalTime NowLocal() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

std::string ShortDateText(const LocalTime& time) {
  const SYSTEMTIME st = SystemTimeOf(time);
  wchar_t buffer[128];
  const int length = GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &st,
                                     /*lpFormat=*/nullptr, buffer, 128, /*lpCalendar=*/nullptr);
  return length > 0 ? FromWide(std::wstring_view(buffer, length - 1)) : std::string();
}

std::string LongTimeText(const LocalTime& time) {
  const SYSTEMTIME st = SystemTimeOf(time);
  wchar_t buffer[128];
  const int length = GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, /*dwFlags=*/0, &st,
                                     /*lpFormat=*/nullptr, buffer, 128);
  return length > 0 ? FromWide(std::wstring_view(buffer, length - 1)) : std::string();
}

std::string DayPeriodDesignator(bool pm) {
  wchar_t buffer[64];
  const int length =
      GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, pm ? LOCALE_S2359 : LOCALE_S1159, buffer, 64);
  return length > 0 ? FromWide(std::wstring_view(buffer, length - 1)) : std::string();
}

}  // namespace cratemark
