#include "ui/windows/win32_window.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/local_time.h"
#include "ui/blink_rhythm.h"
#include "ui/clock_text.h"
#include "ui/windows/win32_toolkit.h"

namespace cratemark::ui::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"CratemarkWindow";
constexpr wchar_t kPageClass[] = L"CratemarkPage";
constexpr wchar_t kPanelClass[] = L"CratemarkPanel";
// The toolkit's own timer: blink rhythm and clock pane, every 500 ms.
constexpr UINT_PTR kPulseTimerId = 0x7FFF;
constexpr UINT kPulseMs = kBlinkPhaseMs;

Win32Window* WindowOf(HWND hwnd) {
  return reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// The window a window, page or panel belongs to, passed to CreateWindowEx
// and kept on WM_NCCREATE; null before that.
Win32Window* OwnerOf(HWND hwnd, UINT message, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  return WindowOf(hwnd);
}

}  // namespace

// --- containers ---

HWND Win32Container::Create(const wchar_t* window_class, std::string_view text, DWORD style,
                            DWORD ex_style, Rect rect, HFONT font, int id) {
  HWND hwnd = CreateWindowExW(ex_style, window_class, ToWide(text).c_str(), WS_CHILD | style,
                              left_ + rect.left, top_ + rect.top, rect.width, rect.height, parent_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              GetModuleHandleW(nullptr), /*lpParam=*/nullptr);
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), /*redraw=*/FALSE);
  return hwnd;
}

Label& Win32Container::AddLabel(Rect rect, std::string_view text, LabelStyle style) {
  DWORD align = style.centered ? SS_CENTER : (style.word_wrap ? SS_LEFT : SS_LEFTNOWORDWRAP);
  HWND hwnd = Create(L"STATIC", text, WS_VISIBLE | align | SS_NOPREFIX, 0, rect,
                     style.bold ? root_.fonts().bold : root_.fonts().normal);
  return root_.Keep(std::make_unique<Win32Label>(root_, hwnd), 0);
}

Container& Win32Container::AddFrame(Rect rect, std::string_view caption) {
  Create(L"BUTTON", caption, WS_VISIBLE | BS_GROUPBOX, 0, rect, root_.fonts().normal);
  return root_.KeepContainer(
      std::make_unique<Win32Container>(root_, parent_, left_ + rect.left, top_ + rect.top));
}

Container& Win32Container::AddPanel(Rect rect) {
  // A window of its own, so that its controls sit on its white face.
  HWND panel = CreateWindowExW(WS_EX_CONTROLPARENT, kPanelClass, L"",
                               WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, left_ + rect.left,
                               top_ + rect.top, rect.width, rect.height, parent_,
                               /*hMenu=*/nullptr, GetModuleHandleW(nullptr), &root_);
  return root_.KeepContainer(std::make_unique<Win32Container>(root_, panel, 0, 0));
}

ListBox& Win32Container::AddListBox(Rect rect, ListBoxStyle style) {
  // LBS_SORT orders without regard to case and keeps equal names; without
  // it LB_ADDSTRING adds at the end.
  const int id = root_.NextId();
  HWND hwnd = Create(WC_LISTBOXW, "",
                     WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
                         (style.sorted ? LBS_SORT : 0),
                     WS_EX_CLIENTEDGE, rect, root_.fonts().normal, id);
  return root_.Keep(std::make_unique<Win32ListBox>(root_, hwnd), id);
}

Edit& Win32Container::AddEdit(Rect rect) {
  HWND hwnd = Create(WC_EDITW, "", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, rect,
                     root_.fonts().normal, root_.NextId());
  return root_.Keep(std::make_unique<Win32Edit>(root_, hwnd), 0);
}

Editor& Win32Container::AddEditor(Rect rect) {
  const int id = root_.NextId();  // found by its id for EN_CHANGE
  HWND hwnd = Create(WC_EDITW, "",
                     WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                         ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN | ES_NOHIDESEL,
                     WS_EX_CLIENTEDGE, rect, root_.fonts().normal, id);
  SendMessageW(hwnd, EM_SETLIMITTEXT, 0, 0);  // no 32K limit
  return root_.Keep(std::make_unique<Win32Editor>(root_, hwnd), id);
}

LogView& Win32Container::AddLogView(Rect rect) {
  const int id = root_.NextId();  // found by its id for EN_VSCROLL
  HWND hwnd =
      Create(WC_EDITW, "", WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY,
             WS_EX_CLIENTEDGE, rect, root_.fonts().fixed, id);
  SendMessageW(hwnd, EM_SETLIMITTEXT, 0, 0);
  return root_.Keep(std::make_unique<Win32LogView>(root_, hwnd), id);
}

CheckBox& Win32Container::AddCheckBox(Rect rect, std::string_view caption) {
  const int id = root_.NextId();
  HWND hwnd = Create(WC_BUTTONW, caption, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX | BS_MULTILINE,
                     0, rect, root_.fonts().normal, id);
  return root_.Keep(std::make_unique<Win32CheckBox>(root_, hwnd), id);
}

Button& Win32Container::AddButton(Rect rect, std::string_view caption, bool is_default) {
  // The default button answers Enter through the dialog manager, as IDOK.
  const int id = is_default ? IDOK : root_.NextId();
  HWND hwnd = Create(
      WC_BUTTONW, caption,
      WS_VISIBLE | WS_TABSTOP | BS_MULTILINE | (is_default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0,
      rect, root_.fonts().normal, id);
  return root_.Keep(std::make_unique<Win32Button>(root_, hwnd), id);
}

Picture& Win32Container::AddPicture(Rect rect) {
  const int id = root_.NextId();
  HWND hwnd = Create(L"STATIC", "", WS_VISIBLE | SS_OWNERDRAW | SS_NOTIFY, 0, rect,
                     root_.fonts().normal, id);
  return root_.Keep(std::make_unique<Win32Picture>(root_, hwnd), id);
}

ImageView& Win32Container::AddImageView(Rect rect) {
  const int id = root_.NextId();
  HWND hwnd = Create(L"STATIC", "", WS_VISIBLE | SS_OWNERDRAW, 0, rect, root_.fonts().normal, id);
  return root_.Keep(std::make_unique<Win32ImageView>(root_, hwnd), id);
}

TabControl& Win32Container::AddTabControl(Rect rect) {
  const int id = root_.NextId();
  HWND hwnd = Create(WC_TABCONTROLW, "", WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, 0, rect,
                     root_.fonts().normal, id);
  return root_.Keep(std::make_unique<Win32TabControl>(root_, hwnd, parent_), id);
}

Container& Win32Window::KeepContainer(std::unique_ptr<Win32Container> container) {
  containers_.push_back(std::move(container));
  return *containers_.back();
}

// --- tab control ---

Container& Win32TabControl::AddPage(std::string_view caption) {
  std::wstring text = ToWide(caption);
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = text.data();
  const int index = static_cast<int>(captions_.size());
  SendMessageW(hwnd_, TCM_INSERTITEMW, index, reinterpret_cast<LPARAM>(&item));
  captions_.emplace_back(caption);

  // A page is a window of its own over the tab control's display area, a
  // sibling of the tab control, so that hiding it hides its controls.
  RECT area;
  GetWindowRect(hwnd_, &area);
  MapWindowPoints(HWND_DESKTOP, parent_, reinterpret_cast<POINT*>(&area), 2);
  SendMessageW(hwnd_, TCM_ADJUSTRECT, /*larger=*/FALSE, reinterpret_cast<LPARAM>(&area));
  HWND page = CreateWindowExW(WS_EX_CONTROLPARENT, kPageClass, L"", WS_CHILD | WS_CLIPSIBLINGS,
                              area.left, area.top, area.right - area.left, area.bottom - area.top,
                              parent_, nullptr, GetModuleHandleW(nullptr), &root_);
  SetWindowPos(page, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  pages_.push_back(page);
  ShowActivePage();
  return root_.KeepContainer(std::make_unique<Win32Container>(root_, page, 0, 0));
}

int Win32TabControl::ActivePage() const {
  return static_cast<int>(SendMessageW(hwnd_, TCM_GETCURSEL, 0, 0));
}

std::string Win32TabControl::PageCaption(int index) const {
  if (index < 0 || index >= static_cast<int>(captions_.size())) return {};
  return captions_[index];
}

void Win32TabControl::SetActivePage(int index) {
  SendMessageW(hwnd_, TCM_SETCURSEL, index, 0);
  ShowActivePage();
}

void Win32TabControl::ShowActivePage() {
  const int active = ActivePage();
  for (int i = 0; i < static_cast<int>(pages_.size()); ++i) {
    ShowWindow(pages_[i], i == active ? SW_SHOW : SW_HIDE);
  }
}

LRESULT Win32TabControl::OnNotify(NMHDR* header) {
  if (header->code == TCN_SELCHANGE) {
    ShowActivePage();
    if (on_change_) on_change_();
  }
  return 0;
}

// --- windows ---

Win32Window::Win32Window(const WindowSpec& options, const Fonts& fonts, HWND owner)
    : Win32Container(*this, nullptr, 0, 0), options_(options), fonts_(fonts), owner_(owner) {
  const bool is_tool = options.kind == WindowKind::kTool;
  const bool is_modeless = options.kind == WindowKind::kModeless;
  // A tool window has a small title bar without text or buttons; a modeless
  // one only the close button.
  const DWORD style =
      is_tool       ? WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN
      : is_modeless ? WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN
                    : WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  const DWORD ex_style =
      is_tool ? WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT : WS_EX_CONTROLPARENT;
  RECT frame{0, 0, options.client_width, options.client_height};
  AdjustWindowRectEx(&frame, style, /*bMenu=*/FALSE, ex_style);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int screen_width = GetSystemMetrics(SM_CXSCREEN);
  int left = (screen_width - width) / 2;
  int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  RECT beside;
  if (is_modeless && owner != nullptr && GetWindowRect(owner, &beside)) {
    // Right of its owner, so that both can be seen; inside the screen.
    left = std::max(0, std::min(static_cast<int>(beside.right), screen_width - width));
    top = std::max(0, static_cast<int>(beside.top));
  }
  hwnd_ = CreateWindowExW(ex_style, kWindowClass, ToWide(options.title).c_str(), style, left, top,
                          width, height, owner, /*hMenu=*/nullptr, GetModuleHandleW(nullptr), this);
  parent_ = hwnd_;
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.normal), FALSE);

  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_BALLOON | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 300);
  SetTimer(hwnd_, kPulseTimerId, kPulseMs, nullptr);
}

Win32Window::~Win32Window() {
  if (hwnd_ != nullptr) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

void Win32Window::AddTool(HWND control, std::string_view hint) {
  std::wstring text = ToWide(hint);
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = GetParent(control);
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = text.data();  // the tooltip keeps its own copy
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

BlinkLabel& Win32Window::AddStatusBar(int height, int clock_width) {
  status_height_ = height;
  clock_width_ = clock_width;
  status_bar_ =
      CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0,
                      0, 0, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(status_bar_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.normal), FALSE);
  SendMessageW(status_bar_, SB_SETMINHEIGHT, height, 0);
  // The status message sits over the bar's left part, above it in z-order.
  HWND label = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, 0,
                               0, 0, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.status), FALSE);
  SetWindowPos(label, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  status_label_ = &Keep(std::make_unique<Win32BlinkLabel>(*this, label), 0);
  blink_labels_.push_back(status_label_);
  OnSize();
  OnPulse();
  return *status_label_;
}

Timer& Win32Window::AddTimer(int interval_ms, Handler handler) {
  timers_.push_back(
      std::make_unique<Win32Timer>(hwnd_, next_timer_id_++, interval_ms, std::move(handler)));
  return *timers_.back();
}

void Win32Window::ShowMain() {
  if (starts_hidden_) return;
  if (on_show_) on_show_();
  ShowWindow(hwnd_, SW_SHOW);
  UpdateWindow(hwnd_);
}

void Win32Window::Show() {
  if (on_show_) on_show_();
  ShowWindow(hwnd_, IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
  SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  if (options_.kind == WindowKind::kMain) SetForegroundWindow(hwnd_);
}

void Win32Window::Hide() {
  if (!IsWindowVisible(hwnd_)) starts_hidden_ = true;
  ShowWindow(hwnd_, SW_HIDE);
}

// As the close button does when nothing holds the program: the window goes,
// and with it the message loop.
void Win32Window::Quit() { DestroyWindow(hwnd_); }

NotificationArea& Win32Window::AddNotificationArea(std::string_view tip) {
  notification_area_ = std::make_unique<Win32NotificationArea>(hwnd_, tip);
  taskbar_created_ = RegisterWindowMessageW(L"TaskbarCreated");
  return *notification_area_;
}

bool Win32Window::IsShown() const { return IsWindowVisible(hwnd_) != FALSE; }

void Win32Window::ShowModal() {
  if (on_show_) on_show_();
  HWND owner = owner_ != nullptr ? owner_ : GetActiveWindow();
  if (owner != nullptr) EnableWindow(owner, FALSE);
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  is_modal_open_ = true;
  MSG message;
  while (is_modal_open_ && GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageW(hwnd_, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  if (owner != nullptr) EnableWindow(owner, TRUE);
  ShowWindow(hwnd_, SW_HIDE);
  if (owner != nullptr) SetActiveWindow(owner);
  if (message.message == WM_QUIT) PostQuitMessage(static_cast<int>(message.wParam));
}

MessageAnswer Win32Window::ShowMessage(const MessageBoxSpec& options) {
  UINT flags = options.buttons == MessageButtons::kYesNo ? MB_YESNO : MB_OK;
  switch (options.icon) {
    case MessageIcon::kError:
      flags |= MB_ICONERROR;
      break;
    case MessageIcon::kInformation:
      flags |= MB_ICONINFORMATION;
      break;
    case MessageIcon::kWarning:
      flags |= MB_ICONWARNING;
      break;
    case MessageIcon::kNone:
      break;
  }
  flags |= options.default_button == 1 ? MB_DEFBUTTON2 : MB_DEFBUTTON1;
  HWND owner = GetActiveWindow();
  const int answer = MessageBoxW(owner != nullptr ? owner : hwnd_, ToWide(options.text).c_str(),
                                 ToWide(options.caption).c_str(), flags);
  switch (answer) {
    case IDYES:
      return MessageAnswer::kYes;
    case IDNO:
      return MessageAnswer::kNo;
    default:
      return MessageAnswer::kOk;
  }
}

// --- message handling: the procedures only dispatch ---

LRESULT CALLBACK Win32Window::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  Win32Window* window = OwnerOf(hwnd, message, lparam);
  if (window == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  if (message == WM_NCCREATE) window->hwnd_ = hwnd;
  return window->Handle(message, wparam, lparam);
}

// Pages pass their controls' notifications on to the window they belong to.
LRESULT CALLBACK Win32Window::PageProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  Win32Window* window = OwnerOf(hwnd, message, lparam);
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_DRAWITEM:
      if (window != nullptr) return window->Handle(message, wparam, lparam);
      break;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

// A panel passes its controls' notifications on like a page, paints its
// white face and bevel, and gives its labels a white background.
LRESULT CALLBACK Win32Window::PanelProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  Win32Window* window = OwnerOf(hwnd, message, lparam);
  switch (message) {
    case WM_ERASEBKGND: {
      RECT face;
      GetClientRect(hwnd, &face);
      auto* dc = reinterpret_cast<HDC>(wparam);
      FillRect(dc, &face, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      // Lowered outer and raised inner bevel.
      DrawEdge(dc, &face, BDR_SUNKENOUTER | BDR_RAISEDINNER, BF_RECT);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC: {
      auto* dc = reinterpret_cast<HDC>(wparam);
      if (window != nullptr) {
        if (LRESULT brush = window->OnColor(dc, reinterpret_cast<HWND>(lparam))) return brush;
      }
      SetBkColor(dc, RGB(255, 255, 255));
      return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    }
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
      if (window != nullptr) return window->Handle(message, wparam, lparam);
      break;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT Win32Window::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != 0 && message == taskbar_created_ && notification_area_) {
    notification_area_->OnTaskbarCreated();
    return 0;
  }
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lparam));
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      if (LRESULT brush = OnColor(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam))) {
        return brush;
      }
      break;
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lparam);
      if (auto at = by_hwnd_.find(item->hwndItem); at != by_hwnd_.end()) at->second->OnDraw(item);
      return TRUE;
    }
    case WM_TIMER:
      OnTimer(wparam);
      return 0;
    case WM_SIZE:
      OnSize();
      return 0;
    case Win32NotificationArea::kCallbackMessage:
      if (notification_area_) notification_area_->OnCallback(lparam);
      return 0;
    case WM_CLOSE:
      if (options_.kind == WindowKind::kMain && on_close_query_ && !on_close_query_()) {
        ShowWindow(hwnd_, SW_HIDE);
        return 0;
      }
      if (options_.kind == WindowKind::kTool) {
        CloseModal();
        return 0;
      }
      if (options_.kind == WindowKind::kModeless) {  // kept for the next Show
        ShowWindow(hwnd_, SW_HIDE);
        return 0;
      }
      break;
    case WM_DESTROY:
      if (options_.kind == WindowKind::kMain) PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

void Win32Window::OnCommand(int id, int code) {
  if (id == IDOK && options_.kind == WindowKind::kTool && controls_by_id_.count(IDOK) == 0) {
    CloseModal();
    return;
  }
  if (auto at = controls_by_id_.find(id); at != controls_by_id_.end()) at->second->OnCommand(code);
}

LRESULT Win32Window::OnNotify(NMHDR* header) {
  if (auto at = by_hwnd_.find(header->hwndFrom); at != by_hwnd_.end()) {
    return at->second->OnNotify(header);
  }
  return 0;
}

LRESULT Win32Window::OnColor(HDC dc, HWND control) {
  if (auto at = by_hwnd_.find(control); at != by_hwnd_.end()) {
    return reinterpret_cast<LRESULT>(at->second->OnColor(dc));
  }
  return 0;
}

void Win32Window::OnTimer(UINT_PTR id) {
  if (id == kPulseTimerId) {
    OnPulse();
    return;
  }
  if (id >= 1 && id <= timers_.size()) timers_[id - 1]->Fire();
}

void Win32Window::OnPulse() {
  for (Win32BlinkLabel* label : blink_labels_) {
    if (label->IsBlinking()) InvalidateRect(label->hwnd(), nullptr, TRUE);
  }
  if (status_bar_ != nullptr) {
    SendMessageW(status_bar_, SB_SETTEXTW, 1,
                 reinterpret_cast<LPARAM>(ToWide(ClockText(NowLocal())).c_str()));
  }
}

void Win32Window::OnSize() {
  if (status_bar_ == nullptr) return;
  SendMessageW(status_bar_, WM_SIZE, 0, 0);
  RECT client;
  GetClientRect(hwnd_, &client);
  int parts[] = {client.right - clock_width_, -1};
  SendMessageW(status_bar_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
  SetWindowPos(status_label_->hwnd(), HWND_TOP, 4, client.bottom - status_height_ + 3,
               client.right - clock_width_ - 8, status_height_ - 4, SWP_NOACTIVATE);
}

// --- toolkit ---

namespace {

// `pitch_and_family` guides the font mapper when the face is missing or has
// no such size (Courier is a raster font; its nearest size would otherwise
// lose to a proportional TrueType face).
HFONT MakeFont(const wchar_t* face, int height, bool bold,
               DWORD pitch_and_family = DEFAULT_PITCH | FF_DONTCARE) {
  return CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     pitch_and_family, face);
}

int PointsToHeight(int points) {
  HDC screen = GetDC(nullptr);
  const int height = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
  ReleaseDC(nullptr, screen);
  return height;
}

class Win32Toolkit : public Toolkit {
 public:
  Win32Toolkit() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_BAR_CLASSES |
                                                       ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = Win32Window::WindowProc;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    window_class.lpszClassName = kWindowClass;
    RegisterClassExW(&window_class);
    window_class.lpfnWndProc = Win32Window::PageProc;
    window_class.lpszClassName = kPageClass;
    window_class.hIcon = nullptr;
    RegisterClassExW(&window_class);
    window_class.lpfnWndProc = Win32Window::PanelProc;
    window_class.lpszClassName = kPanelClass;
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    RegisterClassExW(&window_class);

    const int eight_points = PointsToHeight(8);
    fonts_.normal = MakeFont(L"MS Sans Serif", eight_points, false);
    fonts_.bold = MakeFont(L"MS Sans Serif", eight_points, true);
    fonts_.fixed = MakeFont(L"Courier", eight_points, false, FIXED_PITCH | FF_MODERN);
    fonts_.status = MakeFont(L"MS Sans Serif", -16, true);
    fonts_.picture = MakeFont(L"Arial", PointsToHeight(20), true);
  }
  ~Win32Toolkit() override {
    for (HFONT font : {fonts_.normal, fonts_.bold, fonts_.fixed, fonts_.status, fonts_.picture}) {
      DeleteObject(font);
    }
  }

  std::unique_ptr<Window> NewWindow(const WindowSpec& options) override {
    auto window = std::make_unique<Win32Window>(options, fonts_, main_);
    if (options.kind == WindowKind::kMain && main_ == nullptr) main_ = window->hwnd();
    return window;
  }

  int Run(Window& main) override {
    auto& window = dynamic_cast<Win32Window&>(main);
    window.ShowMain();
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      // The dialog manager gives Tab, access keys and Enter their meaning.
      HWND top = GetAncestor(message.hwnd, GA_ROOT);
      if (top == nullptr || !IsDialogMessageW(top, &message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
    return static_cast<int>(message.wParam);
  }

 private:
  Fonts fonts_;
  HWND main_ = nullptr;
};

}  // namespace

}  // namespace cratemark::ui::win32

namespace cratemark::ui {

std::unique_ptr<Toolkit> MakeWin32Toolkit() { return std::make_unique<win32::Win32Toolkit>(); }

}  // namespace cratemark::ui
