#include "ui/windows/win32_controls.h"

#include <commctrl.h>

#include <vector>

#include "platform/code_page.h"
#include "ui/blink_rhythm.h"
#include "ui/windows/win32_window.h"

namespace cratemark::ui::win32 {

namespace {

// The program's blink rhythm on the system's tick count.
bool IsBlinkLitNow() { return IsBlinkLit(static_cast<long long>(GetTickCount64())); }

}  // namespace

std::string WindowText(HWND hwnd) {
  std::wstring text(GetWindowTextLengthW(hwnd) + 1, L'\0');
  text.resize(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size())));
  return FromWide(text);
}

void NativeControl::AddHint(std::string_view hint) { root_.AddTool(hwnd_, hint); }

// --- list box ---

void Win32ListBox::Add(std::string_view item) {
  SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(item).c_str()));
}

int Win32ListBox::Count() const { return static_cast<int>(SendMessageW(hwnd_, LB_GETCOUNT, 0, 0)); }

std::string Win32ListBox::Item(int index) const {
  LRESULT length = SendMessageW(hwnd_, LB_GETTEXTLEN, index, 0);
  if (length == LB_ERR) return {};
  std::wstring text(length + 1, L'\0');
  length = SendMessageW(hwnd_, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(length == LB_ERR ? 0 : length);
  return FromWide(text);
}

int Win32ListBox::Selected() const {
  LRESULT selected = SendMessageW(hwnd_, LB_GETCURSEL, 0, 0);
  return selected == LB_ERR ? kNoSelection : static_cast<int>(selected);
}

void Win32ListBox::OnCommand(int code) {
  if (code == LBN_DBLCLK && on_double_click_) on_double_click_();
  // Sent for the user's keys and clicks only, never for LB_SETCURSEL.
  if (code == LBN_SELCHANGE && on_select_) on_select_();
}

// --- editor ---

void Win32Editor::SetText(std::string_view text) {
  SetWindowTextW(hwnd_, ToWide(text).c_str());
  // A multi-line edit control sends no EN_CHANGE for WM_SETTEXT.
  if (on_change_) on_change_();
}

void Win32Editor::OnCommand(int code) {
  if (code == EN_CHANGE && on_change_) on_change_();
}

int Win32Editor::LineCount() const {
  return static_cast<int>(SendMessageW(hwnd_, EM_GETLINECOUNT, 0, 0));
}

std::string Win32Editor::Line(int index) const {
  LRESULT start = SendMessageW(hwnd_, EM_LINEINDEX, index, 0);
  if (start < 0) return {};
  LRESULT length = SendMessageW(hwnd_, EM_LINELENGTH, start, 0);
  // EM_GETLINE takes the buffer size in the buffer's first word.
  std::wstring line(std::max<LRESULT>(length, 1) + 1, L'\0');
  line[0] = static_cast<wchar_t>(line.size());
  LRESULT copied = SendMessageW(hwnd_, EM_GETLINE, index, reinterpret_cast<LPARAM>(line.data()));
  line.resize(copied);
  return FromWide(line);
}

TextPosition Win32Editor::SelectionStart() const {
  DWORD start = 0;
  SendMessageW(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
  int line = static_cast<int>(SendMessageW(hwnd_, EM_LINEFROMCHAR, start, 0));
  int line_start = static_cast<int>(SendMessageW(hwnd_, EM_LINEINDEX, line, 0));
  return {line, static_cast<int>(start) - line_start};
}

void Win32Editor::ReplaceLine(int index, std::string_view text) {
  LRESULT start = SendMessageW(hwnd_, EM_LINEINDEX, index, 0);
  if (start < 0) return;
  LRESULT length = SendMessageW(hwnd_, EM_LINELENGTH, start, 0);
  SendMessageW(hwnd_, EM_SETSEL, start, start + length);
  SendMessageW(hwnd_, EM_REPLACESEL, /*can_undo=*/TRUE,
               reinterpret_cast<LPARAM>(ToWide(text).c_str()));
}

// --- log view ---

void Win32LogView::AppendLine(std::string_view line) {
  std::string text(line);
  std::string current = Text();
  if (!current.empty() && !current.ends_with("\r\n")) text.insert(0, "\r\n");
  text += "\r\n";
  const int end = GetWindowTextLengthW(hwnd_);
  SendMessageW(hwnd_, EM_SETSEL, end, end);
  SendMessageW(hwnd_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(ToWide(text).c_str()));
}

void Win32LogView::AppendText(std::string_view text) {
  // Inserted at the end; the caret and the first visible line are put back,
  // since the control would scroll to the inserted text.
  DWORD selection_start = 0, selection_end = 0;
  SendMessageW(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&selection_start),
               reinterpret_cast<LPARAM>(&selection_end));
  const LRESULT first_visible = SendMessageW(hwnd_, EM_GETFIRSTVISIBLELINE, 0, 0);
  SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
  const int end = GetWindowTextLengthW(hwnd_);
  SendMessageW(hwnd_, EM_SETSEL, end, end);
  SendMessageW(hwnd_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(ToWide(text).c_str()));
  SendMessageW(hwnd_, EM_SETSEL, selection_start, selection_end);
  const LRESULT now_visible = SendMessageW(hwnd_, EM_GETFIRSTVISIBLELINE, 0, 0);
  SendMessageW(hwnd_, EM_LINESCROLL, 0, first_visible - now_visible);
  SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd_, /*lpRect=*/nullptr, /*bErase=*/TRUE);
}

HBRUSH Win32LogView::OnColor(HDC dc) {
  SetBkColor(dc, GetSysColor(COLOR_INFOBK));
  SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
  return GetSysColorBrush(COLOR_INFOBK);
}

// --- button, picture ---

void Win32Button::OnCommand(int code) {
  if (code == BN_CLICKED && on_click_) on_click_();
}

void Win32Picture::OnCommand(int code) {
  if (code == STN_DBLCLK && on_double_click_) on_double_click_();
}

void Win32Picture::OnDraw(DRAWITEMSTRUCT* item) {
  // The program picture: a crate-coloured plate with the program's name,
  // drawn to whatever size the frame gives it.
  RECT rect = item->rcItem;
  HBRUSH plate = CreateSolidBrush(RGB(176, 122, 58));
  FillRect(item->hDC, &rect, plate);
  DeleteObject(plate);
  InflateRect(&rect, -4, -4);
  FrameRect(item->hDC, &rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetBkMode(item->hDC, TRANSPARENT);
  SetTextColor(item->hDC, RGB(255, 255, 255));
  HGDIOBJ old_font = SelectObject(item->hDC, root_.fonts().picture);
  DrawTextW(item->hDC, L"Cratemark", -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(item->hDC, old_font);
}

// --- blink label ---

void Win32BlinkLabel::SetText(std::string_view text) {
  SetWindowTextW(hwnd_, ToWide(text).c_str());
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void Win32BlinkLabel::SetBlinking(bool blinking) {
  blinking_ = blinking;
  InvalidateRect(hwnd_, nullptr, TRUE);
}

HBRUSH Win32BlinkLabel::OnColor(HDC dc) {
  const bool lit = !blinking_ || IsBlinkLitNow();
  SetTextColor(dc, lit ? RGB(255, 0, 0) : GetSysColor(COLOR_BTNFACE));
  SetBkMode(dc, TRANSPARENT);
  return GetSysColorBrush(COLOR_BTNFACE);
}

// --- timer ---

Win32Timer::Win32Timer(HWND hwnd, UINT_PTR id, int interval_ms, Handler handler)
    : hwnd_(hwnd), id_(id), interval_ms_(interval_ms), handler_(std::move(handler)) {
  SetEnabled(true);
}

void Win32Timer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  if (enabled) {
    SetTimer(hwnd_, id_, static_cast<UINT>(interval_ms_), /*lpTimerFunc=*/nullptr);
  } else {
    KillTimer(hwnd_, id_);
  }
}

}  // namespace cratemark::ui::win32
