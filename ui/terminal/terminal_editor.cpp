// The design editor: painting with the caret's place, keys and clicks.
#include "ui/terminal/terminal_editor.h"

namespace cratemark::ui::terminal {

void TerminalEditor::ReplaceLine(int index, std::string_view text) {
  field_.ReplaceLine(index, text);
  field_.ScrollToCaret(Inner().rows, Inner().cols);
  Changed();
}

void TerminalEditor::Paint(Canvas& canvas, bool focused) const {
  PaintBorder(canvas, focused);
  const CellBox inner = Inner();
  canvas.Fill(inner, kField);
  for (int row = 0; row < inner.rows; ++row) {
    const int line = field_.top_line() + row;
    if (line >= field_.LineCount()) break;
    const std::u32string& chars = field_.chars(line);
    for (int i = 0; i < inner.cols; ++i) {
      const int column = field_.left_column() + i;
      if (column >= static_cast<int>(chars.size())) break;
      const unsigned look = kField | (field_.IsSelected(line, column) ? unsigned{kReverse} : 0u);
      canvas.Chars(inner.row + row, inner.col + i, std::u32string_view(&chars[column], 1), 1, look);
    }
  }
  if (focused) {
    const TextPosition caret = field_.Caret();
    canvas.PlaceCursor(inner.row + caret.line - field_.top_line(),
                       inner.col + caret.column - field_.left_column());
  }
  if (HasBorder()) {
    const std::string where = PositionText(field_.Caret().line + 1, ':', field_.Caret().column + 1);
    const int width = static_cast<int>(where.size());
    if (width + 2 < box_.cols) {
      canvas.Text(box_.bottom() - 1, box_.right() - 1 - width, where, width, kDim);
    }
  }
}

bool TerminalEditor::OnKey(const Key& key) {
  const CellBox inner = Inner();
  const bool extend = key.shift;
  bool edited = false;
  switch (key.name) {
    case KeyName::kChar:
      if (key.alt) return false;
      field_.Type(std::u32string(1, key.ch));
      edited = true;
      break;
    case KeyName::kEnter:
      field_.Break();
      edited = true;
      break;
    case KeyName::kBackspace:
      field_.Backspace();
      edited = true;
      break;
    case KeyName::kDelete:
      field_.Delete();
      edited = true;
      break;
    case KeyName::kLeft:
      field_.Left(extend);
      break;
    case KeyName::kRight:
      field_.Right(extend);
      break;
    case KeyName::kUp:
      field_.Up(1, extend);
      break;
    case KeyName::kDown:
      field_.Down(1, extend);
      break;
    case KeyName::kPageUp:
      field_.Up(std::max(inner.rows - 1, 1), extend);
      break;
    case KeyName::kPageDown:
      field_.Down(std::max(inner.rows - 1, 1), extend);
      break;
    case KeyName::kHome:
      key.ctrl ? field_.TextStart(extend) : field_.Home(extend);
      break;
    case KeyName::kEnd:
      key.ctrl ? field_.TextEnd(extend) : field_.End(extend);
      break;
    default:
      return false;
  }
  field_.ScrollToCaret(inner.rows, inner.cols);
  if (edited) Changed();
  return true;
}

void TerminalEditor::OnMouse(const Mouse& mouse) {
  TakeFocus();
  const CellBox inner = Inner();
  switch (mouse.kind) {
    case MouseKind::kWheelUp:
      field_.ScrollBy(-3, inner.rows);
      return;
    case MouseKind::kWheelDown:
      field_.ScrollBy(3, inner.rows);
      return;
    case MouseKind::kClick:
    case MouseKind::kDoubleClick:
      if (inner.Contains(mouse.row, mouse.col)) {
        field_.MoveTo({field_.top_line() + mouse.row - inner.row,
                       field_.left_column() + mouse.col - inner.col},
                      false);
      }
      return;
  }
}

}  // namespace cratemark::ui::terminal
