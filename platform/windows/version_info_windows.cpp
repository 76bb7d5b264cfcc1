#include <windows.h>

#include <vector>

#include "platform/version_info.h"
#include "platform/windows/wide_string.h"

namespace cratemark {

const char kExecutableSuffix[] = ".EXE";

std::optional<std::string> ReadFileVersion(std::string_view path) {
  const std::wstring file = ToWide(path);
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  std::vector<unsigned char> buffer(size);
  if (!GetFileVersionInfoW(file.c_str(), /*dwHandle=*/0, size, buffer.data())) return std::nullopt;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(buffer.data(), L"\\StringFileInfo\\040904E4\\FileVersion", &value, &length) ||
      value == nullptr || length == 0) {
    return std::string();
  }
  std::wstring_view text(static_cast<const wchar_t*>(value), length);
  while (!text.empty() && text.back() == L'\0') text.remove_suffix(1);
  return FromWide(text);
}

}  // namespace cratemark
