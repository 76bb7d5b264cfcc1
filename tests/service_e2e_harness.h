// Runs the real CratemarkService in a temporary program folder, with the
// Tolvan simulator in other processes. POSIX only.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/scoped_temp_dir.h"
#include "platform/text_file.h"

namespace cratemark::e2e {

using namespace std::chrono_literals;

// A child process, killed (SIGKILL) if still running when destroyed.
class Child {
 public:
  Child() = default;
  // Standard error stays the test's own unless `stderr_path` is given.
  // `environment` ("NAME=value") is added to the test's own.
  Child(const std::vector<std::string>& argv, const std::string& stdout_path = "/dev/null",
        const std::string& stderr_path = "", const std::vector<std::string>& environment = {});
  Child(Child&& other) noexcept : pid_(other.pid_) { other.pid_ = -1; }
  Child& operator=(Child&& other) noexcept;
  ~Child();
  pid_t pid() const { return pid_; }
  void Signal(int signal_number) const;
  // Waits for the exit and returns the exit status (-1 when killed).
  int Wait();
  // True while the process has not ended.
  bool Running() const;

 private:
  pid_t pid_ = -1;
};

// Polls `condition` every 20 ms until it holds or `timeout` passes.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 8000ms);

// Runs a command to its end; returns its exit status.
int RunTool(const std::vector<std::string>& argv);

class ProgramFolder {
 public:
  ProgramFolder();  // the service program and engine library copied in
  const std::string& dir() const { return temp_.path(); }
  std::string Path(const std::string& name) const { return dir() + name; }

  void WriteFile(const std::string& name, const std::string& bytes) const;
  std::string ReadFile(const std::string& name) const;  // "" when missing
  bool Exists(const std::string& name) const;

  // Settings with three printers and "LabelDesign.txt", folders created.
  void SetUp(const std::string& source = "PreLabel", const std::string& dest = "Label1",
             const std::string& backup = "Label2",
             const std::string& design = "<Reference>/<Item Name>/<Item Mod[1]>\r\n") const;

  Child StartService(const std::string& stdout_path = "/dev/null",
                     const std::string& stderr_path = "") const;

  // The activity log's messages (the text after "date time : ").
  Lines LogMessages() const;
  std::string Status() const;  // the status file's line, "" when missing

  // The simulator, started in this folder.
  std::vector<std::string> Sim(std::vector<std::string> args) const;

  // True when a program holds the lock of the printer's lock table (the
  // folder `printer` inside this one).
  bool LockHeld(const std::string& printer) const;

 private:
  ScopedTempDir temp_;
};

std::string BinDir();

// The log lines of a start in a folder set up with its three printers: the
// start, and for each printer its folder and what that is on.
inline constexpr std::size_t kStartLines = 7;

}  // namespace cratemark::e2e
