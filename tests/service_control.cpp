// service_control pause|continue NAME: sends the control to a service and
// waits until it reports the new state (Wine's sc has no pause/continue).
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fputs("usage: service_control pause|continue NAME\n", stderr);
    return 2;
  }
  const std::wstring verb = argv[1];
  const bool pause = verb == L"pause";
  SC_HANDLE manager =
      OpenSCManagerW(/*lpMachineName=*/nullptr, /*lpDatabaseName=*/nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE service =
      manager ? OpenServiceW(manager, argv[2], SERVICE_PAUSE_CONTINUE | SERVICE_QUERY_STATUS)
              : nullptr;
  SERVICE_STATUS status{};
  if (!service ||
      !ControlService(service, pause ? SERVICE_CONTROL_PAUSE : SERVICE_CONTROL_CONTINUE, &status)) {
    std::fprintf(stderr, "service_control: failed with error %lu\n", GetLastError());
    return 1;
  }
  const DWORD wanted = pause ? SERVICE_PAUSED : SERVICE_RUNNING;
  for (int i = 0; i < 100 && status.dwCurrentState != wanted; ++i) {
    Sleep(100);
    QueryServiceStatus(service, &status);
  }
  CloseServiceHandle(service);
  CloseServiceHandle(manager);
  return status.dwCurrentState == wanted ? 0 : 1;
}
