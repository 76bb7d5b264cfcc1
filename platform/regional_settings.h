// Number and date separators of the system's default regional settings (not
// the user's): Windows asks the system default locale; POSIX reads the
// locale named by the environment for LC_NUMERIC and LC_TIME. Separators come
// as single characters of the ANSI code page, because they are compared with
// the bytes of stored records. Thread-safe; changes no process-wide locale.
#pragma once

#include <string>

namespace cratemark {

struct RegionalSettings {
  char decimal_separator = '.';
  char thousands_separator = ',';  // '\0' when the locale has none
  char date_separator = '/';
  std::string short_date_format = "M/d/yyyy";  // d, dd, M, MM, yy, yyyy and the separator
};

RegionalSettings SystemDefaultRegionalSettings();

}  // namespace cratemark
