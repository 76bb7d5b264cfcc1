// Settles a window's controls on the cells they were mapped to: the rules
// that make the rounding from pixels to cells livable.
#pragma once

#include <memory>
#include <vector>

#include "ui/terminal/widget.h"

namespace cratemark::ui::terminal {

// Maps every control onto its surface, then: a one-line label runs on into
// the empty cells to its right and wraps onto the rows below when that is
// not enough, a control that lies under another starts below it, a frame
// of texts that would be cut stacks and scrolls them, a frame whose
// controls need its edge draws no border.
void LayOutControls(const std::vector<std::unique_ptr<Widget>>& widgets);

}  // namespace cratemark::ui::terminal
