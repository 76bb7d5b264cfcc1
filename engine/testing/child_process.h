// Test support: another program started with pipes to its standard input
// and output, to play a second process that uses the same files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cratemark::testing {

class ChildProcess {
 public:
  // Starts `program` (a native path) with `arguments`. Throws Error.
  ChildProcess(const std::string& program, const std::vector<std::string>& arguments);
  ~ChildProcess();  // closes its input and waits for it
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // One line of its output, without the line end; empty at its end.
  std::string ReadLine();
  // Ends its input and waits for it to exit; returns its exit code.
  int Finish();

 private:
  std::intptr_t process_ = -1;
  std::intptr_t input_ = -1;   // our end of its standard input
  std::intptr_t output_ = -1;  // our end of its standard output
  bool is_finished_ = false;
  int exit_code_ = -1;
};

// Path of a program built beside the tests (CRATEMARK_BIN_DIR, else the
// test's own folder), with the platform's executable suffix.
std::string BuiltProgram(const std::string& name);

}  // namespace cratemark::testing
