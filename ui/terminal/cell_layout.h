// From the console's pixel layout to character cells, and the small text
// rules the controls share (access keys, word wrapping).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ui/controls.h"
#include "ui/terminal/canvas.h"

namespace cratemark::ui::terminal {

// A pixel area (the client area of a window, or a tab page) laid over an
// area of cells: every control keeps its place and proportion, whatever the
// terminal's size.
struct Surface {
  CellBox cells;
  int pixel_width = 1, pixel_height = 1;

  // Both edges are rounded to the nearest cell, so that neighbours meet
  // without gaps or overlaps; a control keeps at least one cell each way.
  CellBox Map(const Rect& pixels) const;
};

// A caption with "&" marking its access key ("&&" shows one ampersand).
struct Caption {
  std::string text;    // as shown
  int key_index = -1;  // character index of the access key in `text`
  char32_t key = 0;    // the access key, upper case; 0 when none
};
Caption ParseCaption(std::string_view caption);

// `text` broken into lines of at most `width` characters, at blanks where
// there are any; a word longer than a line is cut.
std::vector<std::u32string> WrapWords(std::u32string_view text, int width);

// Characters counted as code points.
int CharCount(std::string_view utf8);

}  // namespace cratemark::ui::terminal
