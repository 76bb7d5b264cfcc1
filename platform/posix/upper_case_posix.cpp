// Upper-casing by the C library's Unicode tables (towupper in a UTF-8
// locale): one character in, one character out, as Windows does it. The
// locale is made once for this purpose and the global one is left alone.
#include <locale.h>
#include <wctype.h>

#include "platform/text.h"

namespace cratemark {

namespace {

locale_t UnicodeLocale() {
  static const locale_t locale = [] {
    locale_t made = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    return made ? made : newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(0));
  }();
  return locale;
}

}  // namespace

char32_t UpperCaseChar(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - ('a' - 'A') : c;
  const locale_t locale = UnicodeLocale();
  if (!locale) return c;
  return static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), locale));
}

}  // namespace cratemark
