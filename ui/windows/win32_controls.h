// The Win32 controls behind the toolkit's interfaces. Internal to ui/windows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/windows/wide_string.h"
#include "ui/controls.h"

namespace cratemark::ui::win32 {

class Win32Window;

std::string WindowText(HWND hwnd);

// What every native control shares: its handle, its hint and the
// notifications its parent passes on.
class NativeControl {
 public:
  NativeControl(Win32Window& root, HWND hwnd) : root_(root), hwnd_(hwnd) {}
  virtual ~NativeControl() = default;
  HWND hwnd() const { return hwnd_; }
  virtual void OnCommand(int /*code*/) {}
  virtual LRESULT OnNotify(NMHDR* /*header*/) { return 0; }
  // A brush for WM_CTLCOLOR*, or nullptr for the default colours.
  virtual HBRUSH OnColor(HDC /*dc*/) { return nullptr; }
  virtual void OnDraw(DRAWITEMSTRUCT* /*item*/) {}

 protected:
  void AddHint(std::string_view hint);
  void ShowNative(bool visible) { ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE); }
  bool IsNativeVisible() const { return (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0; }
  Win32Window& root_;
  HWND hwnd_;
};

#define CRATEMARK_WIN32_CONTROL_BASICS                            \
  void SetHint(std::string_view hint) override { AddHint(hint); } \
  void SetVisible(bool visible) override { ShowNative(visible); } \
  bool IsVisible() const override { return IsNativeVisible(); }   \
  void SetFocus() override { ::SetFocus(hwnd_); }

class Win32Label : public Label, public NativeControl {
 public:
  using NativeControl::NativeControl;
  CRATEMARK_WIN32_CONTROL_BASICS
  void SetText(std::string_view text) override { SetWindowTextW(hwnd_, ToWide(text).c_str()); }
  std::string Text() const override { return WindowText(hwnd_); }
};

class Win32Edit : public Edit, public NativeControl {
 public:
  using NativeControl::NativeControl;
  CRATEMARK_WIN32_CONTROL_BASICS
  void SetText(std::string_view text) override { SetWindowTextW(hwnd_, ToWide(text).c_str()); }
  std::string Text() const override { return WindowText(hwnd_); }
};

class Win32ListBox : public ListBox, public NativeControl {
 public:
  using NativeControl::NativeControl;
  CRATEMARK_WIN32_CONTROL_BASICS
  void Clear() override { SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0); }
  void Add(std::string_view item) override;
  int Count() const override;
  std::string Item(int index) const override;
  int Selected() const override;
  void Select(int index) override { SendMessageW(hwnd_, LB_SETCURSEL, index, 0); }
  void OnDoubleClick(Handler handler) override { on_double_click_ = std::move(handler); }
  void OnSelect(Handler handler) override { on_select_ = std::move(handler); }
  void OnCommand(int code) override;

 private:
  Handler on_double_click_;
  Handler on_select_;
};

class Win32Editor : public Editor, public NativeControl {
 public:
  using NativeControl::NativeControl;
  CRATEMARK_WIN32_CONTROL_BASICS
  void SetText(std::string_view text) override;
  std::string Text() const override { return WindowText(hwnd_); }
  int LineCount() const override;
  std::string Line(int index) const override;
  TextPosition SelectionStart() const override;
  void ReplaceLine(int index, std::string_view text) override;
  void OnChange(Handler handler) override { on_change_ = std::move(handler); }
  void OnCommand(int code) override;

 private:
  Handler on_change_;
};

// The edit control holds only the end of the text: loading a large text into
// it takes seconds (minutes under Wine for tens of megabytes). Earlier parts
// go in front, a piece at a time, when the user scrolls to its top.
class Win32LogView : public LogView, public NativeControl {
 public:
  using NativeControl::NativeControl;
  CRATEMARK_WIN32_CONTROL_BASICS
  void SetText(std::string_view text) override;
  std::string Text() const override { return text_; }
  void AppendLine(std::string_view line) override;
  void AppendText(std::string_view text) override;
  void OnCommand(int code) override;
  HBRUSH OnColor(HDC dc) override;

 private:
  bool IsAtEnd() const;
  void ShowEnd();
  void ShowEarlierPart();

  std::string text_;            // the whole text, UTF-8
  std::size_t shown_from_ = 0;  // where in text_ the control's text begins
};

class Win32Button : public Button, public NativeControl {
 public:
  using NativeControl::NativeControl;
  CRATEMARK_WIN32_CONTROL_BASICS
  void OnClick(Handler handler) override { on_click_ = std::move(handler); }
  void OnCommand(int code) override;

 private:
  Handler on_click_;
};

class Win32CheckBox : public CheckBox, public NativeControl {
 public:
  using NativeControl::NativeControl;
  CRATEMARK_WIN32_CONTROL_BASICS
  void SetChecked(bool checked) override {
    SendMessageW(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  bool IsChecked() const override { return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void OnClick(Handler handler) override { on_click_ = std::move(handler); }
  void OnCommand(int code) override;

 private:
  Handler on_click_;
};

class Win32Picture : public Picture, public NativeControl {
 public:
  using NativeControl::NativeControl;
  CRATEMARK_WIN32_CONTROL_BASICS
  void OnDoubleClick(Handler handler) override { on_double_click_ = std::move(handler); }
  void OnCommand(int code) override;
  void OnDraw(DRAWITEMSTRUCT* item) override;

 private:
  Handler on_double_click_;
};

// A label's picture: a one-bit DIB stretched to fit, its proportions kept.
class Win32ImageView : public ImageView, public NativeControl {
 public:
  using NativeControl::NativeControl;
  CRATEMARK_WIN32_CONTROL_BASICS
  void SetImage(MonoImage image) override;
  void OnDraw(DRAWITEMSTRUCT* item) override;

 private:
  int width_ = 0, height_ = 0;
  std::vector<std::uint8_t> rows_;  // top-down, each row padded to 4 bytes
};

class Win32BlinkLabel : public BlinkLabel, public NativeControl {
 public:
  using NativeControl::NativeControl;
  CRATEMARK_WIN32_CONTROL_BASICS
  void SetText(std::string_view text) override;
  std::string Text() const override { return WindowText(hwnd_); }
  void SetBlinking(bool blinking) override;
  bool IsBlinking() const override { return blinking_; }
  HBRUSH OnColor(HDC dc) override;

 private:
  bool blinking_ = false;
};

class Win32Timer : public Timer {
 public:
  Win32Timer(HWND hwnd, UINT_PTR id, int interval_ms, Handler handler);
  void SetEnabled(bool enabled) override;
  bool IsEnabled() const override { return enabled_; }
  void Fire() { handler_(); }

 private:
  HWND hwnd_;
  UINT_PTR id_;
  int interval_ms_;
  Handler handler_;
  bool enabled_ = false;
};

}  // namespace cratemark::ui::win32
