// When a timer is due, and running it once per due time.
#include "ui/terminal/terminal_timer.h"

namespace cratemark::ui::terminal {

void TerminalTimer::SetEnabled(bool enabled) {
  if (enabled && !enabled_) due_ = clock_.Now() + interval_;
  enabled_ = enabled;
}

void TerminalTimer::FireIfDue(Clock::TimePoint now) {
  if (!enabled_ || running_ || now < due_) return;
  // Late ticks are not made up for: one run, then the next interval.
  due_ = now + interval_;
  running_ = true;
  try {
    handler_();
  } catch (...) {
    running_ = false;
    throw;
  }
  running_ = false;
}

}  // namespace cratemark::ui::terminal
