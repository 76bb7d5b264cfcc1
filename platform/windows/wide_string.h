// UTF-8 <-> Win32 wide strings, for the Windows side of the seams only.
#pragma once

#include <string>
#include <string_view>

#include "platform/code_page.h"

namespace cratemark {

inline std::wstring ToWide(std::string_view utf8) {
  const std::u16string units = Utf8ToUtf16(utf8);
  return std::wstring(units.begin(), units.end());
}

inline std::string FromWide(std::wstring_view wide) {
  return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

}  // namespace cratemark
