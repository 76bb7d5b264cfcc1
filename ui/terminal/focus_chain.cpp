// Moving the keyboard focus among a window's controls.
#include "ui/terminal/focus_chain.h"

#include <algorithm>

#include "platform/text.h"

namespace cratemark::ui::terminal {

Widget* FocusChain::FocusedShown() const {
  return focus_ != nullptr && focus_->IsShown() && focus_->IsFocusable() ? focus_ : nullptr;
}

void FocusChain::Move(int step) {
  std::vector<Widget*> chain;
  for (const std::unique_ptr<Widget>& widget : widgets_) {
    if (widget->IsFocusable() && widget->IsShown()) chain.push_back(widget.get());
  }
  if (chain.empty()) {
    focus_ = nullptr;
    return;
  }
  auto at = std::find(chain.begin(), chain.end(), FocusedShown());
  if (at == chain.end()) {
    focus_ = step > 0 ? chain.front() : chain.back();
    return;
  }
  const int count = static_cast<int>(chain.size());
  const int index = static_cast<int>(at - chain.begin());
  focus_ = chain[static_cast<size_t>(((index + step) % count + count) % count)];
}

void FocusChain::Repair() {
  if (FocusedShown() == nullptr) Move(1);
}

void FocusChain::Reset() {
  focus_ = DefaultButton();
  if (focus_ == nullptr) Move(1);
}

Widget* FocusChain::DefaultButton() const {
  for (const std::unique_ptr<Widget>& widget : widgets_) {
    if (widget->IsDefaultButton() && widget->IsShown()) return widget.get();
  }
  return nullptr;
}

Widget* FocusChain::WithAccessKey(char32_t key) const {
  const char32_t wanted = UpperCaseChar(key);
  for (const std::unique_ptr<Widget>& widget : widgets_) {
    if (widget->IsShown() && widget->AccessKey() != 0 && widget->AccessKey() == wanted) {
      return widget.get();
    }
  }
  return nullptr;
}

void FocusChain::FocusFirstOnPage(const TabWidget& tabs) {
  for (const std::unique_ptr<Widget>& widget : widgets_) {
    if (widget->tab() == &tabs && widget->IsFocusable() && widget->IsShown()) {
      focus_ = widget.get();
      return;
    }
  }
}

}  // namespace cratemark::ui::terminal
