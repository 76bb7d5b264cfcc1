// The locale the environment names (LANG, LC_ALL, LC_NUMERIC, LC_TIME),
// opened on its own so that the process's locale stays "C".
#include <langinfo.h>
#include <locale.h>

#include <string_view>

#include "platform/code_page.h"
#include "platform/regional_settings.h"

namespace cratemark {
namespace {

// One ANSI character for a separator the locale gives as UTF-8 text;
// `fallback` when it has none or the code page cannot hold it.
char AnsiSeparator(const char* text, char fallback) {
  if (text == nullptr || *text == '\0') return fallback;
  std::string ansi = Utf8ToAnsi(text);
  return ansi.size() == 1 && ansi[0] != '?' ? ansi[0] : fallback;
}

// "%d.%m.%Y" -> "dd.MM.yyyy"; the first punctuation between fields is the
// date separator.
void ReadDateFormat(std::string_view format, RegionalSettings& settings) {
  std::string pattern;
  char separator = '\0';
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size()) {
      switch (format[++i]) {
        case 'd':
          pattern += "dd";
          break;
        case 'e':
          pattern += "d";
          break;
        case 'm':
          pattern += "MM";
          break;
        case 'y':
          pattern += "yy";
          break;
        case 'Y':
          pattern += "yyyy";
          break;
        default:
          return;  // a form we do not translate: keep the defaults
      }
    } else {
      if (separator == '\0') separator = format[i];
      pattern += format[i];
    }
  }
  if (separator == '\0' || pattern.empty()) return;
  settings.date_separator = separator;
  settings.short_date_format = pattern;
}

}  // namespace

RegionalSettings SystemDefaultRegionalSettings() {
  RegionalSettings settings;
  if (locale_t numeric = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0))) {
    settings.decimal_separator = AnsiSeparator(nl_langinfo_l(RADIXCHAR, numeric), '.');
    settings.thousands_separator = AnsiSeparator(nl_langinfo_l(THOUSEP, numeric), '\0');
    freelocale(numeric);
  }
  if (locale_t time = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0))) {
    ReadDateFormat(nl_langinfo_l(D_FMT, time), settings);
    freelocale(time);
  }
  return settings;
}

}  // namespace cratemark
