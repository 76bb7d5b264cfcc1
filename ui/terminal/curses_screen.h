// The real terminal as the toolkit's Screen, on ncurses.
#pragma once

#include <memory>

#include "ui/terminal/screen.h"

namespace cratemark::ui::terminal {

// Takes over the terminal on standard input and output; the terminal is
// given back as it was when the screen is destroyed, and on the signals
// that end the program. Throws when there is no usable terminal.
std::unique_ptr<Screen> OpenCursesScreen();

}  // namespace cratemark::ui::terminal
