// The toolkit's windows and layers, and the event loop: lay out, paint, wait
// for an event or the next timer or blink step, hand the event to the top
// layer, run due timers.
#include "ui/terminal/terminal_toolkit.h"

#include <algorithm>
#include <string>

#include "platform/code_page.h"
#include "ui/blink_rhythm.h"
#include "ui/terminal/message_layer.h"
#include "ui/terminal/terminal_window.h"
#include "ui/terminal/window_geometry.h"

namespace cratemark::ui::terminal {

TerminalToolkit::TerminalToolkit(std::unique_ptr<Screen> screen, const Clock& clock)
    : screen_(std::move(screen)), clock_(clock) {}

TerminalToolkit::~TerminalToolkit() = default;

std::unique_ptr<Window> TerminalToolkit::NewWindow(const WindowSpec& options) {
  auto window = std::make_unique<TerminalWindow>(*this, options);
  windows_.push_back(window.get());
  if (options.kind == WindowKind::kMain && main_ == nullptr) main_ = window.get();
  return window;
}

void TerminalToolkit::Forget(TerminalWindow* window) {
  std::erase(windows_, window);
  std::erase_if(layers_, [window](const Layer& layer) { return layer.window == window; });
  HideModeless(window);
  if (main_ == window) main_ = nullptr;
}

int TerminalToolkit::Run(Window& main) {
  // One of ours: found by address rather than by asking for its type.
  auto at = std::find_if(windows_.begin(), windows_.end(),
                         [&main](TerminalWindow* window) { return window == &main; });
  if (at == windows_.end()) return 1;
  TerminalWindow& window = **at;
  window.Open();
  PushLayer(&window, nullptr);
  RunUntil([&window] { return window.is_closed(); });
  PopLayer();
  return 0;
}

void TerminalToolkit::ShowModeless(TerminalWindow* window) {
  if (std::find(modeless_.begin(), modeless_.end(), window) == modeless_.end()) {
    modeless_.push_back(window);
  }
}

void TerminalToolkit::HideModeless(TerminalWindow* window) {
  std::erase(modeless_, window);
  if (keyboard_ == window) keyboard_ = nullptr;
}

void TerminalToolkit::PushLayer(TerminalWindow* window, MessageLayer* message) {
  layers_.push_back({window, message});
}

void TerminalToolkit::PopLayer() {
  if (!layers_.empty()) layers_.pop_back();
}

void TerminalToolkit::RunUntil(const std::function<bool()>& done) {
  while (!done() && !IsStopRequested()) {
    screen_->BeginPaint();
    if (IsTooSmall()) {
      PaintTooSmall();
    } else {
      LayOutAll();
      PaintAll();
    }
    screen_->Show();
    Dispatch(screen_->Wait(MillisecondsToNextWake()));
    FireTimers();
  }
}

bool TerminalToolkit::IsTooSmall() const {
  return screen_->Cols() < kMinCols || screen_->Rows() < kMinRows;
}

void TerminalToolkit::PaintTooSmall() const {
  const int rows = screen_->Rows();
  const int cols = screen_->Cols();
  const std::string text = "The terminal is too small for Cratemark: it needs at least " +
                           std::to_string(kMinCols) + " x " + std::to_string(kMinRows) +
                           " characters and has " + std::to_string(cols) + " x " +
                           std::to_string(rows) + ". Make the window larger, or press F10 to quit.";
  int row = 0;
  for (const std::u32string& line : WrapWords(Utf8ToCodePoints(text), std::max(cols - 2, 1))) {
    if (row >= rows) break;
    screen_->Chars(row++, 1, line, cols - 1, kBold);
  }
}

void TerminalToolkit::LayOutAll() {
  const CellBox screen{0, 0, screen_->Rows(), screen_->Cols()};
  for (const Layer& layer : layers_) {
    if (layer.window != nullptr) layer.window->RepairFocus();
  }
  for (TerminalWindow* window : modeless_) window->RepairFocus();
  std::vector<std::pair<int, int>> wanted;
  for (TerminalWindow* window : modeless_) wanted.push_back(window->WantedCells());
  const Arrangement arrangement = ArrangeModeless(screen, wanted);
  if (main_ != nullptr) main_->Layout(arrangement.main);
  for (size_t i = 0; i < modeless_.size(); ++i) modeless_[i]->Layout(arrangement.modeless[i]);
  for (const Layer& layer : layers_) {
    if (layer.window != nullptr && layer.window != main_) layer.window->Layout(screen);
    if (layer.message != nullptr) layer.message->Layout(screen.rows, screen.cols);
  }
}

void TerminalToolkit::PaintAll() const {
  if (main_ != nullptr) main_->Paint(*screen_, IsMainOnTop() && keyboard_ == nullptr);
  for (TerminalWindow* window : modeless_) {
    window->Paint(*screen_, IsMainOnTop() && keyboard_ == window);
  }
  for (const Layer& layer : layers_) {
    if (layer.window != nullptr && layer.window != main_) {
      layer.window->Paint(*screen_, &layer == &layers_.back());
    }
    if (layer.message != nullptr) layer.message->Paint(*screen_);
  }
}

void TerminalToolkit::Dispatch(const Event& event) {
  if (layers_.empty()) return;
  switch (event.kind) {
    case Event::Kind::kKey:
      return DispatchKey(event.key);
    case Event::Kind::kMouse:
      return DispatchMouse(event.mouse);
    default:
      return;  // a new size is painted by the next round
  }
}

void TerminalToolkit::DispatchKey(const Key& key) {
  const Layer top = layers_.back();
  if (IsTooSmall()) {
    // F10 quits from here even with a box open: the box cannot be seen.
    if (key.name == KeyName::kFunction && key.number == 10) is_quitting_ = true;
    return;
  }
  if (top.message != nullptr) return top.message->OnKey(key);
  if (top.window == main_ && !modeless_.empty()) {
    if (key.name == KeyName::kFunction && key.number == 6) {
      // F6: the next window in turn takes the keyboard.
      auto at = std::find(modeless_.begin(), modeless_.end(), keyboard_);
      keyboard_ = at == modeless_.end()       ? modeless_.front()
                  : at + 1 == modeless_.end() ? nullptr
                                              : *(at + 1);
      return;
    }
    if (keyboard_ != nullptr && key.name != KeyName::kFunction) return keyboard_->OnKey(key);
    keyboard_ = nullptr;  // the page keys and F10 belong to the main window
  }
  if (top.window != nullptr) top.window->OnKey(key);
}

void TerminalToolkit::DispatchMouse(const Mouse& mouse) {
  const Layer top = layers_.back();
  if (IsTooSmall()) return;
  if (top.message != nullptr) return top.message->OnMouse(mouse);
  if (top.window == main_) {
    // A click chooses the window the keyboard goes to.
    keyboard_ = nullptr;
    for (auto at = modeless_.rbegin(); at != modeless_.rend(); ++at) {
      if ((*at)->frame().Contains(mouse.row, mouse.col)) {
        keyboard_ = *at;
        return keyboard_->OnMouse(mouse);
      }
    }
  }
  if (top.window != nullptr) top.window->OnMouse(mouse);
}

void TerminalToolkit::FireTimers() {
  const Clock::TimePoint now = clock_.Now();
  // A handler may open a window, which changes the list: walk a copy.
  const std::vector<TerminalWindow*> windows = windows_;
  for (TerminalWindow* window : windows) {
    if (std::find(windows_.begin(), windows_.end(), window) == windows_.end()) continue;
    for (std::unique_ptr<TerminalTimer>& timer : window->timers()) timer->FireIfDue(now);
  }
}

int TerminalToolkit::MillisecondsToNextWake() const {
  using namespace std::chrono;
  const Clock::TimePoint now = clock_.Now();
  const auto since_epoch = duration_cast<milliseconds>(now.time_since_epoch()).count();
  long long wait = kBlinkPhaseMs - since_epoch % kBlinkPhaseMs;  // the next blink and clock step
  for (TerminalWindow* window : windows_) {
    for (const std::unique_ptr<TerminalTimer>& timer : window->timers()) {
      if (!timer->IsEnabled()) continue;
      wait = std::min<long long>(wait, duration_cast<milliseconds>(timer->due() - now).count());
    }
  }
  return static_cast<int>(std::clamp<long long>(wait, 0, kBlinkPhaseMs));
}

}  // namespace cratemark::ui::terminal

namespace cratemark::ui {

std::unique_ptr<Toolkit> MakeTerminalToolkit(std::unique_ptr<terminal::Screen> screen,
                                             const terminal::Clock& clock) {
  return std::make_unique<terminal::TerminalToolkit>(std::move(screen), clock);
}

}  // namespace cratemark::ui
