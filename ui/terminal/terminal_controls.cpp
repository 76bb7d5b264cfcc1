#include "ui/terminal/terminal_controls.h"

#include <algorithm>

#include "platform/code_page.h"
#include "platform/text.h"
#include "ui/terminal/terminal_window.h"

namespace cratemark::ui::terminal {

void Canvas::Text(int row, int col, std::string_view text, int max_cols, unsigned look) {
  Chars(row, col, Utf8ToCodePoints(text), max_cols, look);
}

bool IsBlinkLit() {
  using namespace std::chrono;
  const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  return (ms / 500) % 2 == 0;
}

namespace {

bool IsShift(const Key& key) { return key.shift; }

// " 3:14 " or " 1/20 ", shown in a bottom border. (Built by appending: GCC 12
// warns falsely about " " + std::to_string(...) at -O3.)
std::string Position(int first, char separator, int second) {
  std::string text(1, ' ');
  text += std::to_string(first);
  text += separator;
  text += std::to_string(second);
  text += ' ';
  return text;
}

}  // namespace

// --- every control ---

bool Widget::IsShown() const {
  if (!visible_) return false;
  if (tab_ == nullptr) return true;
  return tab_->IsShown() && tab_->ActivePage() == page_index_;
}

void Widget::TakeFocus() { root_.Focus(this); }

CellBox Widget::Inner() const {
  if (!HasBorder()) return box_;
  return {box_.row + 1, box_.col + 1, box_.rows - 2, box_.cols - 2};
}

void Widget::PaintBorder(Canvas& canvas, bool focused) const {
  if (HasBorder()) canvas.Border(box_, focused ? kBold : kDim);
}

// --- labels and frames ---

void TerminalLabel::Paint(Canvas& canvas, bool) {
  const unsigned look = style_.bold ? kBold : kPlain;
  if (!style_.word_wrap && !style_.centered) {
    canvas.Text(box_.row, box_.col, text_, std::max(box_.cols, run_on_cols_), look);
    return;
  }
  std::vector<std::u32string> lines;
  if (style_.word_wrap) {
    lines = WrapWords(Utf8ToCodePoints(text_), box_.cols);
  } else {
    lines.push_back(Utf8ToCodePoints(text_));
  }
  for (int i = 0; i < static_cast<int>(lines.size()) && i < box_.rows; ++i) {
    int col = box_.col;
    const int length = static_cast<int>(lines[i].size());
    if (style_.centered && length < box_.cols) col += (box_.cols - length) / 2;
    canvas.Chars(box_.row + i, col, lines[i], box_.right() - col, look);
  }
}

void FrameWidget::Paint(Canvas& canvas, bool) {
  if (is_panel_) canvas.Fill(box_, kPanel);
  if (is_border_shown_ && box_.rows >= 2 && box_.cols >= 2) {
    canvas.Border(box_, is_panel_ ? kPanel : kDim);
  }
  if (!caption_.empty()) canvas.Text(box_.row, box_.col + 1, caption_, box_.cols - 2, kPlain);
}

// --- one-line edit field ---

void TerminalEdit::Paint(Canvas& canvas, bool focused) {
  const int row = box_.row;
  canvas.Fill({row, box_.col, 1, box_.cols}, kField | kUnderline);
  const std::u32string& chars = field_.chars(0);
  for (int i = 0; i < box_.cols; ++i) {
    const int column = field_.left_column() + i;
    if (column >= static_cast<int>(chars.size())) break;
    const unsigned look =
        kField | kUnderline | (focused && field_.IsSelected(0, column) ? unsigned{kReverse} : 0u);
    canvas.Chars(row, box_.col + i, std::u32string_view(&chars[column], 1), 1, look);
  }
  if (focused) canvas.PlaceCursor(row, box_.col + field_.Caret().column - field_.left_column());
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
      field_.Left(IsShift(key));
      break;
    case KeyName::kRight:
      field_.Right(IsShift(key));
      break;
    case KeyName::kHome:
      field_.Home(IsShift(key));
      break;
    case KeyName::kEnd:
      field_.End(IsShift(key));
      break;
    default:
      return false;
  }
  field_.ScrollToCaret(1, box_.cols);
  return true;
}

void TerminalEdit::OnMouse(const Mouse& mouse) {
  TakeFocus();
  if (mouse.kind == MouseKind::kClick || mouse.kind == MouseKind::kDoubleClick) {
    field_.MoveTo({0, field_.left_column() + mouse.col - box_.col}, false);
  }
}

// --- list box ---

void TerminalListBox::Clear() {
  items_.clear();
  selected_ = kNoSelection;
  top_ = 0;
}

void TerminalListBox::Add(std::string_view item) {
  // Sorted without regard to case; an equal name goes after the ones there.
  const std::string upper = ToUpper(item);
  auto at = std::upper_bound(items_.begin(), items_.end(), upper,
                             [](const std::string& value, const std::string& element) {
                               return value < ToUpper(element);
                             });
  const int index = static_cast<int>(at - items_.begin());
  items_.insert(at, std::string(item));
  if (selected_ != kNoSelection && index <= selected_) ++selected_;
}

std::string TerminalListBox::Item(int index) const {
  if (index < 0 || index >= Count()) return {};
  return items_[index];
}

void TerminalListBox::Select(int index) {
  selected_ = index >= 0 && index < Count() ? index : kNoSelection;
  if (selected_ != kNoSelection) {
    const int rows = std::max(Inner().rows, 1);
    if (selected_ < top_) top_ = selected_;
    if (selected_ >= top_ + rows) top_ = selected_ - rows + 1;
  }
}

std::string TerminalListBox::HintLine() const {
  if (selected_ == kNoSelection || CharCount(items_[selected_]) <= Inner().cols) return hint_;
  return hint_.empty() ? items_[selected_] : items_[selected_] + "  " + hint_;
}

void TerminalListBox::SelectAndShow(int index) {
  if (Count() == 0) return;
  Select(std::clamp(index, 0, Count() - 1));
}

void TerminalListBox::Paint(Canvas& canvas, bool focused) {
  PaintBorder(canvas, focused);
  const CellBox inner = Inner();
  top_ = std::clamp(top_, 0, std::max(0, Count() - inner.rows));
  for (int row = 0; row < inner.rows; ++row) {
    const int index = top_ + row;
    if (index >= Count()) break;
    unsigned look = kField;
    if (index == selected_) look |= focused ? kReverse | kBold : unsigned{kReverse};
    canvas.Fill({inner.row + row, inner.col, 1, inner.cols}, look);
    canvas.Text(inner.row + row, inner.col, items_[index], inner.cols, look);
  }
  if (focused) {
    const int row = selected_ == kNoSelection ? 0 : selected_ - top_;
    canvas.PlaceCursor(inner.row + row, inner.col);
  }
  // More items than rows: the border says where the view stands.
  if (HasBorder() && Count() > inner.rows) {
    if (top_ > 0) canvas.Text(box_.row, box_.right() - 2, "^", 1, kBold);
    if (top_ + inner.rows < Count())
      canvas.Text(box_.bottom() - 1, box_.right() - 2, "v", 1, kBold);
  }
}

bool TerminalListBox::OnKey(const Key& key) {
  const int page = std::max(Inner().rows - 1, 1);
  const int current = selected_;
  switch (key.name) {
    case KeyName::kUp:
      SelectAndShow(current == kNoSelection ? 0 : current - 1);
      return true;
    case KeyName::kDown:
      SelectAndShow(current == kNoSelection ? 0 : current + 1);
      return true;
    case KeyName::kHome:
      SelectAndShow(0);
      return true;
    case KeyName::kEnd:
      SelectAndShow(Count() - 1);
      return true;
    case KeyName::kPageUp:
      SelectAndShow(current == kNoSelection ? 0 : current - page);
      return true;
    case KeyName::kPageDown:
      SelectAndShow(current == kNoSelection ? 0 : current + page);
      return true;
    case KeyName::kEnter:
      if (on_double_click_) on_double_click_();
      return true;
    case KeyName::kChar: {
      if (key.alt || key.ch == U' ') return false;
      // Type-ahead: the next item that starts with the letter.
      const char32_t wanted = UpperCaseChar(key.ch);
      for (int step = 1; step <= Count(); ++step) {
        const int index = ((current == kNoSelection ? -1 : current) + step) % Count();
        const std::u32string chars = Utf8ToCodePoints(items_[index]);
        if (!chars.empty() && UpperCaseChar(chars[0]) == wanted) {
          SelectAndShow(index);
          return true;
        }
      }
      return true;
    }
    default:
      return false;
  }
}

void TerminalListBox::OnMouse(const Mouse& mouse) {
  TakeFocus();
  const CellBox inner = Inner();
  switch (mouse.kind) {
    case MouseKind::kWheelUp:
      top_ = std::max(0, top_ - 3);
      return;
    case MouseKind::kWheelDown:
      top_ = std::min(std::max(0, Count() - inner.rows), top_ + 3);
      return;
    case MouseKind::kClick:
    case MouseKind::kDoubleClick: {
      const int index = top_ + mouse.row - inner.row;
      // A click below the items keeps the selection, as a double click there does.
      if (inner.Contains(mouse.row, mouse.col) && index < Count()) Select(index);
      if (mouse.kind == MouseKind::kDoubleClick && on_double_click_) on_double_click_();
      return;
    }
  }
}

// --- design editor ---

void TerminalEditor::ReplaceLine(int index, std::string_view text) {
  field_.ReplaceLine(index, text);
  field_.ScrollToCaret(Inner().rows, Inner().cols);
  Changed();
}

void TerminalEditor::Paint(Canvas& canvas, bool focused) {
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
    const std::string where = Position(field_.Caret().line + 1, ':', field_.Caret().column + 1);
    const int width = static_cast<int>(where.size());
    if (width + 2 < box_.cols) {
      canvas.Text(box_.bottom() - 1, box_.right() - 1 - width, where, width, kDim);
    }
  }
}

bool TerminalEditor::OnKey(const Key& key) {
  const CellBox inner = Inner();
  const bool extend = IsShift(key);
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

// --- log view ---

void TerminalLogView::SetText(std::string_view text) {
  text_ = text;
  lines_.clear();
  AddLines(text);
  top_line_ = 0;
}

void TerminalLogView::AddLines(std::string_view text) {
  const std::u32string chars = Utf8ToCodePoints(text);
  std::u32string line;
  for (size_t i = 0; i < chars.size(); ++i) {
    if (chars[i] == U'\r' || chars[i] == U'\n') {
      if (chars[i] == U'\r' && i + 1 < chars.size() && chars[i + 1] == U'\n') ++i;
      lines_.push_back(std::move(line));
      line.clear();
    } else {
      line += chars[i];
    }
  }
  // A final break shows no empty line of its own.
  if (!line.empty()) lines_.push_back(std::move(line));
}

void TerminalLogView::AppendText(std::string_view text) {
  // Whole lines: the view's last line is complete, so the new ones follow it.
  text_ += text;
  AddLines(text);
}

std::string TerminalLogView::Text() const { return text_; }

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

void TerminalLogView::Paint(Canvas& canvas, bool focused) {
  PaintBorder(canvas, focused);
  const CellBox inner = Inner();
  canvas.Fill(inner, kInfo);
  top_line_ = std::clamp(top_line_, 0, std::max(0, static_cast<int>(lines_.size()) - 1));
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
    const std::string where = Position(top_line_ + 1, '/', static_cast<int>(lines_.size()));
    const int width = static_cast<int>(where.size());
    if (width + 2 < box_.cols) {
      canvas.Text(box_.bottom() - 1, box_.right() - 1 - width, where, width, kDim);
    }
  }
}

bool TerminalLogView::OnKey(const Key& key) {
  const int page = std::max(Inner().rows - 1, 1);
  const int last = std::max(0, static_cast<int>(lines_.size()) - 1);
  switch (key.name) {
    case KeyName::kUp:
      top_line_ = std::max(0, top_line_ - 1);
      return true;
    case KeyName::kDown:
      top_line_ = std::min(last, top_line_ + 1);
      return true;
    case KeyName::kPageUp:
      top_line_ = std::max(0, top_line_ - page);
      return true;
    case KeyName::kPageDown:
      top_line_ = std::min(last, top_line_ + page);
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
  const int last = std::max(0, static_cast<int>(lines_.size()) - 1);
  if (mouse.kind == MouseKind::kWheelUp) top_line_ = std::max(0, top_line_ - 3);
  if (mouse.kind == MouseKind::kWheelDown) top_line_ = std::min(last, top_line_ + 3);
}

// --- button ---

void TerminalButton::Paint(Canvas& canvas, bool focused) {
  unsigned look = kReverse;
  if (focused || is_default_) look |= kBold;
  canvas.Fill(box_, look);
  const std::u32string text = Utf8ToCodePoints(caption_.text);
  // A margin on each side when the caption fits with it, else the full
  // width: no word is cut while it can be kept whole.
  int longest_word = 0;
  for (size_t at = 0; at < text.size();) {
    const size_t end = std::min(text.find(U' ', at), text.size());
    longest_word = std::max(longest_word, static_cast<int>(end - at));
    at = end + 1;
  }
  const bool has_margin = box_.cols >= 4 && longest_word <= box_.cols - 2;
  std::vector<std::u32string> lines = WrapWords(text, has_margin ? box_.cols - 2 : box_.cols);
  if (static_cast<int>(lines.size()) > box_.rows) lines = WrapWords(text, box_.cols);
  if (static_cast<int>(lines.size()) > box_.rows) lines.resize(static_cast<size_t>(box_.rows));
  const int first_row = box_.row + (box_.rows - static_cast<int>(lines.size())) / 2;
  size_t searched = 0;
  for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
    const std::u32string& line = lines[i];
    const int length = static_cast<int>(line.size());
    const int col = box_.col + std::max(0, (box_.cols - length) / 2);
    const int row = first_row + i;
    canvas.Chars(row, col, line, box_.right() - col, look);
    // The access key is underlined where it landed after wrapping.
    const size_t start = text.find(line, searched);
    if (start != std::u32string::npos) {
      searched = start + line.size();
      const int key_at = caption_.key_index - static_cast<int>(start);
      if (caption_.key_index >= 0 && key_at >= 0 && key_at < length) {
        canvas.Chars(row, col + key_at, std::u32string_view(&line[key_at], 1), 1,
                     look | kUnderline);
      }
    }
    if (focused && i == 0) canvas.PlaceCursor(row, col);
  }
  if (focused && box_.cols >= 4) {
    // Brackets mark the focused button where a window draws a dotted frame.
    const int row = box_.row + box_.rows / 2 - (box_.rows % 2 == 0 ? 1 : 0);
    canvas.Text(row, box_.col, ">", 1, look);
    canvas.Text(row, box_.right() - 1, "<", 1, look);
  }
}

bool TerminalButton::OnKey(const Key& key) {
  if (key.name == KeyName::kEnter || (key.name == KeyName::kChar && key.ch == U' ' && !key.alt)) {
    Press();
    return true;
  }
  return false;
}

void TerminalButton::OnMouse(const Mouse& mouse) {
  if (mouse.kind == MouseKind::kClick || mouse.kind == MouseKind::kDoubleClick) {
    TakeFocus();
    Press();
  }
}

void TerminalButton::Press() {
  if (on_click_) on_click_();
}

// --- picture ---

void TerminalPicture::Paint(Canvas& canvas, bool focused) {
  const unsigned look = kCrate | kBold;
  canvas.Fill(box_, look);
  if (HasBorder()) canvas.Border({box_.row, box_.col + 1, box_.rows, box_.cols - 2}, look);
  const std::string name = "Cratemark";
  const int width = static_cast<int>(name.size());
  const int col = box_.col + std::max(0, (box_.cols - width) / 2);
  const int row = box_.row + box_.rows / 2;
  canvas.Text(row, col, name, box_.right() - col, focused ? look | kUnderline : look);
  if (focused) canvas.PlaceCursor(row, col);
}

bool TerminalPicture::OnKey(const Key& key) {
  if (key.name == KeyName::kEnter && on_double_click_) {
    on_double_click_();
    return true;
  }
  return false;
}

void TerminalPicture::OnMouse(const Mouse& mouse) {
  if (IsFocusable()) TakeFocus();
  if (mouse.kind == MouseKind::kDoubleClick && on_double_click_) on_double_click_();
}

// --- timer ---

void TerminalTimer::SetEnabled(bool enabled) {
  if (enabled && !enabled_) due_ = Clock::now() + interval_;
  enabled_ = enabled;
}

void TerminalTimer::FireIfDue(Clock::time_point now) {
  if (!enabled_ || running_ || now < due_) return;
  // Late ticks are not made up for: one run, then the next interval.
  due_ = now + interval_;
  running_ = true;
  try {
    handler_();
  } catch (...) {
    running_ = false;
    throw;
  }
  running_ = false;
}

}  // namespace cratemark::ui::terminal
