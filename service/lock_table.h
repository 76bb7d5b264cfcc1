// A printer's lock table "LOCKSPL.DBF" as the service uses it: one table
// object pointed at a spool directory, opened read-only, file-locked, closed.
// The service owns two of them (the source lock and the check table).
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace cratemark {

class LockTable {
 public:
  virtual ~LockTable() = default;

  // The spool directory (no trailing separator needed). Only set while closed.
  virtual void SetDatabaseName(const std::string& directory) = 0;
  virtual const std::string& DatabaseName() const = 0;

  // Opens the table; throws when it cannot. Runs the after-open handler.
  virtual void Open() = 0;
  virtual void Close() = 0;
  virtual bool Active() const = 0;

  // One attempt at the file lock; false when refused or closed.
  virtual bool FLock() = 0;

  // Creates an empty lock table in the directory (closed afterwards); throws.
  virtual void CreateTable() = 0;

  // Runs after every successful open, with the table just opened.
  virtual void SetAfterOpen(std::function<void(LockTable&)> handler) = 0;
};

// A lock table over the table component: "LOCKSPL.DBF", read-only, with the
// one character field "DUMMY" of width 10. `name` names it in error texts.
std::unique_ptr<LockTable> MakeDbfLockTable(const std::string& name);

}  // namespace cratemark
