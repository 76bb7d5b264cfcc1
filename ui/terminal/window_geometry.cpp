// Window placement on the terminal's cells.
#include "ui/terminal/window_geometry.h"

#include <algorithm>

namespace cratemark::ui::terminal {

namespace {

// A pixel size in cells: a character cell stands for about 8 x 16 pixels.
constexpr int kPixelsPerCol = 8;
constexpr int kPixelsPerRow = 16;
constexpr int kSmallestCols = 40;
constexpr int kSmallestRows = 8;

}  // namespace

int WantedClientCols(int client_width) {
  return std::max(kSmallestCols, client_width / kPixelsPerCol);
}

int WantedClientRows(int client_height) {
  return std::max(kSmallestRows, client_height / kPixelsPerRow);
}

WindowPlace PlaceWindow(const WindowSpec& wanted, int status_bar_height, const CellBox& area) {
  WindowPlace place;
  place.surface.pixel_width = wanted.client_width;
  place.surface.pixel_height = wanted.client_height;
  switch (wanted.kind) {
    case WindowKind::kMain: {
      place.frame = area;
      // The status bar takes two lines: the hint line and the status line.
      const int status_rows = status_bar_height > 0 ? 2 : 0;
      place.surface.cells = {area.row, area.col, std::max(area.rows - status_rows, 1), area.cols};
      place.surface.pixel_height = wanted.client_height - status_bar_height;
      break;
    }
    case WindowKind::kModeless:
      place.frame = area;
      place.surface.cells = {area.row + 1, area.col + 1, std::max(area.rows - 2, 1),
                             std::max(area.cols - 2, 1)};
      break;
    case WindowKind::kTool: {
      const int cols = std::min(area.cols - 4, WantedClientCols(wanted.client_width));
      const int rows = std::min(area.rows - 4, WantedClientRows(wanted.client_height));
      place.frame = {area.row + (area.rows - rows - 2) / 2, area.col + (area.cols - cols - 2) / 2,
                     rows + 2, cols + 2};
      place.surface.cells = {place.frame.row + 1, place.frame.col + 1, rows, cols};
      break;
    }
  }
  return place;
}

Arrangement ArrangeModeless(const CellBox& screen, const std::vector<std::pair<int, int>>& wanted) {
  Arrangement arrangement{screen, {}};
  CellBox& main = arrangement.main;
  for (const auto& [wanted_cols, wanted_rows] : wanted) {
    const int width = std::min(wanted_cols, screen.cols);
    if (main.cols - width >= kMinCols) {
      main.cols -= width;
      arrangement.modeless.push_back({screen.row, main.right(), screen.rows, width});
    } else {
      const int height = std::min(wanted_rows, screen.rows - 2);
      arrangement.modeless.push_back({screen.row + 1, screen.right() - width, height, width});
    }
  }
  return arrangement;
}

}  // namespace cratemark::ui::terminal
