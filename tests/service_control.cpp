// service_control VERB NAME: what Wine's sc cannot do, for the service test.
//   pause | continue | stop   sends the control and waits until the service
//                             reports the new state (at most ten seconds)
//   interrogate               asks the service for its state and prints it
//   query                     prints the state the manager holds; exit status
//                             3 when no such service is registered
//   describe                  prints the description services.msc shows
//                             (Wine's sc has no qdescription)
// service_control hold FILE SECONDS: holds FILE open for reading as the
// console does (sharing reading, writing and deleting) for SECONDS.
// service_control message MODULE ID TEXT: prints the event log's message ID
// (decimal or 0x hex) from MODULE's message table with TEXT as its %1, as
// Event Viewer formats an entry (Wine keeps no event log to read back).
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const char* StateName(DWORD state) {
  switch (state) {
    case SERVICE_STOPPED:
      return "STOPPED";
    case SERVICE_START_PENDING:
      return "START_PENDING";
    case SERVICE_STOP_PENDING:
      return "STOP_PENDING";
    case SERVICE_RUNNING:
      return "RUNNING";
    case SERVICE_CONTINUE_PENDING:
      return "CONTINUE_PENDING";
    case SERVICE_PAUSE_PENDING:
      return "PAUSE_PENDING";
    case SERVICE_PAUSED:
      return "PAUSED";
  }
  return "UNKNOWN";
}

int Fail(const char* what) {
  std::fprintf(stderr, "service_control: %s failed with error %lu\n", what, GetLastError());
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 4 && std::wstring(argv[1]) == L"hold") {
    HANDLE file =
        CreateFileW(argv[2], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    /*lpSecurityAttributes=*/nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                    /*hTemplateFile=*/nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fail("CreateFile");
    Sleep(static_cast<DWORD>(std::stoul(argv[3]) * 1000));
    CloseHandle(file);
    return 0;
  }
  if (argc == 5 && std::wstring(argv[1]) == L"message") {
    HMODULE module = LoadLibraryExW(argv[2], /*hFile=*/nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return Fail("LoadLibraryEx");
    const DWORD id = static_cast<DWORD>(std::stoul(argv[3], nullptr, 0));
    DWORD_PTR inserts[] = {reinterpret_cast<DWORD_PTR>(argv[4])};
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                           FORMAT_MESSAGE_ARGUMENT_ARRAY,
                       module, id, /*dwLanguageId=*/0, reinterpret_cast<wchar_t*>(&text),
                       /*nSize=*/0, reinterpret_cast<va_list*>(inserts));
    if (length == 0) return Fail("FormatMessage");
    std::printf("%ls", text);
    LocalFree(text);
    FreeLibrary(module);
    return 0;
  }
  if (argc != 3) {
    std::fputs("usage: service_control pause|continue|stop|interrogate|query NAME\n", stderr);
    return 2;
  }
  const std::wstring verb = argv[1];
  DWORD control = 0;
  DWORD wanted = 0;
  if (verb == L"pause") {
    control = SERVICE_CONTROL_PAUSE;
    wanted = SERVICE_PAUSED;
  } else if (verb == L"continue") {
    control = SERVICE_CONTROL_CONTINUE;
    wanted = SERVICE_RUNNING;
  } else if (verb == L"stop") {
    control = SERVICE_CONTROL_STOP;
    wanted = SERVICE_STOPPED;
  } else if (verb == L"interrogate") {
    control = SERVICE_CONTROL_INTERROGATE;
  } else if (verb != L"query" && verb != L"describe") {
    std::fputs("service_control: unknown verb\n", stderr);
    return 2;
  }

  SC_HANDLE manager =
      OpenSCManagerW(/*lpMachineName=*/nullptr, /*lpDatabaseName=*/nullptr, SC_MANAGER_CONNECT);
  if (!manager) return Fail("OpenSCManager");
  SC_HANDLE service = OpenServiceW(manager, argv[2],
                                   SERVICE_PAUSE_CONTINUE | SERVICE_STOP | SERVICE_INTERROGATE |
                                       SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG);
  if (!service) {
    const bool absent = GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST;
    if (absent) std::puts("ABSENT");
    CloseServiceHandle(manager);
    return absent ? 3 : Fail("OpenService");
  }

  SERVICE_STATUS status{};
  int result = 0;
  if (verb == L"describe") {
    DWORD needed = 0;
    QueryServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed ? needed : sizeof(SERVICE_DESCRIPTIONW));
    if (!QueryServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, buffer.data(),
                              static_cast<DWORD>(buffer.size()), &needed)) {
      result = Fail("QueryServiceConfig2");
    } else {
      const auto* description = reinterpret_cast<const SERVICE_DESCRIPTIONW*>(buffer.data());
      std::printf("%ls\n", description->lpDescription ? description->lpDescription : L"");
    }
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return result;
  }
  if (control == 0) {
    if (!QueryServiceStatus(service, &status)) result = Fail("QueryServiceStatus");
  } else if (!ControlService(service, control, &status)) {
    result = Fail("ControlService");
  } else if (wanted != 0) {
    for (int i = 0; i < 100 && status.dwCurrentState != wanted; ++i) {
      Sleep(100);
      QueryServiceStatus(service, &status);
    }
    if (status.dwCurrentState != wanted) result = 1;
  }
  if (result == 0 || wanted != 0) std::puts(StateName(status.dwCurrentState));
  CloseServiceHandle(service);
  CloseServiceHandle(manager);
  return result;
}
