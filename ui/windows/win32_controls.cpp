#include "ui/windows/win32_controls.h"

#include <commctrl.h>

#include <algorithm>
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

namespace {

// How much of the text goes into the control at a time: a few thousand log
// lines, which it takes in within a blink.
constexpr std::size_t kPartBytes = 128 * 1024;

// The start of the line at which the last `bytes` of text[0, end) begin.
std::size_t PartStart(std::string_view text, std::size_t end, std::size_t bytes) {
  if (end <= bytes) return 0;
  const std::size_t at = text.find('\n', end - bytes);
  return at == std::string_view::npos || at + 1 >= end ? end - bytes : at + 1;
}

}  // namespace

void Win32LogView::SetText(std::string_view text) {
  text_ = text;
  shown_from_ = PartStart(text_, text_.size(), kPartBytes);
  SetWindowTextW(hwnd_, ToWide(std::string_view(text_).substr(shown_from_)).c_str());
  ShowEnd();
}

bool Win32LogView::IsAtEnd() const {
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  // No scroll bar yet: everything is in view.
  if (!GetScrollInfo(hwnd_, SB_VERT, &info) || info.nPage == 0) return true;
  return info.nPos + static_cast<int>(info.nPage) > info.nMax;
}

void Win32LogView::ShowEnd() {
  const int end = GetWindowTextLengthW(hwnd_);
  SendMessageW(hwnd_, EM_SETSEL, end, end);
  SendMessageW(hwnd_, EM_SCROLLCARET, 0, 0);
}

void Win32LogView::AppendLine(std::string_view line) {
  std::string text(line);
  if (!text_.empty() && !text_.ends_with("\r\n")) text.insert(0, "\r\n");
  text += "\r\n";
  text_ += text;
  const int end = GetWindowTextLengthW(hwnd_);
  SendMessageW(hwnd_, EM_SETSEL, end, end);
  SendMessageW(hwnd_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(ToWide(text).c_str()));
  ShowEnd();
}

void Win32LogView::AppendText(std::string_view text) {
  text_ += text;
  if (IsAtEnd()) {
    const int end = GetWindowTextLengthW(hwnd_);
    SendMessageW(hwnd_, EM_SETSEL, end, end);
    SendMessageW(hwnd_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(ToWide(text).c_str()));
    ShowEnd();
    return;
  }
  // The user has scrolled up: inserted at the end, with the caret and the
  // first visible line put back, since the control would scroll to the
  // inserted text.
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

void Win32LogView::OnCommand(int code) {
  // The user scrolled (scroll bar or wheel): at the top, the part before it.
  if (code == EN_VSCROLL && shown_from_ > 0 &&
      SendMessageW(hwnd_, EM_GETFIRSTVISIBLELINE, 0, 0) == 0) {
    ShowEarlierPart();
  }
}

void Win32LogView::ShowEarlierPart() {
  const std::size_t from = PartStart(text_, shown_from_, kPartBytes);
  const std::wstring part = ToWide(std::string_view(text_).substr(from, shown_from_ - from));
  shown_from_ = from;
  DWORD selection_start = 0, selection_end = 0;
  SendMessageW(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&selection_start),
               reinterpret_cast<LPARAM>(&selection_end));
  const LRESULT lines_before = SendMessageW(hwnd_, EM_GETLINECOUNT, 0, 0);
  SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(hwnd_, EM_SETSEL, 0, 0);
  SendMessageW(hwnd_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(part.c_str()));
  // The line the user looked at stays in view, now below the new part.
  const auto moved = static_cast<DWORD>(part.size());
  SendMessageW(hwnd_, EM_SETSEL, selection_start + moved, selection_end + moved);
  const LRESULT added = SendMessageW(hwnd_, EM_GETLINECOUNT, 0, 0) - lines_before;
  const LRESULT now_visible = SendMessageW(hwnd_, EM_GETFIRSTVISIBLELINE, 0, 0);
  SendMessageW(hwnd_, EM_LINESCROLL, 0, added - now_visible);
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

void Win32CheckBox::OnCommand(int code) {
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

// --- image view ---

void Win32ImageView::SetImage(MonoImage image) {
  width_ = image.width;
  height_ = image.height;
  const std::size_t stride = ((static_cast<std::size_t>(std::max(width_, 0)) + 31) / 32) * 4;
  if (width_ <= 0 || height_ <= 0 ||
      image.dots.size() != static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_)) {
    width_ = height_ = 0;
    rows_.clear();
  } else {
    // Bit set: palette entry 1, white paper; clear: entry 0, black ink.
    rows_.assign(stride * height_, 0);
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        if (!image.dots[static_cast<std::size_t>(y) * width_ + x]) {
          rows_[y * stride + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
      }
    }
  }
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void Win32ImageView::OnDraw(DRAWITEMSTRUCT* item) {
  const RECT rect = item->rcItem;
  FillRect(item->hDC, &rect, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  if (width_ == 0) return;
  const int room_w = rect.right - rect.left, room_h = rect.bottom - rect.top;
  const double scale =
      std::min(static_cast<double>(room_w) / width_, static_cast<double>(room_h) / height_);
  const int w = std::max(1, static_cast<int>(width_ * scale));
  const int h = std::max(1, static_cast<int>(height_ * scale));
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[2];
  } info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = width_;
  info.header.biHeight = -height_;  // top-down rows
  info.header.biPlanes = 1;
  info.header.biBitCount = 1;
  info.header.biCompression = BI_RGB;
  info.colors[0] = {0, 0, 0, 0};
  info.colors[1] = {255, 255, 255, 0};
  // Halftone keeps thin rules and bars visible when the label shrinks.
  SetStretchBltMode(item->hDC, HALFTONE);
  SetBrushOrgEx(item->hDC, 0, 0, nullptr);
  StretchDIBits(item->hDC, rect.left + (room_w - w) / 2, rect.top + (room_h - h) / 2, w, h, 0, 0,
                width_, height_, rows_.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                SRCCOPY);
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
