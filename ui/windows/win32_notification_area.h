// The program's icon in the taskbar's notification area: balloons for news,
// and a menu to open the window or quit. Internal to ui/windows.
#pragma once

// shellapi.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include "ui/window.h"

namespace cratemark::ui::win32 {

class Win32NotificationArea : public NotificationArea {
 public:
  // The icon's messages come to `owner` as kCallbackMessage.
  Win32NotificationArea(HWND owner, std::string_view tip);
  ~Win32NotificationArea() override;
  void ShowNews(std::string_view title, std::string_view text) override;
  bool HoldsProgram() const override { return true; }
  bool IsOnStatusLine() const override { return false; }
  void OnOpen(Handler handler) override { on_open_ = std::move(handler); }
  void OnQuit(Handler handler) override { on_quit_ = std::move(handler); }

  static constexpr UINT kCallbackMessage = WM_APP + 1;
  // The owner's window procedure hands on the icon's messages, and the
  // shell's "TaskbarCreated" (Explorer started again), after which the icon
  // must be added anew.
  void OnCallback(LPARAM lparam);
  void OnTaskbarCreated() { Add(); }

 private:
  void Add();
  void ShowMenu();

  NOTIFYICONDATAW data_{};
  Handler on_open_, on_quit_;
};

}  // namespace cratemark::ui::win32
