#include "engine/append_lock.h"

#include <chrono>
#include <thread>

#include "engine/lock_scheme.h"

namespace cratemark::engine {

AppendLock::AppendLock(LockedFile& file, int wait_ms) : file_(file) {
  constexpr auto kPause = std::chrono::milliseconds(10);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
  while (!(is_held_ = file_.TryLock(kAppendLockOffset, 1))) {
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(kPause);
  }
}

AppendLock::~AppendLock() {
  if (is_held_) file_.Unlock(kAppendLockOffset, 1);
}

}  // namespace cratemark::engine
