// Reading one event from curses: the keys, clicks and resizes it has.
#pragma once

#include "ui/terminal/screen.h"

namespace cratemark::ui::terminal {

// The next key, click or change of size without waiting; kNone when there is
// none. Ctrl+L asks for the whole screen to be painted anew (as a resize).
Event ReadCursesEvent();

}  // namespace cratemark::ui::terminal
