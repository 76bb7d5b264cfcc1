#include "tests/service_e2e_harness.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace cratemark::e2e {

std::string BinDir() {
  const char* dir = std::getenv("CRATEMARK_BIN_DIR");
  if (!dir) throw std::runtime_error("CRATEMARK_BIN_DIR is not set");
  return std::string(dir) + "/";
}

Child::Child(const std::vector<std::string>& argv, const std::string& stdout_path,
             const std::string& stderr_path, const std::vector<std::string>& environment) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, stdout_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  if (!stderr_path.empty()) {
    posix_spawn_file_actions_addopen(&actions, 2, stderr_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
  }
  std::vector<char*> args;
  std::vector<std::string> copy = argv;
  for (std::string& a : copy) args.push_back(a.data());
  args.push_back(nullptr);
  std::vector<std::string> variables = environment;
  std::vector<char*> env;
  for (std::string& v : variables) env.push_back(v.data());
  for (char** v = environ; *v; ++v) env.push_back(*v);
  env.push_back(nullptr);
  int rc = posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) throw std::runtime_error("cannot start " + argv[0]);
}

Child& Child::operator=(Child&& other) noexcept {
  if (this != &other) {
    this->~Child();
    pid_ = other.pid_;
    other.pid_ = -1;
  }
  return *this;
}

Child::~Child() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    Wait();
  }
}

void Child::Signal(int signal_number) const {
  if (pid_ > 0) kill(pid_, signal_number);
}

int Child::Wait() {
  if (pid_ <= 0) return -1;
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

bool Child::Running() const {
  if (pid_ <= 0) return false;
  siginfo_t info{};
  // WNOWAIT leaves an ended process for Wait to reap; si_pid stays 0 while
  // the process runs.
  if (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0) {
    return false;
  }
  return info.si_pid == 0;
}

int RunTool(const std::vector<std::string>& argv) { return Child(argv).Wait(); }

ProgramFolder::ProgramFolder() {
  // Only the owner may change them, whatever the umask: the service warns of
  // program files that others may replace.
  using std::filesystem::perms;
  const perms owner_only_writes = perms::owner_all | perms::group_read | perms::group_exec |
                                  perms::others_read | perms::others_exec;
  std::filesystem::permissions(dir(), owner_only_writes);
  for (const char* file : {"CratemarkService", "libxbengine.so"}) {
    std::filesystem::copy_file(BinDir() + file, dir() + file);
    std::filesystem::permissions(dir() + file, owner_only_writes);
  }
}

void ProgramFolder::WriteFile(const std::string& name, const std::string& bytes) const {
  std::ofstream(Path(name), std::ios::binary) << bytes;
}

std::string ProgramFolder::ReadFile(const std::string& name) const {
  std::ifstream in(Path(name), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool ProgramFolder::Exists(const std::string& name) const {
  return std::filesystem::exists(Path(name));
}

void ProgramFolder::SetUp(const std::string& source, const std::string& dest,
                          const std::string& backup, const std::string& design) const {
  WriteFile("Cratemark.cfg", "SPLDirSource=" + source + "\r\nSPLDirDest=" + dest +
                                 "\r\nSPLDirBackup=" + backup +
                                 "\r\nLabelsText=Labels\r\nTimeText=Time:\r\nMapText=Map:\r\n"
                                 "TotalText=Total:\r\n");
  WriteFile("LabelDesign.txt", design);
  for (const std::string& f : {source, dest, backup}) std::filesystem::create_directories(Path(f));
}

Child ProgramFolder::StartService(const std::string& stdout_path,
                                  const std::string& stderr_path) const {
  return Child({Path("CratemarkService")}, stdout_path, stderr_path);
}

Lines ProgramFolder::LogMessages() const {
  Lines messages;
  for (const std::string& line : SplitLines(ReadFile("Cratemark.txt"))) {
    std::size_t colon = line.find(" : ");
    messages.push_back(colon == std::string::npos ? line : line.substr(colon + 3));
  }
  return messages;
}

std::string ProgramFolder::Status() const {
  Lines lines = SplitLines(ReadFile("Cratemark.err"));
  return lines.empty() ? "" : lines[0];
}

std::vector<std::string> ProgramFolder::Sim(std::vector<std::string> args) const {
  args.insert(args.begin(), BinDir() + "tolvansim");
  return args;
}

bool ProgramFolder::LockHeld(const std::string& printer) const {
  return RunTool(Sim({"held", Path(printer)})) == 0;
}

}  // namespace cratemark::e2e
