// A list box (sorted, or in the order added) with a selection, type-ahead
// and a scroll position.
#pragma once

#include <vector>

#include "ui/terminal/widget.h"

namespace cratemark::ui::terminal {

class TerminalListBox : public ListBox, public Widget {
 public:
  TerminalListBox(TerminalWindow& root, const Surface& surface, Rect pixels, ListBoxStyle style)
      : Widget(root, surface, pixels), style_(style) {}
  CRATEMARK_TERMINAL_CONTROL_BASICS
  void Clear() override;
  void Add(std::string_view item) override;
  int Count() const override { return static_cast<int>(items_.size()); }
  std::string Item(int index) const override;
  int Selected() const override { return selected_; }
  void Select(int index) override;
  void OnDoubleClick(Handler handler) override { on_double_click_ = std::move(handler); }
  void OnSelect(Handler handler) override { on_select_ = std::move(handler); }
  bool IsFocusable() const override { return true; }
  void Paint(Canvas& canvas, bool focused) const override;
  // The scroll position kept within the rows the list got.
  void AfterLayout() override;
  bool OnKey(const Key& key) override;
  void OnMouse(const Mouse& mouse) override;
  // A chosen item cut by a narrow list is shown whole before the hint.
  std::string HintLine() const override;

 private:
  // Select and scroll to it, as the user's keys and clicks do; runs the
  // select handler when the selection moved.
  void SelectAndShow(int index);
  void SelectByUser(int index);
  std::vector<std::string> items_;
  int selected_ = kNoSelection;
  int top_ = 0;
  ListBoxStyle style_;
  Handler on_double_click_;
  Handler on_select_;
};

}  // namespace cratemark::ui::terminal
