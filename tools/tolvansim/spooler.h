// Plays TolvanSpool for one printer: holds the printer's lock table open and
// file-locked, and prints (to standard output) and deletes each job file
// that appears in its spool folder.
#pragma once

#include <atomic>
#include <string>

namespace cratemark::tolvansim {

struct SpoolerOptions {
  std::string folder;     // the printer's spool folder
  bool take_jobs = true;  // false: only hold the lock
  int poll_interval_ms = 100;
};

// Serves until `stop` becomes true. Throws when the lock table cannot be
// opened and locked (another spooler serves the printer).
void ServePrinter(const SpoolerOptions& options, const std::atomic<bool>& stop);

// True when another program holds the file lock on the printer's lock table
// (a spooler serves it); false when the lock could be taken (it is released
// again at once). Throws when there is no lock table to open.
bool LockTableHeld(const std::string& folder);

// Creates "LOCKSPL.DBF" in `folder` when it has none (nobody holds it).
void CreateLockTable(const std::string& folder);

}  // namespace cratemark::tolvansim
