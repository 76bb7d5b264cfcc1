#include "tools/tolvansim/spooler.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/text_file.h"
#include "shared/host_files.h"
#include "xbase/DbfTable.h"

namespace cratemark::tolvansim {
namespace {

void Configure(TDbfTable& table, const std::string& folder) {
  table.SetTableName(std::string(kLockTableFileName));
  table.SetTableType(ttXBNTX);
  table.AddField("DUMMY", TFieldKind::kText, 10);
  table.SetDatabaseName(folder);
}

void PrintJob(const std::string& folder, const std::string& name) {
  const std::string path = folder + "\\" + name;
  Lines lines = ReadTextFile(SystemFileSystem(), path).lines;
  std::string out = "=== printed " + name + " ===\n";
  for (const std::string& line : lines) out += line + "\n";
  out += "=== end of " + name + " ===\n";
  std::fputs(out.c_str(), stdout);
  std::fflush(stdout);
  DeleteFileAt(path);
}

}  // namespace

void CreateLockTable(const std::string& folder) {
  TDbfTable table("tblLockSPL");
  Configure(table, folder);
  if (!table.Exists()) table.CreateTable();
}

bool LockTableHeld(const std::string& folder) {
  TDbfTable table("tblLockSPL");
  Configure(table, folder);
  table.SetReadOnly(true);
  table.Open();
  const bool held = table.FLock() == 0;
  table.Close();
  return held;
}

void ServePrinter(const SpoolerOptions& options, const std::atomic<bool>& stop) {
  TDbfTable table("tblLockSPL");
  Configure(table, options.folder);
  table.SetReadOnly(true);
  if (!table.Exists()) table.CreateTable();
  table.Open();
  // The label service looks whether a spooler serves by taking the lock for
  // a moment; only a lock held for seconds is another spooler's.
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (table.FLock() == 0) {
    if (std::chrono::steady_clock::now() > give_up) {
      throw Error(ErrorKind::kSharingViolation,
                  "The lock table in \"" + options.folder + "\" is held by another spooler.");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  std::fprintf(stderr, "tolvansim: serving %s\n", options.folder.c_str());
  while (!stop) {
    if (options.take_jobs) {
      for (const DirectoryEntry& entry : ListDirectory(options.folder, "*.spl")) {
        if (entry.type != EntryType::kFile) continue;
        try {
          PrintJob(options.folder, entry.name);
        } catch (const Error& e) {
          // Still being written by someone else: try again on the next round.
          std::fprintf(stderr, "tolvansim: %s\n", e.what());
        }
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(options.poll_interval_ms));
  }
  table.Close();
}

}  // namespace cratemark::tolvansim
