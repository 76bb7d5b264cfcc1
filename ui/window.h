// Windows and the containers that hold controls. A container places its
// controls relative to its own top left corner.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "ui/controls.h"
#include "ui/message_box.h"

namespace cratemark::ui {

class TabControl;

class Container {
 public:
  virtual ~Container() = default;
  virtual Label& AddLabel(Rect rect, std::string_view text, LabelStyle style = {}) = 0;
  // A framed group; `caption` may be empty.
  virtual Container& AddFrame(Rect rect, std::string_view caption) = 0;
  // A white panel with a raised inner and a lowered outer bevel.
  virtual Container& AddPanel(Rect rect) = 0;
  virtual ListBox& AddListBox(Rect rect, ListBoxStyle style = {}) = 0;
  virtual Edit& AddEdit(Rect rect) = 0;
  virtual Editor& AddEditor(Rect rect) = 0;
  virtual LogView& AddLogView(Rect rect) = 0;
  virtual Button& AddButton(Rect rect, std::string_view caption, bool is_default = false) = 0;
  virtual CheckBox& AddCheckBox(Rect rect, std::string_view caption) = 0;
  virtual Picture& AddPicture(Rect rect) = 0;
  virtual ImageView& AddImageView(Rect rect) = 0;
  virtual TabControl& AddTabControl(Rect rect) = 0;
};

class TabControl : public Control {
 public:
  // Pages appear in the order they are added; the first is active.
  virtual Container& AddPage(std::string_view caption) = 0;
  virtual int ActivePage() const = 0;
  virtual std::string PageCaption(int index) const = 0;
  // Changes the page without running the change handler (as a program does).
  virtual void SetActivePage(int index) = 0;
  // Runs after the user has switched to another page.
  virtual void OnChange(Handler handler) = 0;
};

enum class WindowKind {
  kMain,  // title bar with the usual buttons; closing it ends the program
  kTool,  // small title bar without text or buttons; shown modally
  // Title bar with text and a close button; shown beside its owner without
  // blocking it. Closing it hides it; Show brings it back.
  kModeless,
};

struct WindowSpec {
  WindowKind kind = WindowKind::kMain;
  std::string title;
  int client_width = 0;
  int client_height = 0;
};

// Where a program tells news while its window may be out of sight: on
// Windows its icon in the notification area, with balloons and a menu; in a
// terminal the status line.
class NotificationArea {
 public:
  virtual ~NotificationArea() = default;
  // Tells news; the next news replaces it.
  virtual void ShowNews(std::string_view title, std::string_view text) = 0;
  // Whether the program can live on here with its window hidden.
  virtual bool HoldsProgram() const = 0;
  // Whether the news shares the status line with the window's status
  // message, which then tells the status itself.
  virtual bool IsOnStatusLine() const = 0;
  // Runs when the user asks to see the window (the menu's "Open", a double
  // click on the icon).
  virtual void OnOpen(Handler handler) = 0;
  // Runs when the user chooses the menu's "Quit".
  virtual void OnQuit(Handler handler) = 0;
};

class Window : public virtual Container {
 public:
  // A status bar `height` pixels high along the bottom, with a clock pane
  // `clock_width` pixels wide at its right showing the local date and time;
  // its left part holds the returned label.
  virtual BlinkLabel& AddStatusBar(int height, int clock_width) = 0;
  virtual Timer& AddTimer(int interval_ms, Handler handler) = 0;
  // Runs each time the window is about to be shown.
  virtual void OnShow(Handler handler) = 0;
  // Shows the window modally and returns when it is closed.
  virtual void ShowModal() = 0;
  virtual void CloseModal() = 0;
  // Shows a kModeless window, or brings it to the front, and returns at once.
  virtual void Show() = 0;
  // Whether the window is on the screen (shown and not closed since).
  virtual bool IsShown() const = 0;
  // A message box owned by this window.
  virtual MessageAnswer ShowMessage(const MessageBoxSpec& options) = 0;
  // A kMain window's notification area, there while the window lives;
  // `tip` names the program beside its icon.
  virtual NotificationArea& AddNotificationArea(std::string_view tip) = 0;
  // Runs when the user closes a kMain window; when it returns false the
  // window is only hidden and the program goes on.
  virtual void OnCloseQuery(std::function<bool()> handler) = 0;
  // Hides a kMain window (Show brings it back), or starts it hidden when
  // called before Run.
  virtual void Hide() = 0;
  // Ends the program's message loop, as closing a kMain window does.
  virtual void Quit() = 0;
};

class Toolkit {
 public:
  virtual ~Toolkit() = default;
  virtual std::unique_ptr<Window> NewWindow(const WindowSpec& options) = 0;
  // Shows `main` and runs the message loop until it is closed.
  virtual int Run(Window& main) = 0;
};

}  // namespace cratemark::ui
