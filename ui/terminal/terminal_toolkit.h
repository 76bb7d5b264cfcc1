// The terminal toolkit: the console drawn with characters on a Screen (the
// terminal through curses, or a fake one in tests), on a Clock it is given.
// It keeps the layers (the main window, modal windows, message boxes), the
// modeless windows beside them, and runs the one event loop.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "ui/terminal/clock.h"
#include "ui/terminal/screen.h"
#include "ui/window.h"

namespace cratemark::ui::terminal {

class TerminalWindow;
class MessageLayer;

class TerminalToolkit : public Toolkit {
 public:
  // `clock` outlives the toolkit; the screen is given back when it is destroyed.
  TerminalToolkit(std::unique_ptr<Screen> screen, const Clock& clock);
  ~TerminalToolkit() override;
  std::unique_ptr<Window> NewWindow(const WindowSpec& options) override;
  int Run(Window& main) override;

  const Clock& clock() const { return clock_; }
  void Forget(TerminalWindow* window);
  // Runs the event loop until `done` holds or the program is asked to end.
  void RunUntil(const std::function<bool()>& done);
  bool IsStopRequested() const { return is_quitting_ || screen_->IsStopRequested(); }
  void PushLayer(TerminalWindow* window, MessageLayer* message);
  void PopLayer();
  // Modeless windows stand beside the main window (over it when the
  // terminal is too narrow for both); F6 moves the keyboard between them.
  void ShowModeless(TerminalWindow* window);
  void HideModeless(TerminalWindow* window);
  bool HasModeless() const { return !modeless_.empty(); }

 private:
  struct Layer {
    TerminalWindow* window = nullptr;
    MessageLayer* message = nullptr;
  };
  void LayOutAll();
  void PaintAll() const;
  void PaintTooSmall() const;
  void Dispatch(const Event& event);
  void DispatchKey(const Key& key);
  void DispatchMouse(const Mouse& mouse);
  void FireTimers();
  int MillisecondsToNextWake() const;
  bool IsTooSmall() const;
  bool IsMainOnTop() const { return !layers_.empty() && layers_.back().window == main_; }

  std::unique_ptr<Screen> screen_;
  const Clock& clock_;
  std::vector<TerminalWindow*> windows_;
  TerminalWindow* main_ = nullptr;
  std::vector<Layer> layers_;
  std::vector<TerminalWindow*> modeless_;  // shown, in the order they came
  TerminalWindow* keyboard_ = nullptr;     // the modeless window typed into; null: the main one
  bool is_quitting_ = false;
};

}  // namespace cratemark::ui::terminal

namespace cratemark::ui {

// Takes the screen at once (message boxes may come before Run) and gives it
// back when destroyed.
std::unique_ptr<Toolkit> MakeTerminalToolkit(std::unique_ptr<terminal::Screen> screen,
                                             const terminal::Clock& clock);

}  // namespace cratemark::ui
