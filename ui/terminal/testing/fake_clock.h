// A clock for tests that moves only when told to.
#pragma once

#include "ui/terminal/clock.h"

namespace cratemark::ui::terminal {

class FakeClock : public Clock {
 public:
  TimePoint Now() const override { return now_; }
  LocalTime LocalNow() const override { return local_; }
  void Advance(std::chrono::milliseconds by) { now_ += by; }
  void SetLocal(const LocalTime& local) { local_ = local; }

 private:
  // Not at zero: a timer made at once is due one interval later, as on a real clock.
  TimePoint now_ = TimePoint(std::chrono::hours(1));
  LocalTime local_{2026, 3, 2, 14, 5, 9, 0};
};

}  // namespace cratemark::ui::terminal
