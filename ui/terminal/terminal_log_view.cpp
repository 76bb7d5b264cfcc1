// The log view: its lines, scrolling and painting.
#include "ui/terminal/terminal_log_view.h"

#include "platform/code_page.h"
#include "ui/line_breaks.h"

namespace cratemark::ui::terminal {

void TerminalLogView::SetText(std::string_view text) {
  text_ = text;
  lines_.clear();
  AddLines(0);
  is_following_ = true;
  top_line_ = EndTop();
}

void TerminalLogView::AddLines(std::size_t from) {
  // A final break shows no empty line of its own.
  const std::string_view text(text_);
  for (std::string_view line : SplitAtLineBreaks(text.substr(from), FinalBreak::kEndsLine)) {
    lines_.push_back({static_cast<std::size_t>(line.data() - text.data()), line.size()});
  }
}

void TerminalLogView::AppendText(std::string_view text) {
  // Whole lines: the view's last line is complete, so the new ones follow it.
  const std::size_t from = text_.size();
  text_ += text;
  AddLines(from);
  if (is_following_) top_line_ = EndTop();
}

void TerminalLogView::AppendLine(std::string_view line) {
  if (!text_.empty() && !text_.ends_with("\r\n")) text_ += "\r\n";
  lines_.push_back({text_.size(), line.size()});
  text_ += line;
  text_ += "\r\n";
  // The window's log view scrolls to show what was added at its end.
  is_following_ = true;
  top_line_ = EndTop();
}

std::u32string TerminalLogView::CharsOf(int line) const {
  const Line& place = lines_[static_cast<std::size_t>(line)];
  return Utf8ToCodePoints(std::string_view(text_).substr(place.start, place.length));
}

int TerminalLogView::RowsOf(int line, int width) const {
  const int length = static_cast<int>(CharsOf(line).size());
  return std::max(1, (length + std::max(width, 1) - 1) / std::max(width, 1));
}

int TerminalLogView::EndTop() const {
  const CellBox inner = Inner();
  int rows = 0;
  int top = static_cast<int>(lines_.size());
  while (top > 0 && rows + RowsOf(top - 1, inner.cols) <= inner.rows) {
    rows += RowsOf(top - 1, inner.cols);
    --top;
  }
  // Not laid out yet, or a last line taller than the view: that line on top.
  return std::min(top, LastLine());
}

void TerminalLogView::UserScrolledTo(int line) {
  const int end_top = EndTop();
  top_line_ = std::clamp(line, 0, std::max(LastLine(), 0));
  is_following_ = top_line_ >= end_top;
  if (is_following_) top_line_ = end_top;
}

void TerminalLogView::AfterLayout() {
  top_line_ = is_following_ ? EndTop() : std::clamp(top_line_, 0, LastLine());
}

void TerminalLogView::Paint(Canvas& canvas, bool focused) const {
  PaintBorder(canvas, focused);
  const CellBox inner = Inner();
  canvas.Fill(inner, kInfo);
  int row = 0;
  for (int line = top_line_; line < static_cast<int>(lines_.size()) && row < inner.rows; ++line) {
    const std::u32string chars = CharsOf(line);
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
      UserScrolledTo(top_line_ - 1);
      return true;
    case KeyName::kDown:
      UserScrolledTo(top_line_ + 1);
      return true;
    case KeyName::kPageUp:
      UserScrolledTo(top_line_ - page);
      return true;
    case KeyName::kPageDown:
      UserScrolledTo(top_line_ + page);
      return true;
    case KeyName::kHome:
      UserScrolledTo(0);
      return true;
    case KeyName::kEnd:
      UserScrolledTo(LastLine());
      return true;
    default:
      return false;
  }
}

void TerminalLogView::OnMouse(const Mouse& mouse) {
  TakeFocus();
  if (mouse.kind == MouseKind::kWheelUp) UserScrolledTo(top_line_ - 3);
  if (mouse.kind == MouseKind::kWheelDown) UserScrolledTo(top_line_ + 3);
}

}  // namespace cratemark::ui::terminal
