// Settles a window's controls on the cells they were mapped to: the rules
// that make the rounding from pixels to cells livable.
#pragma once

#include <memory>
#include <vector>

#include "ui/terminal/widget.h"

namespace cratemark::ui::terminal {

// Maps every control onto its surface, then: a control that lies under
// another starts below it, a frame whose controls need its edge draws no
// border, and a one-line label runs on into the empty cells to its right.
void LayOutControls(const std::vector<std::unique_ptr<Widget>>& widgets);

}  // namespace cratemark::ui::terminal
