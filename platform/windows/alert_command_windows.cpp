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

class WindowsAlertCommandRunner : public AlertCommandRunner {
 public:
  WindowsAlertCommandRunner(std::string command, std::chrono::milliseconds time_limit)
      : command_(std::move(command)), time_limit_(time_limit) {}

  void Start(const std::vector<std::string>& args) override {
    if (command_.find_first_not_of(" \t") == std::string::npos) {
      ended_.push_back({false, "cannot start: the command is empty"});
      return;
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
      ended_.push_back({false, std::string("cannot start: ") +
                                   WindowsError(error, "\"" + command_ + "\"").what()});
      return;
    }
    OwnedHandle thread(process.hThread);
    // Without a job (a service already inside one that forbids nesting) the
    // process alone is ended when its time is up.
    if (job.get() && !AssignProcessToJobObject(job.get(), process.hProcess)) job = OwnedHandle();
    ResumeThread(thread.get());
    runs_.push_back(
        {OwnedHandle(process.hProcess), std::move(job), std::chrono::steady_clock::now(), false});
  }

  std::vector<AlertCommandResult> Poll() override {
    std::vector<AlertCommandResult> results = std::move(ended_);
    ended_.clear();
    const auto now = std::chrono::steady_clock::now();
    for (auto run = runs_.begin(); run != runs_.end();) {
      if (WaitForSingleObject(run->process.get(), 0) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(run->process.get(), &code);
        if (run->ended) {
          results.push_back({false, RanTooLong(time_limit_)});
        } else {
          results.push_back({code == 0, "exited with status " + std::to_string(code)});
        }
        run = runs_.erase(run);
        continue;
      }
      if (!run->ended && now - run->started >= time_limit_) {
        if (!run->job.get() || !TerminateJobObject(run->job.get(), 1)) {
          TerminateProcess(run->process.get(), 1);
        }
        run->ended = true;
      }
      ++run;
    }
    return results;
  }

  bool Busy() const override { return !runs_.empty() || !ended_.empty(); }

 private:
  struct Run {
    OwnedHandle process;
    OwnedHandle job;
    std::chrono::steady_clock::time_point started;
    bool ended;  // terminated for running too long
  };

  std::string command_;
  std::chrono::milliseconds time_limit_;
  std::vector<Run> runs_;
  std::vector<AlertCommandResult> ended_;  // could not start; told by the next Poll
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
