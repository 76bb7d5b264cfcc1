// A terminal window: its controls and their focus, its life (open, modal,
// modeless, closed), its chrome (title, hint line, key help, clock, status
// message) and where its keys and clicks go.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "ui/terminal/focus_chain.h"
#include "ui/terminal/terminal_blink_label.h"
#include "ui/terminal/terminal_container.h"
#include "ui/terminal/terminal_status_news.h"
#include "ui/terminal/terminal_timer.h"
#include "ui/terminal/widget.h"
#include "ui/window.h"

namespace cratemark::ui::terminal {

class TerminalToolkit;

class TerminalWindow : public Window, public TerminalContainer {
 public:
  TerminalWindow(TerminalToolkit& toolkit, const WindowSpec& options);
  ~TerminalWindow() override;
  BlinkLabel& AddStatusBar(int height, int clock_width) override;
  Timer& AddTimer(int interval_ms, Handler handler) override;
  void OnShow(Handler handler) override { on_show_ = std::move(handler); }
  void ShowModal() override;
  void CloseModal() override { Close(); }
  void Show() override;
  bool IsShown() const override;
  MessageAnswer ShowMessage(const MessageBoxSpec& options) override;
  NotificationArea& AddNotificationArea(std::string_view tip) override;
  // F10 always ends the program here: nothing holds it without its window.
  void OnCloseQuery(std::function<bool()>) override {}
  // A main window cannot be hidden in a terminal; a modeless one steps aside.
  void Hide() override;
  void Quit() override { Close(); }

  // For the containers and controls.
  void Keep(std::unique_ptr<Widget> widget) { widgets_.push_back(std::move(widget)); }
  Container& KeepContainer(std::unique_ptr<TerminalContainer> container);
  int NewContainerId() { return next_container_id_++; }
  // The tab control whose pages F1, F2, ... and Ctrl+PgUp/PgDn choose.
  void UseForPageKeys(TabWidget& tabs) {
    if (tabs_ == nullptr) tabs_ = &tabs;
  }
  void Focus(Widget* widget) { focus_.Focus(widget); }

  // For the toolkit.
  bool is_main() const { return options_.kind == WindowKind::kMain; }
  bool is_modeless() const { return options_.kind == WindowKind::kModeless; }
  // The cells (columns, rows) it would like beside another, border included.
  std::pair<int, int> WantedCells() const;
  const CellBox& frame() const { return frame_; }
  void Open();  // runs the show handler and puts the focus on its first control
  void Close() { is_closed_ = true; }
  bool is_closed() const { return is_closed_; }
  void RepairFocus() { focus_.Repair(); }
  std::vector<std::unique_ptr<TerminalTimer>>& timers() { return timers_; }
  // Lays the window over `area` of the terminal; a tool window is centred
  // in it with a size of its own.
  void Layout(const CellBox& area);
  // Only the window on top shows its focus.
  void Paint(Canvas& canvas, bool is_active) const;
  void OnKey(const Key& key);
  void OnMouse(const Mouse& mouse);

 private:
  void PaintStatusLines(Canvas& canvas) const;
  // F10, F1..Fn and Ctrl+PgDn/PgUp in the main window; true when used.
  bool OnWindowKey(const Key& key);
  void SwitchPage(int index);
  void PressAccessKey(char32_t ch);

  TerminalToolkit& toolkit_;
  WindowSpec options_;
  Surface surface_;
  CellBox frame_;  // the whole window: for a tool window with its border
  std::vector<std::unique_ptr<Widget>> widgets_;
  std::vector<std::unique_ptr<TerminalContainer>> containers_;
  std::vector<std::unique_ptr<TerminalTimer>> timers_;
  std::unique_ptr<TerminalBlinkLabel> status_;
  std::unique_ptr<TerminalStatusNews> news_;
  int status_height_ = 0;
  FocusChain focus_{widgets_};
  TabWidget* tabs_ = nullptr;
  Handler on_show_;
  bool is_closed_ = false;
  bool is_modal_open_ = false;
  bool is_modeless_shown_ = false;
  int next_container_id_ = 1;
};

}  // namespace cratemark::ui::terminal
