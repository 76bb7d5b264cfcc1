// The system default locale (LOCALE_SYSTEM_DEFAULT), not the user's.
#include <windows.h>

#include "platform/code_page.h"
#include "platform/regional_settings.h"

namespace cratemark {
namespace {

std::string LocaleText(LCTYPE item) {
  WCHAR buffer[80] = {};
  int length = GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, item, buffer, 80);
  if (length <= 1) return {};
  std::u16string text(reinterpret_cast<const char16_t*>(buffer), static_cast<size_t>(length - 1));
  return Utf16ToUtf8(text);
}

char AnsiSeparator(LCTYPE item, char fallback) {
  std::string text = LocaleText(item);
  if (text.empty()) return fallback;
  std::string ansi = Utf8ToAnsi(text);
  return ansi.size() == 1 && ansi[0] != '?' ? ansi[0] : fallback;
}

}  // namespace

RegionalSettings SystemDefaultRegionalSettings() {
  RegionalSettings settings;
  settings.decimal_separator = AnsiSeparator(LOCALE_SDECIMAL, '.');
  settings.thousands_separator = AnsiSeparator(LOCALE_STHOUSAND, '\0');
  settings.date_separator = AnsiSeparator(LOCALE_SDATE, '/');
  std::string pattern = LocaleText(LOCALE_SSHORTDATE);
  if (!pattern.empty()) settings.short_date_format = pattern;
  return settings;
}

}  // namespace cratemark
