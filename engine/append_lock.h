// The append lock of a file, held for the life of the object. Other writers
// hold it only for a moment, so taking it waits a little.
#pragma once

#include "platform/locked_file.h"

namespace cratemark::engine {

class AppendLock {
 public:
  // Tries to take the lock for up to `wait_ms` milliseconds.
  AppendLock(LockedFile& file, int wait_ms);
  ~AppendLock();
  AppendLock(const AppendLock&) = delete;
  AppendLock& operator=(const AppendLock&) = delete;

  bool is_held() const { return is_held_; }

 private:
  LockedFile& file_;
  bool is_held_ = false;
};

}  // namespace cratemark::engine
