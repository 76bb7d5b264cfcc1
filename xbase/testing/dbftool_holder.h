// dbftool in a second process, holding a table or a lock until the test
// lets it go: the other program on the same files.
#pragma once

#include <cstdio>
#include <string>

#include "platform/file_system.h"

namespace cratemark {

inline std::string DbfTool() {
  std::string program = ProgramDir() + "dbftool";
  return FileExists(program + ".exe") ? program + ".exe" : program;
}

// dbftool holding a table until the test lets it go (at once when
// `stop_file` already exists: then it only tells whether it got the lock).
class Holder {
 public:
  Holder(const std::string& table, const std::string& options, const std::string& stop_file)
      : stop_file_(stop_file) {
    // Unquoted: the Windows command processor strips a leading quote, and
    // the program and test folders hold no blanks.
    std::string command = DbfTool() + " lock " + table + " " + options + " --until " + stop_file;
    pipe_ = popen(command.c_str(), "r");
    char line[64] = {};
    if (pipe_ != nullptr && std::fgets(line, sizeof line, pipe_) != nullptr) first_line_ = line;
    while (!first_line_.empty() && (first_line_.back() == '\n' || first_line_.back() == '\r')) {
      first_line_.pop_back();
    }
  }
  ~Holder() { Release(); }
  const std::string& first_line() const { return first_line_; }
  void Release() {
    if (pipe_ == nullptr) return;
    WriteWholeFile(stop_file_, "");
    pclose(pipe_);
    pipe_ = nullptr;
  }

 private:
  std::string stop_file_;
  FILE* pipe_ = nullptr;
  std::string first_line_;
};

}  // namespace cratemark
