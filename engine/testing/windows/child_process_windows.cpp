#include <windows.h>

#include <cstdlib>

#include "engine/testing/child_process.h"
#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/windows/wide_string.h"

namespace cratemark::testing {
namespace {

HANDLE Handle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

std::wstring Quoted(const std::string& argument) { return L"\"" + ToWide(argument) + L"\""; }

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments) {
  SECURITY_ATTRIBUTES inheritable = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE child_input = nullptr, input = nullptr, output = nullptr, child_output = nullptr;
  if (!CreatePipe(&child_input, &input, &inheritable, 0) ||
      !CreatePipe(&output, &child_output, &inheritable, 0)) {
    throw Error(ErrorKind::kIo, "CreatePipe failed");
  }
  SetHandleInformation(input, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(output, HANDLE_FLAG_INHERIT, 0);

  std::wstring command_line = Quoted(program);
  for (const std::string& argument : arguments) command_line += L" " + Quoted(argument);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = child_input;
  startup.hStdOutput = child_output;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info = {};
  const BOOL started = CreateProcessW(
      ToWide(program).c_str(), command_line.data(), /*lpProcessAttributes=*/nullptr,
      /*lpThreadAttributes=*/nullptr, /*bInheritHandles=*/TRUE, /*dwCreationFlags=*/0,
      /*lpEnvironment=*/nullptr, /*lpCurrentDirectory=*/nullptr, &startup, &info);
  CloseHandle(child_input);
  CloseHandle(child_output);
  if (!started) {
    CloseHandle(input);
    CloseHandle(output);
    throw Error(ErrorKind::kIo, "CreateProcess failed for " + program);
  }
  CloseHandle(info.hThread);
  process_ = reinterpret_cast<std::intptr_t>(info.hProcess);
  input_ = reinterpret_cast<std::intptr_t>(input);
  output_ = reinterpret_cast<std::intptr_t>(output);
}

ChildProcess::~ChildProcess() { Finish(); }

std::string ChildProcess::ReadLine() {
  std::string line;
  char c = 0;
  DWORD read = 0;
  while (ReadFile(Handle(output_), &c, 1, &read, /*lpOverlapped=*/nullptr) && read == 1) {
    if (c == '\n') break;
    if (c != '\r') line += c;
  }
  return line;
}

int ChildProcess::Finish() {
  if (is_finished_) return exit_code_;
  is_finished_ = true;
  CloseHandle(Handle(input_));
  WaitForSingleObject(Handle(process_), INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(Handle(process_), &code);
  CloseHandle(Handle(process_));
  CloseHandle(Handle(output_));
  exit_code_ = static_cast<int>(code);
  return exit_code_;
}

std::string BuiltProgram(const std::string& name) {
  // Under Wine the environment's Unix path is no Windows path: the tests and
  // the helpers share one folder, so the test's own folder serves.
  return ProgramDir() + name + ".exe";
}

}  // namespace cratemark::testing
