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
#include "tools/tolvansim/order_job.h"
#include "tools/tolvansim/printer_table.h"
#include "tools/tolvansim/spooler.h"

namespace {

using namespace cratemark;
using namespace cratemark::tolvansim;

std::atomic<bool> g_stop{false};

extern "C" void OnStopSignal(int) { g_stop = true; }

std::vector<std::string> SplitAt(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

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

int Run(const std::vector<std::string>& args) {
  if (args.size() < 2) return Usage();
  const std::string& command = args[0];
  const std::string& folder = args[1];
  if (command == "order" && args.size() >= 3) {
    TextEncoding encoding = TextEncoding::kAnsi;
    std::vector<OrderLabel> labels;
    for (std::size_t i = 3; i < args.size(); ++i) {
      if (args[i] == "--utf16") {
        encoding = TextEncoding::kUtf16LE;
        continue;
      }
      std::vector<std::string> parts = SplitAt(args[i], '|');
      OrderLabel label{parts[0], parts.size() > 1 ? parts[1] : "", {}};
      for (std::size_t p = 2; p < parts.size(); ++p) label.modifiers.push_back(parts[p]);
      labels.push_back(label);
    }
    WriteTextFile(SystemFileSystem(), folder + "\\" + args[2], OrderJobLines(labels), encoding);
    return 0;
  }
  if (command == "lines" && args.size() == 4) {
    Lines lines;
    const long count = std::atol(args[3].c_str());
    for (long i = 0; i < count; ++i) lines.push_back("line " + std::to_string(i));
    WriteTextFile(SystemFileSystem(), folder + "\\" + args[2], lines, TextEncoding::kAnsi);
    return 0;
  }
  if (command == "serve") {
    std::signal(SIGTERM, OnStopSignal);
    std::signal(SIGINT, OnStopSignal);
    SpoolerOptions options;
    options.folder = folder;
    options.take_jobs = !(args.size() > 2 && args[2] == "--hold");
    ServePrinter(options, g_stop);
    return 0;
  }
  if (command == "locktable") {
    CreateLockTable(folder);
    return 0;
  }
  if (command == "held") return LockTableHeld(folder) ? 0 : 1;
  if (command == "down") {
    WriteWholeFile(folder + "\\" + std::string(kSpoolerMarkerFileName), "Printer offline\r\n");
    return 0;
  }
  if (command == "up") {
    DeleteFileAt(folder + "\\" + std::string(kSpoolerMarkerFileName));
    return 0;
  }
  if (command == "printers") {
    std::string program_dir = folder;
    if (program_dir.back() != '/' && program_dir.back() != '\\') program_dir += kPathSeparator;
    CreatePrinterTable(program_dir, std::vector<std::string>(args.begin() + 2, args.end()));
    return 0;
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
