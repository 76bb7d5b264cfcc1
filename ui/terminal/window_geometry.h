// Where windows stand on the terminal, in cells: pure arithmetic from their
// kind, their size in pixels and the area they get.
#pragma once

#include <utility>
#include <vector>

#include "ui/terminal/cell_layout.h"
#include "ui/window.h"

namespace cratemark::ui::terminal {

// Below this the console's pages cannot be drawn without losing controls.
inline constexpr int kMinCols = 80;
inline constexpr int kMinRows = 24;

// The cells a window's client area would like, from its size in pixels
// (without the border of a tool or modeless window).
int WantedClientCols(int client_width);
int WantedClientRows(int client_height);

struct WindowPlace {
  CellBox frame;    // the whole window: for a tool window with its border
  Surface surface;  // where its controls go
};

// A main window fills `area` less its two status lines; a modeless one takes
// `area` with its border; a tool window is centred in it with a size of its own.
WindowPlace PlaceWindow(const WindowSpec& wanted, int status_bar_height, const CellBox& area);

struct Arrangement {
  CellBox main;
  std::vector<CellBox> modeless;  // one per modeless window, in order
};

// Modeless windows stand beside the main window when both fit, else over
// its right part. `wanted` holds each one's cells (columns, rows) with border.
Arrangement ArrangeModeless(const CellBox& screen, const std::vector<std::pair<int, int>>& wanted);

}  // namespace cratemark::ui::terminal
