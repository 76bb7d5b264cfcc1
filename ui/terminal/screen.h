// The terminal itself: a canvas that is painted whole, and the events that
// come from it. One at a time per process.
#pragma once

#include "ui/terminal/canvas.h"

namespace cratemark::ui::terminal {

struct Event {
  enum class Kind { kNone, kKey, kMouse, kResize, kStop };
  Kind kind = Kind::kNone;
  Key key;
  Mouse mouse;
};

class Screen : public Canvas {
 public:
  // Clears the picture to be painted; Show puts it on the terminal.
  virtual void BeginPaint() = 0;
  virtual void Show() = 0;
  // Waits at most `timeout_ms` for a key, a click, a change of size or a
  // request to end (Ctrl-C, SIGTERM, SIGHUP); kNone when none came.
  virtual Event Wait(int timeout_ms) = 0;
  // True once a request to end has come; it stays.
  virtual bool IsStopRequested() const = 0;
};

}  // namespace cratemark::ui::terminal
