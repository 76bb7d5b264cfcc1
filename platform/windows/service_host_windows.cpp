// The service under the Windows service control manager. The dispatcher
// thread's control handler only queues controls; the service thread runs
// them and the poll ticks, so the module's handlers never overlap.
#include <windows.h>

#include <deque>
#include <mutex>
#include <string>

#include "platform/error_channel.h"
#include "platform/file_system.h"
#include "platform/service_controller.h"
#include "platform/service_host.h"
#include "platform/windows/event_source.h"
#include "platform/windows/os_error.h"
#include "platform/windows/wide_string.h"

namespace cratemark {
namespace {

constexpr DWORD kWaitHintMs = 5000;
// After a failure the service manager restarts the service after this delay;
// failures a day apart count as first failures again.
constexpr DWORD kRestartDelayMs = 10000;
constexpr DWORD kFailureCountResetSeconds = 24 * 60 * 60;
// What services.msc shows beside the display name. Not the printers: those
// change from the console, and the text would go stale.
constexpr wchar_t kDescription[] = L"Prints box labels for Tolvan's orders";

// The service's own virtual account: it may do what the installer grants it
// (Modify on the program folder) and little else, so that code put in the
// service's place no longer runs as LocalSystem.
std::wstring ServiceAccount(const ServiceIdentity& identity) {
  return L"NT SERVICE\\" + ToWide(identity.name);
}

std::string SystemErrorText(DWORD code) {
  const std::string text = SystemErrorMessage(code);
  if (text.empty()) return "System error " + std::to_string(code);
  return WithErrorCode(text, code);
}

// The service handles below close themselves.
class ScHandle {
 public:
  explicit ScHandle(SC_HANDLE handle) : handle_(handle) {}
  ~ScHandle() {
    if (handle_) CloseServiceHandle(handle_);
  }
  ScHandle(const ScHandle&) = delete;
  ScHandle& operator=(const ScHandle&) = delete;
  SC_HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  SC_HANDLE handle_;
};

void ShowMessage(const std::string& text, UINT icon) {
  const std::wstring caption = ToWide(ProgramFileName());
  MessageBoxW(/*hWnd=*/nullptr, ToWide(text).c_str(), caption.c_str(), MB_OK | icon);
}

int ReportFailure(const char* verb, const ServiceIdentity& identity, DWORD error) {
  ShowMessage("Service \"" + identity.display_name + "\" failed to " + verb + " with error: \"" +
                  SystemErrorText(error) + "\"",
              MB_ICONERROR);
  return 1;
}

// State shared by the control handler (dispatcher thread) and the service thread.
struct Runner {
  ServiceModule* module = nullptr;
  const ServiceIdentity* identity = nullptr;
  SERVICE_STATUS_HANDLE status_handle = nullptr;
  HANDLE wake = nullptr;
  std::mutex mutex;  // guards status and controls
  SERVICE_STATUS status{};
  std::deque<ServiceControl> controls;
  int exit_code = 0;

  void Report(DWORD state, DWORD win32_exit_code = NO_ERROR) {
    std::lock_guard<std::mutex> lock(mutex);
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    const bool pending = state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING ||
                         state == SERVICE_PAUSE_PENDING || state == SERVICE_CONTINUE_PENDING;
    status.dwControlsAccepted =
        pending || state == SERVICE_STOPPED
            ? 0
            : SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE | SERVICE_ACCEPT_SHUTDOWN;
    status.dwWin32ExitCode = win32_exit_code;
    status.dwServiceSpecificExitCode = win32_exit_code == ERROR_SERVICE_SPECIFIC_ERROR ? 1 : 0;
    status.dwWaitHint = pending ? kWaitHintMs : 0;
    status.dwCheckPoint = pending ? status.dwCheckPoint + 1 : 0;
    SetServiceStatus(status_handle, &status);
  }

  void Post(ServiceControl control) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      controls.push_back(control);
    }
    SetEvent(wake);
  }

  bool Next(ServiceControl* control) {
    std::lock_guard<std::mutex> lock(mutex);
    if (controls.empty()) return false;
    *control = controls.front();
    controls.pop_front();
    return true;
  }
};

Runner g_runner;

DWORD WINAPI ControlHandler(DWORD control, DWORD /*event_type*/, LPVOID /*event_data*/,
                            LPVOID /*context*/) {
  switch (control) {
    case SERVICE_CONTROL_STOP:
      g_runner.Post(ServiceControl::kStop);
      return NO_ERROR;
    case SERVICE_CONTROL_PAUSE:
      g_runner.Post(ServiceControl::kPause);
      return NO_ERROR;
    case SERVICE_CONTROL_CONTINUE:
      g_runner.Post(ServiceControl::kContinue);
      return NO_ERROR;
    case SERVICE_CONTROL_SHUTDOWN:
      g_runner.Post(ServiceControl::kShutdown);
      return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE: {
      // Only reports the current state.
      std::lock_guard<std::mutex> lock(g_runner.mutex);
      SetServiceStatus(g_runner.status_handle, &g_runner.status);
      return NO_ERROR;
    }
    default:
      return ERROR_CALL_NOT_IMPLEMENTED;
  }
}

DWORD PendingStateOf(ServiceControl control) {
  switch (control) {
    case ServiceControl::kPause:
      return SERVICE_PAUSE_PENDING;
    case ServiceControl::kContinue:
      return SERVICE_CONTINUE_PENDING;
    default:
      return SERVICE_STOP_PENDING;
  }
}

DWORD ReportedStateOf(ServiceState state) {
  switch (state) {
    case ServiceState::kRunning:
      return SERVICE_RUNNING;
    case ServiceState::kPaused:
      return SERVICE_PAUSED;
    case ServiceState::kStopped:
      return SERVICE_STOPPED;
  }
  return SERVICE_STOPPED;
}

void WINAPI ServiceMain(DWORD /*argc*/, LPWSTR* /*argv*/) {
  Runner& r = g_runner;
  r.status_handle = RegisterServiceCtrlHandlerExW(ToWide(r.identity->name).c_str(), ControlHandler,
                                                  /*lpContext=*/nullptr);
  if (!r.status_handle) {
    r.exit_code = 1;
    return;
  }
  r.Report(SERVICE_START_PENDING);
  ServiceController controller(*r.module, r.identity->name, ProgramFileName());
  controller.Handle(ServiceControl::kStart);
  if (controller.state() == ServiceState::kStopped) {
    // Another service serves the folder: stopped without an error code,
    // since any code would set off the recovery actions (restart after a
    // failure, also one that is not a crash) and start a restart loop. The
    // event log says why.
    if (controller.start_refused()) {
      r.exit_code = kExitFolderServed;
      r.Report(SERVICE_STOPPED);
      return;
    }
    r.exit_code = 1;
    r.Report(SERVICE_STOPPED, ERROR_SERVICE_SPECIFIC_ERROR);
    return;
  }
  r.Report(SERVICE_RUNNING);

  DWORD next_tick = GetTickCount() + kPollIntervalMs;
  while (controller.state() != ServiceState::kStopped) {
    const DWORD now = GetTickCount();
    const LONG remaining = static_cast<LONG>(next_tick - now);
    const DWORD wait = remaining > 0 ? static_cast<DWORD>(remaining) : 0;
    if (WaitForSingleObject(r.wake, wait) == WAIT_OBJECT_0) {
      ServiceControl control;
      while (controller.state() != ServiceState::kStopped && r.Next(&control)) {
        r.Report(PendingStateOf(control));
        controller.Handle(control);
        // Stopped is reported once, after the loop: nothing may follow it.
        if (controller.state() != ServiceState::kStopped) {
          r.Report(ReportedStateOf(controller.state()));
        }
      }
      continue;
    }
    controller.Tick();
    // A tick longer than the interval delays the next one; ticks never pile up.
    next_tick += kPollIntervalMs;
    if (static_cast<LONG>(next_tick - GetTickCount()) < 0) next_tick = GetTickCount();
  }
  r.Report(SERVICE_STOPPED);
}

// Restart after every failure, so that a service that dies in the night is
// back for the morning's orders: after a crash, and (where the service
// manager knows the setting; Wine's does not) after a stop with an error.
bool SetRecoveryActions(SC_HANDLE service) {
  SC_ACTION actions[3];
  for (SC_ACTION& action : actions) action = {SC_ACTION_RESTART, kRestartDelayMs};
  SERVICE_FAILURE_ACTIONSW failure_actions{};
  failure_actions.dwResetPeriod = kFailureCountResetSeconds;
  failure_actions.cActions = 3;
  failure_actions.lpsaActions = actions;
  if (!ChangeServiceConfig2W(service, SERVICE_CONFIG_FAILURE_ACTIONS, &failure_actions)) {
    return false;
  }
  SERVICE_FAILURE_ACTIONS_FLAG on_error_stops{/*fFailureActionsOnNonCrashFailures=*/TRUE};
  return ChangeServiceConfig2W(service, SERVICE_CONFIG_FAILURE_ACTIONS_FLAG, &on_error_stops) ||
         GetLastError() == ERROR_INVALID_LEVEL;
}

bool SetDescription(SC_HANDLE service) {
  std::wstring text = kDescription;
  SERVICE_DESCRIPTIONW description{text.data()};
  return ChangeServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, &description);
}

}  // namespace

int InstallService(const ServiceIdentity& identity, const std::string& program_dir, bool silent) {
  ScHandle manager(OpenSCManagerW(/*lpMachineName=*/nullptr, /*lpDatabaseName=*/nullptr,
                                  SC_MANAGER_CREATE_SERVICE));
  if (!manager) return ReportFailure("install", identity, GetLastError());
  const std::wstring name = ToWide(identity.name);
  const std::wstring display_name = ToWide(identity.display_name);
  std::wstring command = L"\"" + ToWide(ProgramPath()) + L"\"";
  if (!program_dir.empty()) {
    // A trailing backslash before the closing quote would escape it.
    std::wstring folder = ToWide(program_dir);
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    command += L" --program-dir \"" + folder + L"\"";
  }
  const std::wstring account = ServiceAccount(identity);
  // A virtual account has no password: Windows manages it.
  ScHandle service(CreateServiceW(manager.get(), name.c_str(), display_name.c_str(),
                                  SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START,
                                  SERVICE_ERROR_NORMAL, command.c_str(),
                                  /*lpLoadOrderGroup=*/nullptr, /*lpdwTagId=*/nullptr,
                                  /*lpDependencies=*/nullptr, account.c_str(),
                                  /*lpPassword=*/nullptr));
  if (!service) return ReportFailure("install", identity, GetLastError());
  // All or nothing: a registration without its recovery, its description or
  // its event source is taken back.
  DWORD error = ERROR_SUCCESS;
  if (!SetRecoveryActions(service.get()) || !SetDescription(service.get())) {
    error = GetLastError();
  } else {
    error = AddEventSource(identity.name, ProgramPath());
  }
  if (error != ERROR_SUCCESS) {
    DeleteService(service.get());
    RemoveEventSource(identity.name);
    return ReportFailure("install", identity, error);
  }
  if (!silent) ShowMessage("Service installed successfully", MB_ICONINFORMATION);
  return 0;
}

int UninstallService(const ServiceIdentity& identity, bool silent) {
  ScHandle manager(
      OpenSCManagerW(/*lpMachineName=*/nullptr, /*lpDatabaseName=*/nullptr, SC_MANAGER_CONNECT));
  if (!manager) return ReportFailure("uninstall", identity, GetLastError());
  ScHandle service(OpenServiceW(manager.get(), ToWide(identity.name).c_str(), DELETE));
  if (!service || !DeleteService(service.get())) {
    return ReportFailure("uninstall", identity, GetLastError());
  }
  const DWORD error = RemoveEventSource(identity.name);
  if (error != ERROR_SUCCESS) return ReportFailure("uninstall", identity, error);
  if (!silent) ShowMessage("Service uninstalled successfully", MB_ICONINFORMATION);
  return 0;
}

int RunService(ServiceModule& module, const ServiceIdentity& identity) {
  g_runner.module = &module;
  g_runner.identity = &identity;
  g_runner.wake = CreateEventW(/*lpEventAttributes=*/nullptr, /*bManualReset=*/FALSE,
                               /*bInitialState=*/FALSE, /*lpName=*/nullptr);
  std::wstring name = ToWide(identity.name);
  SERVICE_TABLE_ENTRYW table[] = {{name.data(), ServiceMain}, {nullptr, nullptr}};
  if (!StartServiceCtrlDispatcherW(table)) {
    const DWORD error = GetLastError();
    ReportError(identity.name,
                "Cannot connect to the service control manager: " + SystemErrorText(error));
    return 1;
  }
  return g_runner.exit_code;
}

}  // namespace cratemark
