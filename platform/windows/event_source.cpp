#include "platform/windows/event_source.h"

#include <windows.h>

#include "platform/windows/wide_string.h"

namespace cratemark {

std::wstring EventSourceKey(std::string_view source) {
  return L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\" + ToWide(source);
}

unsigned long AddEventSource(std::string_view source, std::string_view message_file) {
  HKEY key = nullptr;
  LSTATUS status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, EventSourceKey(source).c_str(),
                                   /*Reserved=*/0, /*lpClass=*/nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_SET_VALUE, /*lpSecurityAttributes=*/nullptr, &key,
                                   /*lpdwDisposition=*/nullptr);
  if (status != ERROR_SUCCESS) return static_cast<unsigned long>(status);
  const std::wstring file = ToWide(message_file);
  status = RegSetValueExW(key, L"EventMessageFile", /*Reserved=*/0, REG_EXPAND_SZ,
                          reinterpret_cast<const BYTE*>(file.c_str()),
                          static_cast<DWORD>((file.size() + 1) * sizeof(wchar_t)));
  if (status == ERROR_SUCCESS) {
    const DWORD types = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;
    status = RegSetValueExW(key, L"TypesSupported", /*Reserved=*/0, REG_DWORD,
                            reinterpret_cast<const BYTE*>(&types), sizeof(types));
  }
  RegCloseKey(key);
  return static_cast<unsigned long>(status);
}

unsigned long RemoveEventSource(std::string_view source) {
  const LSTATUS status = RegDeleteKeyW(HKEY_LOCAL_MACHINE, EventSourceKey(source).c_str());
  return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : static_cast<unsigned long>(status);
}

}  // namespace cratemark
