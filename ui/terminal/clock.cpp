// The system's clocks behind the toolkit's Clock.
#include "ui/terminal/clock.h"

#include "ui/blink_rhythm.h"

namespace cratemark::ui::terminal {

namespace {

class SystemClockImpl : public Clock {
 public:
  TimePoint Now() const override { return std::chrono::steady_clock::now(); }
  LocalTime LocalNow() const override { return NowLocal(); }
};

}  // namespace

const Clock& SystemClock() {
  static const SystemClockImpl clock;
  return clock;
}

bool IsBlinkLit(Clock::TimePoint now) {
  using namespace std::chrono;
  return ui::IsBlinkLit(duration_cast<milliseconds>(now.time_since_epoch()).count());
}

}  // namespace cratemark::ui::terminal
