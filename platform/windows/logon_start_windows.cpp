// The user's Run value: HKCU, so that it needs no administrator and starts
// only this user's console.
#include <windows.h>

#include "platform/file_system.h"
#include "platform/logon_start.h"
#include "platform/windows/os_error.h"
#include "platform/windows/wide_string.h"

namespace cratemark {

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kValueName[] = L"Cratemark";

}  // namespace

bool CanStartAtLogon() { return true; }

bool StartsAtLogon() {
  return RegGetValueW(HKEY_CURRENT_USER, kRunKey, kValueName, RRF_RT_REG_SZ, nullptr, nullptr,
                      nullptr) == ERROR_SUCCESS;
}

void SetStartAtLogon(bool start) {
  if (!start) {
    const LSTATUS status = RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kValueName);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
      throw WindowsError(status, "Cannot remove the start at logon.");
    }
    return;
  }
  // Quoted: the program folder may hold blanks ("C:\Program Files\...").
  const std::wstring command =
      L"\"" + ToWide(ProgramPath()) + L"\" " + ToWide(kStartInNotificationAreaSwitch);
  HKEY key = nullptr;
  LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_SET_VALUE, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) throw WindowsError(status, "Cannot set the start at logon.");
  status =
      RegSetValueExW(key, kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                     static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) throw WindowsError(status, "Cannot set the start at logon.");
}

}  // namespace cratemark
