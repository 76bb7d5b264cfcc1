// The log view: its lines, scrolling and painting.
#include "ui/terminal/terminal_log_view.h"

#include "platform/code_page.h"
#include "ui/line_breaks.h"

namespace cratemark::ui::terminal {

void TerminalLogView::SetText(std::string_view text) {
  text_ = text;
  lines_.clear();
  AddLines(text);
  top_line_ = 0;
}

void TerminalLogView::AddLines(std::string_view text) {
  // A final break shows no empty line of its own.
  for (std::string_view line : SplitAtLineBreaks(text, FinalBreak::kEndsLine)) {
    lines_.push_back(Utf8ToCodePoints(line));
  }
}

void TerminalLogView::AppendText(std::string_view text) {
  // Whole lines: the view's last line is complete, so the new ones follow it.
  text_ += text;
  AddLines(text);
}

void TerminalLogView::AppendLine(std::string_view line) {
  if (!text_.empty() && !text_.ends_with("\r\n")) text_ += "\r\n";
  text_ += line;
  text_ += "\r\n";
  lines_.push_back(Utf8ToCodePoints(line));
  // The window's log view scrolls to show what was added at its end.
  ScrollToEnd();
}

int TerminalLogView::RowsOf(int line, int width) const {
  const int length = static_cast<int>(lines_[line].size());
  return std::max(1, (length + std::max(width, 1) - 1) / std::max(width, 1));
}

void TerminalLogView::ScrollToEnd() {
  const CellBox inner = Inner();
  int rows = 0;
  int top = static_cast<int>(lines_.size());
  while (top > 0 && rows + RowsOf(top - 1, inner.cols) <= inner.rows) {
    rows += RowsOf(top - 1, inner.cols);
    --top;
  }
  top_line_ = top;
}

void TerminalLogView::AfterLayout() { top_line_ = std::clamp(top_line_, 0, LastLine()); }

void TerminalLogView::Paint(Canvas& canvas, bool focused) const {
  PaintBorder(canvas, focused);
  const CellBox inner = Inner();
  canvas.Fill(inner, kInfo);
  int row = 0;
  for (int line = top_line_; line < static_cast<int>(lines_.size()) && row < inner.rows; ++line) {
    const std::u32string& chars = lines_[line];
    for (size_t at = 0; row < inner.rows; at += static_cast<size_t>(inner.cols)) {
      canvas.Chars(inner.row + row, inner.col,
                   std::u32string_view(chars).substr(std::min(at, chars.size())), inner.cols,
                   kInfo);
      ++row;
      if (at + static_cast<size_t>(inner.cols) >= chars.size()) break;
    }
  }
  if (focused) canvas.PlaceCursor(inner.row, inner.col);
  if (HasBorder() && !lines_.empty()) {
    const std::string where = PositionText(top_line_ + 1, '/', static_cast<int>(lines_.size()));
    const int width = static_cast<int>(where.size());
    if (width + 2 < box_.cols) {
      canvas.Text(box_.bottom() - 1, box_.right() - 1 - width, where, width, kDim);
    }
  }
}

bool TerminalLogView::OnKey(const Key& key) {
  const int page = std::max(Inner().rows - 1, 1);
  switch (key.name) {
    case KeyName::kUp:
      top_line_ = std::max(0, top_line_ - 1);
      return true;
    case KeyName::kDown:
      top_line_ = std::min(LastLine(), top_line_ + 1);
      return true;
    case KeyName::kPageUp:
      top_line_ = std::max(0, top_line_ - page);
      return true;
    case KeyName::kPageDown:
      top_line_ = std::min(LastLine(), top_line_ + page);
      return true;
    case KeyName::kHome:
      top_line_ = 0;
      return true;
    case KeyName::kEnd:
      ScrollToEnd();
      return true;
    default:
      return false;
  }
}

void TerminalLogView::OnMouse(const Mouse& mouse) {
  TakeFocus();
  if (mouse.kind == MouseKind::kWheelUp) top_line_ = std::max(0, top_line_ - 3);
  if (mouse.kind == MouseKind::kWheelDown) top_line_ = std::min(LastLine(), top_line_ + 3);
}

}  // namespace cratemark::ui::terminal
