// The list box: sorted insertion, selection, painting, keys and clicks.
#include "ui/terminal/terminal_list_box.h"

#include "platform/code_page.h"
#include "platform/text.h"

namespace cratemark::ui::terminal {

void TerminalListBox::Clear() {
  items_.clear();
  selected_ = kNoSelection;
  top_ = 0;
}

void TerminalListBox::Add(std::string_view item) {
  if (!style_.sorted) {
    items_.emplace_back(item);
    return;
  }
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
  SelectByUser(std::clamp(index, 0, Count() - 1));
}

void TerminalListBox::SelectByUser(int index) {
  const int before = selected_;
  Select(index);
  if (selected_ != before && on_select_) on_select_();
}

void TerminalListBox::AfterLayout() {
  top_ = std::clamp(top_, 0, std::max(0, Count() - Inner().rows));
}

void TerminalListBox::Paint(Canvas& canvas, bool focused) const {
  PaintBorder(canvas, focused);
  const CellBox inner = Inner();
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
      if (inner.Contains(mouse.row, mouse.col) && index < Count()) SelectByUser(index);
      if (mouse.kind == MouseKind::kDoubleClick && on_double_click_) on_double_click_();
      return;
    }
  }
}

}  // namespace cratemark::ui::terminal
