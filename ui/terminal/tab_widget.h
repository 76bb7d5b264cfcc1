// The tab control: a line of page captions over pages that each map their
// own pixel area onto the cells below it.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "ui/terminal/widget.h"
#include "ui/window.h"

namespace cratemark::ui::terminal {

class TabWidget : public TabControl, public Widget {
 public:
  using Widget::Widget;
  CRATEMARK_TERMINAL_CONTROL_BASICS
  Container& AddPage(std::string_view caption) override;
  int ActivePage() const override { return active_; }
  std::string PageCaption(int index) const override;
  void SetActivePage(int index) override;
  void OnChange(Handler handler) override { on_change_ = std::move(handler); }

  // A switch by the user runs the change handler.
  void SwitchByUser(int index);
  int PageCount() const { return static_cast<int>(captions_.size()); }
  // The pages' surfaces follow the control's cells.
  void Layout() override;
  bool IsFocusable() const override { return true; }
  void Paint(Canvas& canvas, bool focused) const override;
  bool OnKey(const Key& key) override;
  void OnMouse(const Mouse& mouse) override;

 private:
  // The columns each caption takes on the tab line, from its first to one past its last.
  std::vector<std::pair<int, int>> CaptionSpans() const;

  std::vector<std::string> captions_;
  std::vector<std::unique_ptr<Surface>> surfaces_;
  int active_ = 0;
  Handler on_change_;
};

}  // namespace cratemark::ui::terminal
