// The one-line edit field: painting, typing and clicks.
#include "ui/terminal/terminal_edit.h"

namespace cratemark::ui::terminal {

CellBox TerminalEdit::TextArea() const {
  if (box_.cols < 4) return {box_.row, box_.col, 1, box_.cols};
  return {box_.row, box_.col + 1, 1, box_.cols - 2};
}

void TerminalEdit::Paint(Canvas& canvas, bool focused) const {
  const CellBox area = TextArea();
  const int row = area.row;
  if (area.cols < box_.cols) {
    // Brackets frame the field, so that an empty one shows on any terminal.
    canvas.Text(row, box_.col, "[", 1, focused ? kBold : kDim);
    canvas.Text(row, box_.right() - 1, "]", 1, focused ? kBold : kDim);
  }
  canvas.Fill(area, kField | kUnderline);
  const std::u32string& chars = field_.chars(0);
  for (int i = 0; i < area.cols; ++i) {
    const int column = field_.left_column() + i;
    if (column >= static_cast<int>(chars.size())) break;
    const unsigned look =
        kField | kUnderline | (focused && field_.IsSelected(0, column) ? unsigned{kReverse} : 0u);
    canvas.Chars(row, area.col + i, std::u32string_view(&chars[column], 1), 1, look);
  }
  if (focused) canvas.PlaceCursor(row, area.col + field_.Caret().column - field_.left_column());
}

bool TerminalEdit::OnKey(const Key& key) {
  switch (key.name) {
    case KeyName::kChar:
      if (key.alt) return false;
      field_.Type(std::u32string(1, key.ch));
      break;
    case KeyName::kBackspace:
      field_.Backspace();
      break;
    case KeyName::kDelete:
      field_.Delete();
      break;
    case KeyName::kLeft:
      field_.Left(key.shift);
      break;
    case KeyName::kRight:
      field_.Right(key.shift);
      break;
    case KeyName::kHome:
      field_.Home(key.shift);
      break;
    case KeyName::kEnd:
      field_.End(key.shift);
      break;
    default:
      return false;
  }
  field_.ScrollToCaret(1, TextArea().cols);
  return true;
}

void TerminalEdit::OnMouse(const Mouse& mouse) {
  TakeFocus();
  if (mouse.kind == MouseKind::kClick || mouse.kind == MouseKind::kDoubleClick) {
    field_.MoveTo({0, field_.left_column() + mouse.col - TextArea().col}, false);
  }
}

}  // namespace cratemark::ui::terminal
