// Which control of a window has the keyboard, and how it moves: Tab order,
// the default button, access keys and the first control of a page.
#pragma once

#include <memory>
#include <vector>

#include "ui/terminal/widget.h"

namespace cratemark::ui::terminal {

class FocusChain {
 public:
  // `widgets` (the window's, in the order they were made) outlives the chain.
  explicit FocusChain(const std::vector<std::unique_ptr<Widget>>& widgets) : widgets_(widgets) {}

  void Focus(Widget* widget) { focus_ = widget; }
  const Widget* focused() const { return focus_; }
  // The focused control while it shows and takes the focus; null otherwise.
  Widget* FocusedShown() const;
  // On to the next (`step` 1) or previous (-1) shown control that takes the focus.
  void Move(int step);
  // A control that a page switch hid gives the focus back to the chain.
  void Repair();
  // As a window opens: on its default button, else on the first control.
  void Reset();
  // The shown default button; null when there is none.
  Widget* DefaultButton() const;
  // The shown control whose access key is `key` (any case); null when none.
  Widget* WithAccessKey(char32_t key) const;
  // On the first control of the active page of `tabs`, when it has one.
  void FocusFirstOnPage(const TabWidget& tabs);

 private:
  const std::vector<std::unique_ptr<Widget>>& widgets_;
  Widget* focus_ = nullptr;
};

}  // namespace cratemark::ui::terminal
