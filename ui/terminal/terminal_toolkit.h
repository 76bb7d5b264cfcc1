// The terminal toolkit: the console drawn with characters in a terminal
// (curses), for servers reached over SSH.
#pragma once

#include <memory>

#include "ui/window.h"

namespace cratemark::ui {

// Takes over the terminal at once (message boxes may come before Run) and
// gives it back when destroyed. Throws when there is no usable terminal.
std::unique_ptr<Toolkit> MakeTerminalToolkit();

}  // namespace cratemark::ui
