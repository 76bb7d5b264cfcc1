// Keeps a host table from being left open or locked by the console: on
// every way out of a piece of work, an edit not posted is cancelled and the
// table closed.
#pragma once

#include "console/console_table.h"

namespace cratemark {

class TableGuard {
 public:
  // `table` is open (or about to be) and outlives the guard.
  explicit TableGuard(ConsoleTable& table) : table_(table) {}
  TableGuard(const TableGuard&) = delete;
  TableGuard& operator=(const TableGuard&) = delete;
  // A failure while cleaning up is dropped: the failure that ended the work
  // is the one to report.
  ~TableGuard() {
    try {
      if (table_.IsEditing()) table_.Cancel();
    } catch (...) {
    }
    try {
      if (table_.IsOpen()) table_.Close();
    } catch (...) {
    }
  }

 private:
  ConsoleTable& table_;
};

}  // namespace cratemark
