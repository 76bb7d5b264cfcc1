// A window's life: made, opened, shown modally or beside the main window,
// closed; and its layout on the cells it gets.
#include "ui/terminal/terminal_window.h"

#include "ui/terminal/control_layout.h"
#include "ui/terminal/message_layer.h"
#include "ui/terminal/terminal_toolkit.h"
#include "ui/terminal/window_geometry.h"

namespace cratemark::ui::terminal {

TerminalWindow::TerminalWindow(TerminalToolkit& toolkit, const WindowSpec& options)
    : TerminalContainer(*this, surface_, 0, 0, nullptr, 0, 0),
      toolkit_(toolkit),
      options_(options) {}

TerminalWindow::~TerminalWindow() { toolkit_.Forget(this); }

Container& TerminalWindow::KeepContainer(std::unique_ptr<TerminalContainer> container) {
  containers_.push_back(std::move(container));
  return *containers_.back();
}

BlinkLabel& TerminalWindow::AddStatusBar(int height, int /*clock_width*/) {
  status_height_ = height;
  status_ = std::make_unique<TerminalBlinkLabel>();
  return *status_;
}

Timer& TerminalWindow::AddTimer(int interval_ms, Handler handler) {
  timers_.push_back(
      std::make_unique<TerminalTimer>(interval_ms, std::move(handler), toolkit_.clock()));
  return *timers_.back();
}

void TerminalWindow::Open() {
  is_closed_ = false;
  if (on_show_) on_show_();
  focus_.Reset();
}

void TerminalWindow::ShowModal() {
  Open();
  is_modal_open_ = true;
  toolkit_.PushLayer(this, nullptr);
  toolkit_.RunUntil([this] { return is_closed_; });
  toolkit_.PopLayer();
  is_modal_open_ = false;
}

void TerminalWindow::Show() {
  if (!is_modeless()) return;
  if (!is_modeless_shown_) Open();
  is_modeless_shown_ = true;
  toolkit_.ShowModeless(this);
}

NotificationArea& TerminalWindow::AddNotificationArea(std::string_view) {
  news_ = std::make_unique<TerminalStatusNews>();
  return *news_;
}

void TerminalWindow::Hide() {
  if (is_main()) return;
  is_modeless_shown_ = false;
  toolkit_.HideModeless(this);
}

bool TerminalWindow::IsShown() const {
  switch (options_.kind) {
    case WindowKind::kMain:
      return !is_closed_;
    case WindowKind::kTool:
      return is_modal_open_;
    case WindowKind::kModeless:
      return is_modeless_shown_;
  }
  return false;
}

std::pair<int, int> TerminalWindow::WantedCells() const {
  return {WantedClientCols(options_.client_width) + 2,
          WantedClientRows(options_.client_height) + 2};
}

MessageAnswer TerminalWindow::ShowMessage(const MessageBoxSpec& options) {
  MessageLayer layer(options);
  toolkit_.PushLayer(nullptr, &layer);
  toolkit_.RunUntil([&layer] { return layer.answer().has_value(); });
  toolkit_.PopLayer();
  return layer.answer().value_or(layer.SafeAnswer());
}

void TerminalWindow::Layout(const CellBox& area) {
  const WindowPlace place = PlaceWindow(options_, status_ ? status_height_ : 0, area);
  frame_ = place.frame;
  // The controls keep a reference to the surface: it changes in place.
  surface_ = place.surface;
  LayOutControls(widgets_);
}

}  // namespace cratemark::ui::terminal
