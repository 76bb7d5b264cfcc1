// The native Windows toolkit: windows and common controls through Win32.
#pragma once

#include <memory>

#include "ui/window.h"

namespace cratemark::ui {

// Registers the window classes and loads the common controls.
std::unique_ptr<Toolkit> MakeWin32Toolkit();

}  // namespace cratemark::ui
