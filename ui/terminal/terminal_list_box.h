// A sorted list box with a selection, type-ahead and a scroll position.
#pragma once

#include <vector>

#include "ui/terminal/widget.h"

namespace cratemark::ui::terminal {

class TerminalListBox : public ListBox, public Widget {
 public:
  using Widget::Widget;
  CRATEMARK_TERMINAL_CONTROL_BASICS
  void Clear() override;
  void Add(std::string_view item) override;
  int Count() const override { return static_cast<int>(items_.size()); }
  std::string Item(int index) const override;
  int Selected() const override { return selected_; }
  void Select(int index) override;
  void OnDoubleClick(Handler handler) override { on_double_click_ = std::move(handler); }
  bool IsFocusable() const override { return true; }
  void Paint(Canvas& canvas, bool focused) const override;
  // The scroll position kept within the rows the list got.
  void AfterLayout() override;
  bool OnKey(const Key& key) override;
  void OnMouse(const Mouse& mouse) override;
  // A chosen item cut by a narrow list is shown whole before the hint.
  std::string HintLine() const override;

 private:
  void SelectAndShow(int index);
  std::vector<std::string> items_;
  int selected_ = kNoSelection;
  int top_ = 0;
  Handler on_double_click_;
};

}  // namespace cratemark::ui::terminal
