// The terminal toolkit's time, handed in: the steady time its timers and the
// blink rhythm run on, and the local time of the clock pane.
#pragma once

#include <chrono>

#include "platform/local_time.h"

namespace cratemark::ui::terminal {

class Clock {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;
  virtual ~Clock() = default;
  virtual TimePoint Now() const = 0;
  virtual LocalTime LocalNow() const = 0;
};

// The system's clocks; one for the process, never destroyed.
const Clock& SystemClock();

// Whether blinking text shows at `now`.
bool IsBlinkLit(Clock::TimePoint now);

}  // namespace cratemark::ui::terminal
