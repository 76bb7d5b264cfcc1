// The alert command on Windows: a command line kept in the service's
// registry key (only administrators may write it), run with CreateProcessW
// without a window, inside a job object so that ending it after the time
// limit also ends what it started.
#include <windows.h>

#include <cstdlib>

#include "platform/alert_command.h"
#include "platform/error.h"
#include "platform/windows/os_error.h"
#include "platform/windows/wide_string.h"

namespace cratemark {
namespace {

std::wstring ParametersKey(std::string_view service_name) {
  return L"SYSTEM\\CurrentControlSet\\Services\\" + ToWide(service_name) + L"\\Parameters";
}

// Closes itself.
class OwnedHandle {
 public:
  explicit OwnedHandle(HANDLE handle = nullptr) : handle_(handle) {}
  OwnedHandle(OwnedHandle&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
  OwnedHandle& operator=(OwnedHandle&& other) noexcept {
    std::swap(handle_, other.handle_);
    return *this;
  }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  ~OwnedHandle() {
    if (handle_) CloseHandle(handle_);
  }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// A running command and the job object that holds it (none when the
// service is inside a job that forbids nesting).
struct CommandProcess {
  OwnedHandle process;
  OwnedHandle job;
};

class WindowsAlertCommandRunner : public TimedAlertRuns<CommandProcess> {
 public:
  WindowsAlertCommandRunner(std::string command, std::chrono::milliseconds time_limit)
      : TimedAlertRuns(time_limit), command_(std::move(command)) {}

  void Start(const std::vector<std::string>& args) override {
    if (command_.find_first_not_of(" \t") == std::string::npos) {
      return NotStarted("cannot start: the command is empty");
    }
    std::string line = command_;
    for (const std::string& arg : args) {
      line += ' ';
      line += QuoteWindowsArgument(arg);
    }
    std::wstring wide_line = ToWide(line);

    // Ending the job ends the command and every process it started; closing
    // its last handle (the service ending) does the same.
    OwnedHandle job(CreateJobObjectW(/*lpJobAttributes=*/nullptr, /*lpName=*/nullptr));
    if (job.get()) {
      JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
      limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
      SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits,
                              sizeof(limits));
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(/*lpApplicationName=*/nullptr, wide_line.data(),
                        /*lpProcessAttributes=*/nullptr, /*lpThreadAttributes=*/nullptr,
                        /*bInheritHandles=*/FALSE, CREATE_NO_WINDOW | CREATE_SUSPENDED,
                        /*lpEnvironment=*/nullptr, /*lpCurrentDirectory=*/nullptr, &startup,
                        &process)) {
      const DWORD error = GetLastError();
      return NotStarted(std::string("cannot start: ") +
                        WindowsError(error, "\"" + command_ + "\"").what());
    }
    OwnedHandle thread(process.hThread);
    if (job.get() && !AssignProcessToJobObject(job.get(), process.hProcess)) job = OwnedHandle();
    ResumeThread(thread.get());
    Started({OwnedHandle(process.hProcess), std::move(job)});
  }

 private:
  std::optional<AlertCommandResult> Ended(CommandProcess& run) override {
    if (WaitForSingleObject(run.process.get(), 0) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(run.process.get(), &code);
    return AlertCommandResult{code == 0, "exited with status " + std::to_string(code)};
  }

  void End(CommandProcess& run) override {
    if (!run.job.get() || !TerminateJobObject(run.job.get(), 1)) {
      TerminateProcess(run.process.get(), 1);
    }
  }

  std::string command_;
};

}  // namespace

std::string WhereAlertCommandIsSet(std::string_view service_name) {
  return "the registry value " + std::string(kAlertCommandValueName) + " under HKLM\\" +
         FromWide(ParametersKey(service_name)) + " (\"CratemarkService /ALERT <command line>\")";
}

std::string ConfiguredAlertCommand(std::string_view service_name) {
  const std::wstring key_path = ParametersKey(service_name);
  const std::wstring value_name = ToWide(kAlertCommandValueName);
  DWORD size = 0;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key_path.c_str(), value_name.c_str(), RRF_RT_REG_SZ,
                   /*pdwType=*/nullptr, /*pvData=*/nullptr, &size) != ERROR_SUCCESS) {
    return {};
  }
  std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key_path.c_str(), value_name.c_str(), RRF_RT_REG_SZ,
                   /*pdwType=*/nullptr, value.data(), &size) != ERROR_SUCCESS) {
    return {};
  }
  value.resize(wcsnlen(value.c_str(), value.size()));
  return FromWide(value);
}

void SetAlertCommand(std::string_view service_name, std::string_view command) {
  const std::wstring key_path = ParametersKey(service_name);
  const std::wstring value_name = ToWide(kAlertCommandValueName);
  if (command.empty()) {
    const LSTATUS status =
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key_path.c_str(), value_name.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
      throw WindowsError(status, "Cannot remove the alert command.");
    }
    return;
  }
  HKEY key = nullptr;
  LSTATUS status =
      RegCreateKeyExW(HKEY_LOCAL_MACHINE, key_path.c_str(), /*Reserved=*/0,
                      /*lpClass=*/nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                      /*lpSecurityAttributes=*/nullptr, &key, /*lpdwDisposition=*/nullptr);
  if (status != ERROR_SUCCESS) throw WindowsError(status, "Cannot set the alert command.");
  const std::wstring wide = ToWide(command);
  status = RegSetValueExW(key, value_name.c_str(), /*Reserved=*/0, REG_SZ,
                          reinterpret_cast<const BYTE*>(wide.c_str()),
                          static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) throw WindowsError(status, "Cannot set the alert command.");
}

std::unique_ptr<AlertCommandRunner> MakeAlertCommandRunner(std::string command,
                                                           std::chrono::milliseconds time_limit) {
  return std::make_unique<WindowsAlertCommandRunner>(std::move(command), time_limit);
}

}  // namespace cratemark
