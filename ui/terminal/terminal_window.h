// Terminal windows, their containers, the tab control, message boxes and the
// toolkit with its event loop. Internal to ui/terminal.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/terminal/screen.h"
#include "ui/terminal/terminal_controls.h"
#include "ui/window.h"

namespace cratemark::ui::terminal {

class TerminalToolkit;

// Places controls on a surface (the window's or a page's), offset by the
// container's origin in pixels.
class TerminalContainer : public virtual Container {
 public:
  TerminalContainer(TerminalWindow& root, const Surface& surface, int left, int top, TabWidget* tab,
                    int page, int id)
      : root_(root), surface_(surface), left_(left), top_(top), tab_(tab), page_(page), id_(id) {}
  Label& AddLabel(Rect rect, std::string_view text, LabelStyle style) override;
  Container& AddFrame(Rect rect, std::string_view caption) override;
  Container& AddPanel(Rect rect) override;
  ListBox& AddListBox(Rect rect) override;
  Edit& AddEdit(Rect rect) override;
  Editor& AddEditor(Rect rect) override;
  LogView& AddLogView(Rect rect) override;
  Button& AddButton(Rect rect, std::string_view caption, bool is_default) override;
  Picture& AddPicture(Rect rect) override;
  TabControl& AddTabControl(Rect rect) override;

 protected:
  Rect Offset(Rect rect) const {
    return {left_ + rect.left, top_ + rect.top, rect.width, rect.height};
  }
  template <typename T>
  T& Place(std::unique_ptr<T> widget);
  Container& Nest(Rect rect, std::string_view caption, bool is_panel);

  TerminalWindow& root_;
  const Surface& surface_;
  int left_, top_;
  TabWidget* tab_;
  int page_;
  int id_;
};

class TabWidget : public TabControl, public Widget {
 public:
  TabWidget(TerminalWindow& root, const Surface& surface, Rect pixels)
      : Widget(root, surface, pixels) {}
  CRATEMARK_TERMINAL_CONTROL_BASICS
  Container& AddPage(std::string_view caption) override;
  int ActivePage() const override { return active_; }
  std::string PageCaption(int index) const override;
  void SetActivePage(int index) override;
  void OnChange(Handler handler) override { on_change_ = std::move(handler); }

  // A switch by the user runs the change handler.
  void SwitchByUser(int index);
  int PageCount() const { return static_cast<int>(captions_.size()); }
  void LayoutPages();
  bool IsFocusable() const override { return true; }
  void Paint(Canvas& canvas, bool focused) override;
  bool OnKey(const Key& key) override;
  void OnMouse(const Mouse& mouse) override;

 private:
  std::vector<std::string> captions_;
  std::vector<std::unique_ptr<Surface>> surfaces_;
  std::vector<std::pair<int, int>> caption_cols_;  // where each caption was painted
  int active_ = 0;
  Handler on_change_;
};

class TerminalWindow : public Window, public TerminalContainer {
 public:
  TerminalWindow(TerminalToolkit& toolkit, const WindowSpec& options);
  ~TerminalWindow() override;
  BlinkLabel& AddStatusBar(int height, int clock_width) override;
  Timer& AddTimer(int interval_ms, Handler handler) override;
  void OnShow(Handler handler) override { on_show_ = std::move(handler); }
  void ShowModal() override;
  void CloseModal() override { is_closed_ = true; }
  void Show() override;
  bool IsShown() const override;
  MessageAnswer ShowMessage(const MessageBoxSpec& options) override;

  // For the controls and the toolkit.
  template <typename T>
  T& Keep(std::unique_ptr<T> widget) {
    T& result = *widget;
    widgets_.push_back(std::move(widget));
    return result;
  }
  Container& KeepContainer(std::unique_ptr<TerminalContainer> container);
  int NewContainerId() { return next_container_id_++; }
  void Focus(Widget* widget) { focus_ = widget; }
  bool is_main() const { return options_.kind == WindowKind::kMain; }
  bool is_modeless() const { return options_.kind == WindowKind::kModeless; }
  // The width and height in cells it would like, from its pixel size.
  int WantedCols() const;
  int WantedRows() const;
  const CellBox& frame() const { return frame_; }
  void Hide();
  bool is_closed() const { return is_closed_; }
  void Open();  // runs the show handler and puts the focus on the first control
  void Close() { is_closed_ = true; }
  void RepairFocus();
  std::vector<std::unique_ptr<TerminalTimer>>& timers() { return timers_; }

  // Lays the window over `area` of the terminal; a tool window is centred
  // in it with a size of its own.
  void Layout(const CellBox& area);
  // Only the window on top shows its focus.
  void Paint(Canvas& canvas, bool is_active);
  void OnKey(const Key& key);
  void OnMouse(const Mouse& mouse);

 private:
  Widget* FocusedShown() const;
  void MoveFocus(int step);
  void ComputeRunOn();
  void SeparateNeighbours();
  void FitFrames();

  TerminalToolkit& toolkit_;
  WindowSpec options_;
  Surface surface_;
  CellBox frame_;  // the whole window: for a tool window with its border
  std::vector<std::unique_ptr<Widget>> widgets_;
  std::vector<std::unique_ptr<TerminalContainer>> containers_;
  std::vector<std::unique_ptr<TerminalTimer>> timers_;
  std::unique_ptr<TerminalBlinkLabel> status_;
  int status_height_ = 0;
  Widget* focus_ = nullptr;
  Handler on_show_;
  bool is_closed_ = false;
  bool is_modal_open_ = false;
  bool is_modeless_shown_ = false;
  int next_container_id_ = 1;
};

// A message box: its text, caption and buttons over the windows.
class MessageLayer {
 public:
  explicit MessageLayer(const MessageBoxSpec& options);
  void Paint(Canvas& canvas);
  void OnKey(const Key& key);
  void OnMouse(const Mouse& mouse);
  std::optional<MessageAnswer> answer() const { return answer_; }
  // The answer when the program ends with the box open: nothing is agreed to.
  MessageAnswer SafeAnswer() const;

 private:
  std::vector<MessageAnswer> answers_;
  std::vector<Caption> captions_;
  MessageBoxSpec options_;
  int focused_ = 0;
  std::vector<CellBox> button_boxes_;
  std::optional<MessageAnswer> answer_;
};

class TerminalToolkit : public Toolkit {
 public:
  TerminalToolkit();
  ~TerminalToolkit() override;
  std::unique_ptr<Window> NewWindow(const WindowSpec& options) override;
  int Run(Window& main) override;

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
  void PaintAll();
  void Dispatch(const Event& event);
  void FireTimers();
  int MillisecondsToNextWake() const;
  bool IsTooSmall() const;

  std::unique_ptr<Screen> screen_;
  std::vector<TerminalWindow*> windows_;
  TerminalWindow* main_ = nullptr;
  std::vector<Layer> layers_;
  std::vector<TerminalWindow*> modeless_;  // shown, in the order they came
  TerminalWindow* keyboard_ = nullptr;     // the modeless window typed into; null: the main one
  bool is_quitting_ = false;
};

}  // namespace cratemark::ui::terminal
