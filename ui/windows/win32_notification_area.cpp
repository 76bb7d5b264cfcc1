#include "ui/windows/win32_notification_area.h"

#include <algorithm>
#include <string>

#include "platform/windows/wide_string.h"

namespace cratemark::ui::win32 {

namespace {

constexpr UINT kIconId = 1;
constexpr UINT kMenuOpen = 1;
constexpr UINT kMenuQuit = 2;

// Copies into one of the structure's fixed buffers, cut to fit and ended.
template <std::size_t N>
void CopyCut(wchar_t (&buffer)[N], std::string_view text) {
  std::wstring wide = ToWide(text);
  std::size_t length = std::min(wide.size(), N - 1);
  // Never end on half of a surrogate pair.
  if (length > 0 && length < wide.size() && wide[length - 1] >= 0xD800 &&
      wide[length - 1] < 0xDC00) {
    --length;
  }
  std::copy_n(wide.data(), length, buffer);
  buffer[length] = L'\0';
}

}  // namespace

Win32NotificationArea::Win32NotificationArea(HWND owner, std::string_view tip) {
  data_.cbSize = sizeof data_;
  data_.hWnd = owner;
  data_.uID = kIconId;
  data_.uCallbackMessage = kCallbackMessage;
  data_.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  CopyCut(data_.szTip, tip);
  Add();
}

Win32NotificationArea::~Win32NotificationArea() {
  data_.uFlags = 0;
  Shell_NotifyIconW(NIM_DELETE, &data_);
}

void Win32NotificationArea::Add() {
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  // Without a notification area (no shell yet) there is nothing to add to;
  // "TaskbarCreated" brings the next chance.
  Shell_NotifyIconW(NIM_ADD, &data_);
}

void Win32NotificationArea::ShowNews(std::string_view title, std::string_view text) {
  data_.uFlags = NIF_INFO;
  CopyCut(data_.szInfoTitle, title);
  CopyCut(data_.szInfo, text);
  data_.dwInfoFlags = NIIF_WARNING;
  Shell_NotifyIconW(NIM_MODIFY, &data_);
}

void Win32NotificationArea::OnCallback(LPARAM lparam) {
  switch (static_cast<UINT>(lparam)) {
    case WM_LBUTTONDBLCLK:
    case NIN_BALLOONUSERCLICK:
      if (on_open_) on_open_();
      break;
    case WM_RBUTTONUP:
    case WM_CONTEXTMENU:
      ShowMenu();
      break;
  }
}

void Win32NotificationArea::ShowMenu() {
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, kMenuOpen, L"&Open");
  AppendMenuW(menu, MF_STRING, kMenuQuit, L"&Quit");
  SetMenuDefaultItem(menu, kMenuOpen, FALSE);
  POINT at;
  GetCursorPos(&at);
  // The menu closes when the user clicks elsewhere only if its owner is in
  // the foreground; the empty message after it lets the shell tidy up.
  SetForegroundWindow(data_.hWnd);
  const UINT chosen = static_cast<UINT>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, data_.hWnd, nullptr));
  PostMessageW(data_.hWnd, WM_NULL, 0, 0);
  DestroyMenu(menu);
  if (chosen == kMenuOpen && on_open_) on_open_();
  if (chosen == kMenuQuit && on_quit_) on_quit_();
}

}  // namespace cratemark::ui::win32
