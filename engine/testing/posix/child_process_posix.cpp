#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "engine/testing/child_process.h"
#include "platform/error.h"
#include "platform/file_system.h"

namespace cratemark::testing {

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments) {
  int to_child[2];
  int from_child[2];
  if (pipe2(to_child, O_CLOEXEC) != 0) throw Error(ErrorKind::kIo, "pipe failed");
  if (pipe2(from_child, O_CLOEXEC) != 0) throw Error(ErrorKind::kIo, "pipe failed");
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  const pid_t pid = fork();
  if (pid < 0) throw Error(ErrorKind::kIo, "fork failed");
  if (pid == 0) {
    dup2(to_child[0], STDIN_FILENO);
    dup2(from_child[1], STDOUT_FILENO);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(to_child[0]);
  close(from_child[1]);
  process_ = pid;
  input_ = to_child[1];
  output_ = from_child[0];
}

ChildProcess::~ChildProcess() { Finish(); }

std::string ChildProcess::ReadLine() {
  std::string line;
  char c = 0;
  while (true) {
    const ssize_t n = read(static_cast<int>(output_), &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0 || c == '\n') return line;
    if (c != '\r') line += c;
  }
}

int ChildProcess::Finish() {
  if (is_finished_) return exit_code_;
  is_finished_ = true;
  close(static_cast<int>(input_));
  int status = 0;
  while (waitpid(static_cast<pid_t>(process_), &status, 0) < 0 && errno == EINTR) {
  }
  close(static_cast<int>(output_));
  exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return exit_code_;
}

std::string BuiltProgram(const std::string& name) {
  const char* bin_dir = std::getenv("CRATEMARK_BIN_DIR");
  const std::string dir = bin_dir ? std::string(bin_dir) + "/" : ProgramDir();
  return dir + name;
}

}  // namespace cratemark::testing
