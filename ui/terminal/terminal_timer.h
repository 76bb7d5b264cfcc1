// A window's timer on the toolkit's clock; the event loop runs it when due.
#pragma once

#include <chrono>

#include "ui/controls.h"
#include "ui/terminal/clock.h"

namespace cratemark::ui::terminal {

class TerminalTimer : public Timer {
 public:
  TerminalTimer(int interval_ms, Handler handler, const Clock& clock)
      : interval_(interval_ms), handler_(std::move(handler)), clock_(clock) {
    SetEnabled(true);
  }
  void SetEnabled(bool enabled) override;
  bool IsEnabled() const override { return enabled_; }
  Clock::TimePoint due() const { return due_; }
  // Runs the handler when due; a handler that opens a message box does not
  // run again inside it.
  void FireIfDue(Clock::TimePoint now);

 private:
  std::chrono::milliseconds interval_;
  Handler handler_;
  const Clock& clock_;
  bool enabled_ = false;
  bool running_ = false;
  Clock::TimePoint due_;
};

}  // namespace cratemark::ui::terminal
