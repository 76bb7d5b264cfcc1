// record_command: stands in for a system program in the installer test
// (icacls, whose changes Wine does not keep). Appends its command line as
// one UTF-8 line to the file of its own path plus ".log", and succeeds.
#include <windows.h>

#include <string>

int wmain() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(/*hModule=*/nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 1;
  const std::wstring log = std::wstring(path) + L".log";
  const std::wstring line = std::wstring(GetCommandLineW()) + L"\n";
  const int bytes = WideCharToMultiByte(CP_UTF8, /*dwFlags=*/0, line.c_str(),
                                        static_cast<int>(line.size()), /*lpMultiByteStr=*/nullptr,
                                        /*cbMultiByte=*/0, /*lpDefaultChar=*/nullptr,
                                        /*lpUsedDefaultChar=*/nullptr);
  std::string text(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, /*dwFlags=*/0, line.c_str(), static_cast<int>(line.size()),
                      text.data(), bytes, /*lpDefaultChar=*/nullptr,
                      /*lpUsedDefaultChar=*/nullptr);
  HANDLE file = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                            /*lpSecurityAttributes=*/nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            /*hTemplateFile=*/nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written,
                            /*lpOverlapped=*/nullptr);
  CloseHandle(file);
  return ok && written == text.size() ? 0 : 1;
}
