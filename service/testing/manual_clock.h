// A clock for the service's tests that moves only when told to.
#pragma once

#include <chrono>
#include <cstdint>

#include "service/job_settle.h"

namespace cratemark::testing {

class ManualClock : public SettleClock {
 public:
  std::chrono::steady_clock::time_point Now() const override {
    return std::chrono::steady_clock::time_point(std::chrono::milliseconds(now_ms_));
  }
  std::int64_t FileTimeNowNs() const override { return now_ms_ * 1'000'000; }
  void Advance(std::int64_t ms) { now_ms_ += ms; }
  std::int64_t now_ms() const { return now_ms_; }

 private:
  std::int64_t now_ms_ = 1000000;
};

}  // namespace cratemark::testing
