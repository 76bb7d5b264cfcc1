// Job turnaround on Linux: the real CratemarkService in a program folder of
// its own, the destination printer served by the host simulator (tolvansim),
// 200 order jobs written one at a time at random moments, each timed from
// the moment it appears in the source folder until the service has delivered
// its labels and deleted it. Against the limit the poll sets: the one-second
// poll plus the half-second settle. Also the service process's resident
// memory after the first 10 jobs and after all of them.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "bench/bench_util.h"
#include "platform/file_system.h"
#include "tests/service_e2e_harness.h"

using namespace cratemark;
using namespace cratemark::bench;
using namespace std::chrono_literals;

namespace {

constexpr double kPollSeconds = 1.0;
constexpr double kGoalSeconds = 1.55;  // the poll plus the settle

long ResidentKb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string key;
  long value = 0;
  while (status >> key) {
    if (key == "VmRSS:") {
      status >> value;
      return value;
    }
    status.ignore(1 << 10, '\n');
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int jobs = argc > 1 ? std::atoi(argv[1]) : 200;
  // The programs are built beside this one.
  setenv("CRATEMARK_BIN_DIR", ProgramDir().c_str(), 0);
  e2e::ProgramFolder folder;
  folder.SetUp();
  e2e::Child spooler(folder.Sim({"serve", folder.Path("Label1")}));
  if (!e2e::WaitUntil([&] { return folder.LockHeld("Label1"); })) {
    std::fputs("the simulated spooler did not start\n", stderr);
    return 2;
  }
  e2e::Child service = folder.StartService();
  if (!e2e::WaitUntil([&] { return folder.Status() == "0" && folder.LockHeld("PreLabel"); })) {
    std::fputs("the service did not start\n", stderr);
    return 2;
  }

  std::string job = "Order\r\n";
  for (int i = 1; i < 100; ++i) job += "\r\n";
  std::mt19937 random(11);
  std::uniform_int_distribution<int> pause_ms(0, 999);
  std::vector<double> turnaround;
  long resident_after_10 = 0;
  for (int n = 0; n < jobs; ++n) {
    // A random moment against the poll, as orders come.
    std::this_thread::sleep_for(std::chrono::milliseconds(pause_ms(random)));
    const std::string path = folder.Path("PreLabel/" + std::to_string(1000 + n) + ".spl");
    const auto start = Clock::now();
    WriteWholeFile(path, job);
    while (FileExists(path)) {
      if (SecondsSince(start) > 10) {
        std::fprintf(stderr, "job %d not taken in 10 s\n", n);
        return 2;
      }
      std::this_thread::sleep_for(1ms);
    }
    turnaround.push_back(SecondsSince(start));
    if (n + 1 == 10) resident_after_10 = ResidentKb(service.pid());
  }
  const long resident_after_all = ResidentKb(service.pid());
  service.Signal(SIGTERM);
  service.Wait();
  spooler.Signal(SIGTERM);
  spooler.Wait();

  const double median = Median(turnaround);
  const double p99 = Percentile(turnaround, 0.99);
  std::printf("Job turnaround, real service on Linux, %d jobs\n", jobs);
  PrintFigure("median", median, "s");
  PrintFigure("99th percentile", p99, "s");
  PrintFigure("slowest", Percentile(turnaround, 1.0), "s");
  std::printf("  %-48s %12.2fx\n", "median / poll", median / kPollSeconds);
  const bool met =
      PrintRatio("99th percentile / poll", p99 / kPollSeconds, kGoalSeconds / kPollSeconds, true);
  PrintFigure("service resident memory after 10 jobs", static_cast<double>(resident_after_10),
              "KB");
  PrintFigure("service resident memory after " + std::to_string(jobs) + " jobs",
              static_cast<double>(resident_after_all), "KB");
  PrintRatio("resident after all / after 10",
             static_cast<double>(resident_after_all) / static_cast<double>(resident_after_10), 2.0,
             true);
  return met ? 0 : 1;
}
