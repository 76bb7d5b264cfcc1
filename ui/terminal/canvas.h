// What the terminal controls draw on and what they are told: a grid of
// character cells, and the keys and mouse clicks that reach them. The
// curses screen implements it; nothing else here knows curses.
#pragma once

#include <string>
#include <string_view>

namespace cratemark::ui::terminal {

// A rectangle of cells.
struct CellBox {
  int row = 0, col = 0, rows = 0, cols = 0;
  int bottom() const { return row + rows; }  // one past the last row
  int right() const { return col + cols; }   // one past the last column
  bool Contains(int r, int c) const { return r >= row && r < bottom() && c >= col && c < right(); }
  bool IsEmpty() const { return rows <= 0 || cols <= 0; }
};

// Looks, combined as bits. Colours fall back to plain video on terminals
// without them.
enum Look : unsigned {
  kPlain = 0,
  kBold = 1u << 0,
  kReverse = 1u << 1,
  kUnderline = 1u << 2,
  kDim = 1u << 3,
  kAlert = 1u << 4,  // the status message: red
  kCrate = 1u << 5,  // the program picture's plate
  kInfo = 1u << 6,   // the log view's tooltip-coloured face
  kPanel = 1u << 7,  // the about box's white panel
  kField = 1u << 8,  // the face of an edit field, list or editor
};

class Canvas {
 public:
  virtual ~Canvas() = default;
  virtual int Rows() const = 0;
  virtual int Cols() const = 0;
  // Writes `text` (UTF-8) at a cell, one cell per character, cut at `max_cols`
  // and at the screen's edge. Characters the terminal cannot show become "?".
  virtual void Chars(int row, int col, std::u32string_view text, int max_cols, unsigned look) = 0;
  void Text(int row, int col, std::string_view text, int max_cols, unsigned look);
  virtual void Fill(const CellBox& box, unsigned look) = 0;
  // A single-line border along the edge of `box`.
  virtual void Border(const CellBox& box, unsigned look) = 0;
  // Whether characters beyond ASCII show (a UTF-8 terminal); when not, they
  // become "?".
  virtual bool ShowsUnicode() const { return true; }
  // Where the terminal's cursor stands after painting; a negative row hides it.
  virtual void PlaceCursor(int row, int col) = 0;
};

// Keys as the controls see them: a character, or one of the named keys.
enum class KeyName {
  kChar,
  kEnter,
  kTab,
  kBackTab,
  kEscape,
  kBackspace,
  kDelete,
  kUp,
  kDown,
  kLeft,
  kRight,
  kHome,
  kEnd,
  kPageUp,
  kPageDown,
  kFunction,   // F1..F12 in `number`
  kPageNext,   // Ctrl+PgDn
  kPagePrior,  // Ctrl+PgUp
};

struct Key {
  KeyName name = KeyName::kChar;
  char32_t ch = 0;  // for kChar
  int number = 0;   // for kFunction
  bool alt = false;
  bool shift = false;  // with the arrows, Home and End: extends a selection
  bool ctrl = false;   // Ctrl+Home, Ctrl+End
};

enum class MouseKind { kClick, kDoubleClick, kWheelUp, kWheelDown };

struct Mouse {
  MouseKind kind = MouseKind::kClick;
  int row = 0, col = 0;
};

}  // namespace cratemark::ui::terminal
