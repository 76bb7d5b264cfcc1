// Win32 top-level windows, their containers and the tab control. Internal
// to ui/windows.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <vector>

#include "ui/window.h"
#include "ui/windows/win32_controls.h"
#include "ui/windows/win32_notification_area.h"

namespace cratemark::ui::win32 {

struct Fonts {
  HFONT normal = nullptr;  // MS Sans Serif, 8 points
  HFONT bold = nullptr;
  HFONT fixed = nullptr;   // Courier, 8 points
  HFONT status = nullptr;  // bold MS Sans Serif, 16 pixels high
  HFONT picture = nullptr;
};

class Win32Window;

// Places controls on a native parent, offset by the container's origin
// (frames draw a group box and hand out the parent they sit on).
class Win32Container : public virtual Container {
 public:
  Win32Container(Win32Window& root, HWND parent, int left, int top)
      : root_(root), parent_(parent), left_(left), top_(top) {}
  Label& AddLabel(Rect rect, std::string_view text, LabelStyle style) override;
  Container& AddFrame(Rect rect, std::string_view caption) override;
  Container& AddPanel(Rect rect) override;
  ListBox& AddListBox(Rect rect, ListBoxStyle style = {}) override;
  Edit& AddEdit(Rect rect) override;
  Editor& AddEditor(Rect rect) override;
  LogView& AddLogView(Rect rect) override;
  Button& AddButton(Rect rect, std::string_view caption, bool is_default) override;
  CheckBox& AddCheckBox(Rect rect, std::string_view caption) override;
  Picture& AddPicture(Rect rect) override;
  ImageView& AddImageView(Rect rect) override;
  TabControl& AddTabControl(Rect rect) override;

 protected:
  HWND Create(const wchar_t* window_class, std::string_view text, DWORD style, DWORD ex_style,
              Rect rect, HFONT font, int id = 0);
  Win32Window& root_;
  HWND parent_;
  int left_, top_;
};

class Win32TabControl : public TabControl, public NativeControl {
 public:
  Win32TabControl(Win32Window& root, HWND hwnd, HWND parent)
      : NativeControl(root, hwnd), parent_(parent) {}
  CRATEMARK_WIN32_CONTROL_BASICS
  Container& AddPage(std::string_view caption) override;
  int ActivePage() const override;
  std::string PageCaption(int index) const override;
  void SetActivePage(int index) override;
  void OnChange(Handler handler) override { on_change_ = std::move(handler); }
  LRESULT OnNotify(NMHDR* header) override;

 private:
  void ShowActivePage();
  HWND parent_;
  std::vector<std::string> captions_;
  std::vector<HWND> pages_;
  Handler on_change_;
};

class Win32Window : public Window, public Win32Container {
 public:
  Win32Window(const WindowSpec& options, const Fonts& fonts, HWND owner);
  ~Win32Window() override;
  BlinkLabel& AddStatusBar(int height, int clock_width) override;
  Timer& AddTimer(int interval_ms, Handler handler) override;
  void OnShow(Handler handler) override { on_show_ = std::move(handler); }
  void ShowModal() override;
  void CloseModal() override { is_modal_open_ = false; }
  void Show() override;
  bool IsShown() const override;
  MessageAnswer ShowMessage(const MessageBoxSpec& options) override;
  NotificationArea& AddNotificationArea(std::string_view tip) override;
  void OnCloseQuery(std::function<bool()> handler) override {
    on_close_query_ = std::move(handler);
  }
  void Hide() override;
  void Quit() override;

  HWND hwnd() const { return hwnd_; }
  const Fonts& fonts() const { return fonts_; }
  void ShowMain();
  int NextId() { return next_id_++; }
  template <typename T>
  T& Keep(std::unique_ptr<T> control, int id) {
    T& result = *control;
    if (id != 0) controls_by_id_[id] = &result;
    by_hwnd_[result.hwnd()] = &result;
    controls_.push_back(std::move(control));
    return result;
  }
  Container& KeepContainer(std::unique_ptr<Win32Container> container);
  void AddTool(HWND control, std::string_view hint);

  // The window procedure of the toolkit's windows; pages and panels have
  // their own, which pass their controls' notifications on to their window.
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

 private:
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void OnCommand(int id, int code);
  LRESULT OnNotify(NMHDR* header);
  LRESULT OnColor(HDC dc, HWND control);
  void OnTimer(UINT_PTR id);
  void OnSize();
  void OnPulse();

  WindowSpec options_;
  const Fonts& fonts_;
  HWND hwnd_ = nullptr;
  HWND owner_ = nullptr;
  HWND tooltip_ = nullptr;
  HWND status_bar_ = nullptr;
  int status_height_ = 0, clock_width_ = 0;
  Win32BlinkLabel* status_label_ = nullptr;
  std::vector<Win32BlinkLabel*> blink_labels_;
  Handler on_show_;
  std::function<bool()> on_close_query_;
  std::unique_ptr<Win32NotificationArea> notification_area_;
  UINT taskbar_created_ = 0;  // the shell's message when Explorer starts again
  bool starts_hidden_ = false;
  bool is_modal_open_ = false;
  int next_id_ = 100;
  UINT_PTR next_timer_id_ = 1;
  std::vector<std::unique_ptr<NativeControl>> controls_;
  std::vector<std::unique_ptr<Win32Container>> containers_;
  std::vector<std::unique_ptr<Win32Timer>> timers_;
  std::map<int, NativeControl*> controls_by_id_;
  std::map<HWND, NativeControl*> by_hwnd_;
};

}  // namespace cratemark::ui::win32
