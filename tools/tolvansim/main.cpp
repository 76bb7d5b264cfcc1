// tolvansim: plays Tolvan and its spooler for tests and the demo.
//
//   tolvansim order FOLDER JOB.spl [--utf16] "REFERENCE|ITEM|MOD|MOD..." ...
//       writes an order job, one label block per quoted argument
//   tolvansim lines FOLDER JOB.spl COUNT      writes a job of COUNT plain lines
//   tolvansim serve FOLDER [--hold]           serves the printer until SIGTERM/SIGINT
//                                             (--hold: keeps the lock, takes no jobs)
//   tolvansim locktable FOLDER                creates an unheld "LOCKSPL.DBF"
//   tolvansim held FOLDER                     exit status 0 when another program
//                                             holds the lock table's lock, 1 when not
//   tolvansim down FOLDER | up FOLDER         writes / removes "TOLVANSPOOL.ERR"
//   tolvansim printers PROGRAM_DIR NAME...    creates "TolvanSpool.DBF" and the folders
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "shared/host_files.h"
#include "tools/split_at.h"
#include "tools/tolvansim/order_job.h"
#include "tools/tolvansim/printer_table.h"
#include "tools/tolvansim/spooler.h"

namespace {

using namespace cratemark;
using namespace cratemark::tolvansim;

std::atomic<bool> g_stop{false};

extern "C" void OnStopSignal(int) { g_stop = true; }

int Usage() {
  std::fputs(
      "usage: tolvansim order FOLDER JOB.spl [--utf16] \"REF|ITEM|MOD...\"...\n"
      "       tolvansim lines FOLDER JOB.spl COUNT\n"
      "       tolvansim serve FOLDER [--hold]\n"
      "       tolvansim locktable FOLDER\n"
      "       tolvansim held FOLDER\n"
      "       tolvansim down FOLDER | up FOLDER\n"
      "       tolvansim printers PROGRAM_DIR NAME...\n",
      stderr);
  return 2;
}

// Each command gets the whole argument list: its name, the folder, the rest.
int WriteOrder(const std::vector<std::string>& args) {
  TextEncoding encoding = TextEncoding::kAnsi;
  std::vector<OrderLabel> labels;
  for (std::size_t i = 3; i < args.size(); ++i) {
    if (args[i] == "--utf16") {
      encoding = TextEncoding::kUtf16LE;
      continue;
    }
    std::vector<std::string> parts = tools::SplitAt(args[i], '|');
    OrderLabel label{parts[0], parts.size() > 1 ? parts[1] : "", {}};
    for (std::size_t p = 2; p < parts.size(); ++p) label.modifiers.push_back(parts[p]);
    labels.push_back(label);
  }
  WriteTextFile(SystemFileSystem(), args[1] + "\\" + args[2], OrderJobLines(labels), encoding);
  return 0;
}

int WriteLines(const std::vector<std::string>& args) {
  Lines lines;
  const long count = std::atol(args[3].c_str());
  for (long i = 0; i < count; ++i) lines.push_back("line " + std::to_string(i));
  WriteTextFile(SystemFileSystem(), args[1] + "\\" + args[2], lines, TextEncoding::kAnsi);
  return 0;
}

int Serve(const std::vector<std::string>& args) {
  std::signal(SIGTERM, OnStopSignal);
  std::signal(SIGINT, OnStopSignal);
  SpoolerOptions options;
  options.folder = args[1];
  options.take_jobs = !(args.size() > 2 && args[2] == "--hold");
  ServePrinter(options, g_stop);
  return 0;
}

int MakeLockTable(const std::vector<std::string>& args) {
  CreateLockTable(args[1]);
  return 0;
}

int IsHeld(const std::vector<std::string>& args) { return LockTableHeld(args[1]) ? 0 : 1; }

int PrinterDown(const std::vector<std::string>& args) {
  WriteWholeFile(args[1] + "\\" + std::string(kSpoolerMarkerFileName), "Printer offline\r\n");
  return 0;
}

int PrinterUp(const std::vector<std::string>& args) {
  DeleteFileAt(args[1] + "\\" + std::string(kSpoolerMarkerFileName));
  return 0;
}

int MakePrinters(const std::vector<std::string>& args) {
  std::string program_dir = args[1];
  if (program_dir.back() != '/' && program_dir.back() != '\\') program_dir += kPathSeparator;
  CreatePrinterTable(program_dir, std::vector<std::string>(args.begin() + 2, args.end()));
  return 0;
}

struct Command {
  const char* name;
  std::size_t min_args, max_args;  // the whole list, the command's name included
  int (*run)(const std::vector<std::string>& args);
};

constexpr std::size_t kAny = static_cast<std::size_t>(-1);

const Command kCommands[] = {
    {"order", 3, kAny, WriteOrder}, {"lines", 4, 4, WriteLines},
    {"serve", 2, kAny, Serve},      {"locktable", 2, kAny, MakeLockTable},
    {"held", 2, kAny, IsHeld},      {"down", 2, kAny, PrinterDown},
    {"up", 2, kAny, PrinterUp},     {"printers", 2, kAny, MakePrinters},
};

int Run(const std::vector<std::string>& args) {
  if (args.size() < 2) return Usage();
  for (const Command& command : kCommands) {
    if (args[0] == command.name && args.size() >= command.min_args &&
        args.size() <= command.max_args) {
      return command.run(args);
    }
  }
  return Usage();
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tolvansim: %s\n", e.what());
    return 1;
  }
}
