// What every canvas shares: UTF-8 text written as characters.
#include "ui/terminal/canvas.h"

#include "platform/code_page.h"

namespace cratemark::ui::terminal {

void Canvas::Text(int row, int col, std::string_view text, int max_cols, unsigned look) {
  Chars(row, col, Utf8ToCodePoints(text), max_cols, look);
}

}  // namespace cratemark::ui::terminal
