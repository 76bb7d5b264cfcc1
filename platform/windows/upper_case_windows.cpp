// Upper-casing as the system does it for one UTF-16 unit; characters beyond
// the basic plane keep their case.
#include <windows.h>

#include "platform/text.h"

namespace cratemark {

char32_t UpperCaseChar(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - ('a' - 'A') : c;
  if (c > 0xFFFF || (c >= 0xD800 && c <= 0xDFFF)) return c;
  WCHAR unit = static_cast<WCHAR>(c);
  CharUpperBuffW(&unit, 1);
  return unit;
}

}  // namespace cratemark
