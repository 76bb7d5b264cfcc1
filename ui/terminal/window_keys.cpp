// Where a window's keys and clicks go: the window's own keys first, then
// access keys, then the focused control, then Tab, Enter and Escape.
#include "ui/terminal/tab_widget.h"
#include "ui/terminal/terminal_window.h"

namespace cratemark::ui::terminal {

void TerminalWindow::SwitchPage(int index) {
  if (tabs_ == nullptr || index < 0 || index >= tabs_->PageCount()) return;
  tabs_->SwitchByUser(index);
  // The keyboard goes on in the page it chose.
  focus_.FocusFirstOnPage(*tabs_);
}

bool TerminalWindow::OnWindowKey(const Key& key) {
  if (!is_main()) return false;
  if (key.name == KeyName::kFunction && key.number == 10) {
    Close();
    return true;
  }
  if (tabs_ == nullptr) return false;
  const int pages = tabs_->PageCount();
  if (key.name == KeyName::kFunction && key.number >= 1 && key.number <= pages) {
    SwitchPage(key.number - 1);
    return true;
  }
  if (key.name == KeyName::kPageNext) {
    SwitchPage((tabs_->ActivePage() + 1) % pages);
    return true;
  }
  if (key.name == KeyName::kPagePrior) {
    SwitchPage((tabs_->ActivePage() + pages - 1) % pages);
    return true;
  }
  return false;
}

void TerminalWindow::PressAccessKey(char32_t ch) {
  Widget* widget = focus_.WithAccessKey(ch);
  if (widget == nullptr) return;
  focus_.Focus(widget);
  widget->Press();
}

void TerminalWindow::OnKey(const Key& key) {
  if (OnWindowKey(key)) return;
  if (key.name == KeyName::kChar && key.alt) return PressAccessKey(key.ch);
  Widget* focused = focus_.FocusedShown();
  if (focused != nullptr && focused->OnKey(key)) return;
  switch (key.name) {
    case KeyName::kTab:
      return focus_.Move(1);
    case KeyName::kBackTab:
      return focus_.Move(-1);
    case KeyName::kEnter:
      if (Widget* button = focus_.DefaultButton()) button->Press();
      return;
    case KeyName::kEscape:
      if (is_modeless()) return Hide();
      if (!is_main()) Close();
      return;
    case KeyName::kChar:
      // As in a dialog, a control that takes no typing lets a plain letter
      // work as an access key.
      return PressAccessKey(key.ch);
    default:
      return;
  }
}

void TerminalWindow::OnMouse(const Mouse& mouse) {
  for (auto at = widgets_.rbegin(); at != widgets_.rend(); ++at) {
    Widget& widget = **at;
    if (!widget.IsShown() || !widget.TakesClicks() ||
        !widget.box().Contains(mouse.row, mouse.col)) {
      continue;
    }
    widget.OnMouse(mouse);
    return;
  }
}

}  // namespace cratemark::ui::terminal
