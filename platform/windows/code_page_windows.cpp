#include <windows.h>

#include "platform/code_page.h"
#include "platform/windows/wide_string.h"

namespace cratemark {

std::string AnsiToUtf8(std::string_view ansi) {
  if (ansi.empty()) return {};
  const int size = static_cast<int>(ansi.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, nullptr, 0);
  std::wstring wide(length, L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, wide.data(), length);
  return FromWide(wide);
}

std::string Utf8ToAnsi(std::string_view utf8) {
  if (utf8.empty()) return {};
  const std::wstring wide = ToWide(utf8);
  const int size = static_cast<int>(wide.size());
  // No best-fit: a character the code page cannot hold becomes "?", never a
  // look-alike that would change the meaning of a name.
  const DWORD flags = GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const int length = WideCharToMultiByte(CP_ACP, flags, wide.data(), size, nullptr, 0,
                                         /*lpDefaultChar=*/nullptr, nullptr);
  std::string ansi(length, '\0');
  WideCharToMultiByte(CP_ACP, flags, wide.data(), size, ansi.data(), length,
                      /*lpDefaultChar=*/nullptr, nullptr);
  return ansi;
}

}  // namespace cratemark
