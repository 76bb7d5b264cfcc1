#include "ui/terminal/terminal_window.h"

#include <algorithm>
#include <chrono>

#include "platform/code_page.h"
#include "platform/local_time.h"
#include "platform/text.h"
#include "ui/clock_text.h"
#include "ui/terminal/terminal_toolkit.h"

namespace cratemark::ui::terminal {

namespace {

// Below this the console's pages cannot be drawn without losing controls.
constexpr int kMinCols = 80;
constexpr int kMinRows = 24;
constexpr int kPulseMs = 500;  // blink rhythm and clock
// A tab control's page lies inside its border and below its tabs.
constexpr int kPageInsetWidth = 8;
constexpr int kPageInsetHeight = 28;

constexpr char kKeyHelp[] = "F1-F3 page  Tab next  Alt+key button  F10 quit";
constexpr char kKeyHelpWithWindows[] = "F1-F3 page  Tab next  F6 window  F10 quit";

}  // namespace

// --- containers ---

template <typename T>
T& TerminalContainer::Place(std::unique_ptr<T> widget) {
  widget->PlaceOnPage(tab_, page_);
  widget->PlaceIn(id_);
  return root_.Keep(std::move(widget));
}

Label& TerminalContainer::AddLabel(Rect rect, std::string_view text, LabelStyle style) {
  return Place(std::make_unique<TerminalLabel>(root_, surface_, Offset(rect), text, style));
}

Container& TerminalContainer::Nest(Rect rect, std::string_view caption, bool is_panel) {
  FrameWidget& frame =
      Place(std::make_unique<FrameWidget>(root_, surface_, Offset(rect), caption, is_panel));
  const int inner = root_.NewContainerId();
  frame.SetInner(inner);
  return root_.KeepContainer(std::make_unique<TerminalContainer>(
      root_, surface_, left_ + rect.left, top_ + rect.top, tab_, page_, inner));
}

Container& TerminalContainer::AddFrame(Rect rect, std::string_view caption) {
  return Nest(rect, caption, false);
}

Container& TerminalContainer::AddPanel(Rect rect) { return Nest(rect, "", true); }

ListBox& TerminalContainer::AddListBox(Rect rect) {
  return Place(std::make_unique<TerminalListBox>(root_, surface_, Offset(rect)));
}

Edit& TerminalContainer::AddEdit(Rect rect) {
  return Place(std::make_unique<TerminalEdit>(root_, surface_, Offset(rect)));
}

Editor& TerminalContainer::AddEditor(Rect rect) {
  return Place(std::make_unique<TerminalEditor>(root_, surface_, Offset(rect)));
}

LogView& TerminalContainer::AddLogView(Rect rect) {
  return Place(std::make_unique<TerminalLogView>(root_, surface_, Offset(rect)));
}

Button& TerminalContainer::AddButton(Rect rect, std::string_view caption, bool is_default) {
  return Place(
      std::make_unique<TerminalButton>(root_, surface_, Offset(rect), caption, is_default));
}

Picture& TerminalContainer::AddPicture(Rect rect) {
  return Place(std::make_unique<TerminalPicture>(root_, surface_, Offset(rect)));
}

TabControl& TerminalContainer::AddTabControl(Rect rect) {
  return Place(std::make_unique<TabWidget>(root_, surface_, Offset(rect)));
}

// --- tab control ---

Container& TabWidget::AddPage(std::string_view caption) {
  captions_.emplace_back(caption);
  surfaces_.push_back(std::make_unique<Surface>());
  return root_.KeepContainer(std::make_unique<TerminalContainer>(
      root_, *surfaces_.back(), 0, 0, this, static_cast<int>(captions_.size()) - 1,
      root_.NewContainerId()));
}

std::string TabWidget::PageCaption(int index) const {
  if (index < 0 || index >= PageCount()) return {};
  return captions_[index];
}

void TabWidget::SetActivePage(int index) {
  if (index >= 0 && index < PageCount()) active_ = index;
}

void TabWidget::SwitchByUser(int index) {
  if (index < 0 || index >= PageCount() || index == active_) return;
  active_ = index;
  if (on_change_) on_change_();
}

void TabWidget::LayoutPages() {
  for (std::unique_ptr<Surface>& surface : surfaces_) {
    surface->cells = {box_.row + 1, box_.col, std::max(box_.rows - 1, 1), box_.cols};
    surface->pixel_width = std::max(pixels_.width - kPageInsetWidth, 1);
    surface->pixel_height = std::max(pixels_.height - kPageInsetHeight, 1);
  }
}

void TabWidget::Paint(Canvas& canvas, bool focused) {
  caption_cols_.clear();
  int col = box_.col;
  for (int i = 0; i < PageCount(); ++i) {
    const std::string text = " " + captions_[i] + " ";
    const int width = CharCount(text);
    unsigned look = i == active_ ? kReverse | kBold : unsigned{kPlain};
    if (focused && i == active_) look |= kUnderline;
    canvas.Text(box_.row, col, text, box_.right() - col, look);
    if (focused && i == active_) canvas.PlaceCursor(box_.row, col + 1);
    caption_cols_.emplace_back(col, col + width);
    col += width;
    if (i + 1 < PageCount()) {
      canvas.Text(box_.row, col, "|", 1, kDim);
      ++col;
    }
  }
}

bool TabWidget::OnKey(const Key& key) {
  if (key.name == KeyName::kLeft) {
    SwitchByUser(active_ - 1);
    return true;
  }
  if (key.name == KeyName::kRight) {
    SwitchByUser(active_ + 1);
    return true;
  }
  return false;
}

void TabWidget::OnMouse(const Mouse& mouse) {
  if (mouse.row != box_.row) return;
  for (int i = 0; i < static_cast<int>(caption_cols_.size()); ++i) {
    if (mouse.col >= caption_cols_[i].first && mouse.col < caption_cols_[i].second) {
      TakeFocus();
      SwitchByUser(i);
      return;
    }
  }
}

// --- windows ---

TerminalWindow::TerminalWindow(TerminalToolkit& toolkit, const WindowSpec& options)
    : TerminalContainer(*this, surface_, 0, 0, nullptr, 0, 0),
      toolkit_(toolkit),
      options_(options) {}

TerminalWindow::~TerminalWindow() { toolkit_.Forget(this); }

Container& TerminalWindow::KeepContainer(std::unique_ptr<TerminalContainer> container) {
  containers_.push_back(std::move(container));
  return *containers_.back();
}

BlinkLabel& TerminalWindow::AddStatusBar(int height, int /*clock_width*/) {
  status_height_ = height;
  status_ = std::make_unique<TerminalBlinkLabel>();
  return *status_;
}

Timer& TerminalWindow::AddTimer(int interval_ms, Handler handler) {
  timers_.push_back(std::make_unique<TerminalTimer>(interval_ms, std::move(handler)));
  return *timers_.back();
}

void TerminalWindow::Open() {
  is_closed_ = false;
  if (on_show_) on_show_();
  focus_ = nullptr;
  for (const std::unique_ptr<Widget>& widget : widgets_) {
    auto* button = dynamic_cast<TerminalButton*>(widget.get());
    if (button != nullptr && button->is_default() && widget->IsShown()) focus_ = widget.get();
  }
  if (focus_ == nullptr) MoveFocus(1);
}

void TerminalWindow::ShowModal() {
  Open();
  is_modal_open_ = true;
  toolkit_.PushLayer(this, nullptr);
  toolkit_.RunUntil([this] { return is_closed_; });
  toolkit_.PopLayer();
  is_modal_open_ = false;
}

void TerminalWindow::Show() {
  if (!is_modeless()) return;
  if (!is_modeless_shown_) Open();
  is_modeless_shown_ = true;
  toolkit_.ShowModeless(this);
}

void TerminalWindow::Hide() {
  is_modeless_shown_ = false;
  toolkit_.HideModeless(this);
}

bool TerminalWindow::IsShown() const {
  switch (options_.kind) {
    case WindowKind::kMain:
      return !is_closed_;
    case WindowKind::kTool:
      return is_modal_open_;
    case WindowKind::kModeless:
      return is_modeless_shown_;
  }
  return false;
}

int TerminalWindow::WantedCols() const { return std::max(40, options_.client_width / 8) + 2; }

int TerminalWindow::WantedRows() const { return std::max(8, options_.client_height / 16) + 2; }

MessageAnswer TerminalWindow::ShowMessage(const MessageBoxSpec& options) {
  MessageLayer layer(options);
  toolkit_.PushLayer(nullptr, &layer);
  toolkit_.RunUntil([&layer] { return layer.answer().has_value(); });
  toolkit_.PopLayer();
  return layer.answer().value_or(layer.SafeAnswer());
}

void TerminalWindow::Layout(const CellBox& area) {
  if (is_main()) {
    frame_ = area;
    // The status bar takes two lines: the hint line and the status line.
    const int status_rows = status_ ? 2 : 0;
    surface_.cells = {area.row, area.col, std::max(area.rows - status_rows, 1), area.cols};
    surface_.pixel_width = options_.client_width;
    surface_.pixel_height = options_.client_height - status_height_;
  } else if (is_modeless()) {
    // The toolkit gives it its place, border included.
    frame_ = area;
    surface_.cells = {frame_.row + 1, frame_.col + 1, std::max(frame_.rows - 2, 1),
                      std::max(frame_.cols - 2, 1)};
    surface_.pixel_width = options_.client_width;
    surface_.pixel_height = options_.client_height;
  } else {
    const int cols = std::min(area.cols - 4, std::max(40, options_.client_width / 8));
    const int rows = std::min(area.rows - 4, std::max(8, options_.client_height / 16));
    frame_ = {area.row + (area.rows - rows - 2) / 2, area.col + (area.cols - cols - 2) / 2,
              rows + 2, cols + 2};
    surface_.cells = {frame_.row + 1, frame_.col + 1, rows, cols};
    surface_.pixel_width = options_.client_width;
    surface_.pixel_height = options_.client_height;
  }
  for (const std::unique_ptr<Widget>& widget : widgets_) {
    widget->Layout();
    if (auto* tab = dynamic_cast<TabWidget*>(widget.get())) tab->LayoutPages();
  }
  SeparateNeighbours();
  FitFrames();
  ComputeRunOn();
}

void TerminalWindow::SeparateNeighbours() {
  // Rounding may put two controls that lie one under the other on one row;
  // the later one then starts below the earlier one.
  for (size_t i = 0; i < widgets_.size(); ++i) {
    Widget& later = *widgets_[i];
    for (size_t j = 0; j < i; ++j) {
      const Widget& earlier = *widgets_[j];
      if (earlier.container() != later.container()) continue;
      const Rect& a = earlier.pixels();
      const Rect& b = later.pixels();
      const bool pixels_meet = a.left < b.left + b.width && b.left < a.left + a.width &&
                               a.top < b.top + b.height && b.top < a.top + a.height;
      const bool pixels_stacked =
          a.top + a.height <= b.top && a.left < b.left + b.width && b.left < a.left + a.width;
      const CellBox& x = earlier.box();
      const CellBox& y = later.box();
      const bool cells_meet =
          x.row < y.bottom() && y.row < x.bottom() && x.col < y.right() && y.col < x.right();
      if (!pixels_meet && pixels_stacked && cells_meet) later.PushDownTo(x.bottom());
    }
  }
}

void TerminalWindow::FitFrames() {
  for (const std::unique_ptr<Widget>& widget : widgets_) {
    auto* frame = dynamic_cast<FrameWidget*>(widget.get());
    if (frame == nullptr) continue;
    const CellBox& edge = frame->box();
    const CellBox inside{edge.row + 1, edge.col + 1, edge.rows - 2, edge.cols - 2};
    bool fits = true;
    for (const std::unique_ptr<Widget>& child : widgets_) {
      if (child->container() != frame->inner()) continue;
      const CellBox& box = child->box();
      if (box.row < inside.row || box.col < inside.col || box.bottom() > inside.bottom() ||
          box.right() > inside.right()) {
        fits = false;
      }
    }
    frame->SetBorderShown(fits);
  }
}

void TerminalWindow::ComputeRunOn() {
  for (const std::unique_ptr<Widget>& label : widgets_) {
    if (!label->MayRunOn()) continue;
    const CellBox& own = label->box();
    int room = label->surface().cells.right() - own.col;
    for (const std::unique_ptr<Widget>& other : widgets_) {
      if (other == label || &other->surface() != &label->surface() ||
          other->page_index() != label->page_index()) {
        continue;
      }
      const CellBox& box = other->box();
      const bool rows_meet = box.row < own.bottom() && own.row < box.bottom();
      if (box.Contains(own.row, own.col)) {
        room = std::min(room, box.right() - 1 - own.col);  // the frame it sits in
      } else if (rows_meet && box.col > own.col) {
        room = std::min(room, box.col - 1 - own.col);
      }
    }
    label->SetRunOnCols(std::max(room, own.cols));
  }
}

void TerminalWindow::RepairFocus() {
  // A control that a page switch hid gives the focus back to the chain.
  if (FocusedShown() == nullptr) MoveFocus(1);
}

Widget* TerminalWindow::FocusedShown() const {
  return focus_ != nullptr && focus_->IsShown() ? focus_ : nullptr;
}

void TerminalWindow::MoveFocus(int step) {
  std::vector<Widget*> chain;
  for (const std::unique_ptr<Widget>& widget : widgets_) {
    if (widget->IsFocusable() && widget->IsShown()) chain.push_back(widget.get());
  }
  if (chain.empty()) {
    focus_ = nullptr;
    return;
  }
  auto at = std::find(chain.begin(), chain.end(), FocusedShown());
  if (at == chain.end()) {
    focus_ = step > 0 ? chain.front() : chain.back();
    return;
  }
  const int count = static_cast<int>(chain.size());
  const int index = static_cast<int>(at - chain.begin());
  focus_ = chain[static_cast<size_t>(((index + step) % count + count) % count)];
}

void TerminalWindow::Paint(Canvas& canvas, bool is_active) {
  if (is_main()) {
    canvas.Fill(frame_, kPlain);
    // The title at the right of the tab line, where the tabs leave room.
    const int width = CharCount(options_.title);
    if (width + 2 < frame_.cols) {
      canvas.Text(frame_.row, frame_.right() - width - 1, options_.title, width, kBold | kDim);
    }
  } else {
    canvas.Fill(frame_, kPlain);
    canvas.Border(frame_, kBold);
    if (!options_.title.empty()) {
      canvas.Text(frame_.row, frame_.col + 2, " " + options_.title + " ", frame_.cols - 4, kBold);
    }
  }
  for (const std::unique_ptr<Widget>& widget : widgets_) {
    if (widget->IsShown()) widget->Paint(canvas, is_active && widget.get() == focus_);
  }
  if (is_main() && status_) {
    const int hint_row = frame_.bottom() - 2;
    const int status_row = frame_.bottom() - 1;
    const std::string hint = focus_ != nullptr ? focus_->HintLine() : "";
    canvas.Fill({hint_row, frame_.col, 1, frame_.cols}, kDim);
    const char* help = toolkit_.HasModeless() ? kKeyHelpWithWindows : kKeyHelp;
    const int help_width = CharCount(help);
    const int hint_width = CharCount(hint);
    canvas.Text(hint_row, frame_.col + 1, hint, frame_.cols - 2, kBold);
    if (hint_width + help_width + 4 <= frame_.cols) {
      canvas.Text(hint_row, frame_.right() - help_width - 1, help, help_width, kDim);
    }
    const std::string clock = ClockText(NowLocal());
    const int clock_width = CharCount(clock);
    const int clock_col = frame_.right() - clock_width - 1;
    canvas.Fill({status_row, frame_.col, 1, frame_.cols}, kReverse);
    canvas.Text(status_row, clock_col, clock, clock_width, kReverse);
    if (status_->IsVisible() && (!status_->IsBlinking() || IsBlinkLit())) {
      canvas.Text(status_row, frame_.col + 1, status_->Text(), clock_col - frame_.col - 2,
                  kReverse | kAlert | kBold);
    }
  }
}

void TerminalWindow::OnKey(const Key& key) {
  TabWidget* tabs = nullptr;
  for (const std::unique_ptr<Widget>& widget : widgets_) {
    if ((tabs = dynamic_cast<TabWidget*>(widget.get())) != nullptr) break;
  }
  auto switch_page = [&](int index) {
    if (tabs == nullptr || index < 0 || index >= tabs->PageCount()) return;
    tabs->SwitchByUser(index);
    // The keyboard goes on in the page it chose.
    for (const std::unique_ptr<Widget>& widget : widgets_) {
      if (widget->tab() == tabs && widget->IsFocusable() && widget->IsShown()) {
        focus_ = widget.get();
        break;
      }
    }
  };
  if (is_main()) {
    if (key.name == KeyName::kFunction && key.number == 10) return Close();
    if (key.name == KeyName::kFunction && tabs != nullptr && key.number >= 1 &&
        key.number <= tabs->PageCount()) {
      return switch_page(key.number - 1);
    }
    if (tabs != nullptr && key.name == KeyName::kPageNext) {
      return switch_page((tabs->ActivePage() + 1) % tabs->PageCount());
    }
    if (tabs != nullptr && key.name == KeyName::kPagePrior) {
      return switch_page((tabs->ActivePage() + tabs->PageCount() - 1) % tabs->PageCount());
    }
  }
  Widget* focused = FocusedShown();
  auto press_access_key = [&](char32_t ch) {
    const char32_t wanted = UpperCaseChar(ch);
    for (const std::unique_ptr<Widget>& widget : widgets_) {
      if (widget->IsShown() && widget->AccessKey() != 0 && widget->AccessKey() == wanted) {
        focus_ = widget.get();
        widget->Press();
        return true;
      }
    }
    return false;
  };
  if (key.name == KeyName::kChar && key.alt) {
    press_access_key(key.ch);
    return;
  }
  if (focused != nullptr && focused->OnKey(key)) return;
  switch (key.name) {
    case KeyName::kTab:
      return MoveFocus(1);
    case KeyName::kBackTab:
      return MoveFocus(-1);
    case KeyName::kEnter:
      for (const std::unique_ptr<Widget>& widget : widgets_) {
        auto* button = dynamic_cast<TerminalButton*>(widget.get());
        if (button != nullptr && button->is_default() && widget->IsShown()) return button->Press();
      }
      return;
    case KeyName::kEscape:
      if (is_modeless()) return Hide();
      if (!is_main()) Close();
      return;
    case KeyName::kChar:
      // As in a dialog, a control that takes no typing lets a plain letter
      // work as an access key.
      press_access_key(key.ch);
      return;
    default:
      return;
  }
}

void TerminalWindow::OnMouse(const Mouse& mouse) {
  for (auto at = widgets_.rbegin(); at != widgets_.rend(); ++at) {
    Widget& widget = **at;
    if (!widget.IsShown() || !widget.box().Contains(mouse.row, mouse.col)) continue;
    if (dynamic_cast<FrameWidget*>(&widget) != nullptr) continue;  // frames pass clicks on
    if (dynamic_cast<TerminalLabel*>(&widget) != nullptr) continue;
    widget.OnMouse(mouse);
    return;
  }
}

// --- message boxes ---

MessageLayer::MessageLayer(const MessageBoxSpec& options) : options_(options) {
  if (options.buttons == MessageButtons::kYesNo) {
    answers_ = {MessageAnswer::kYes, MessageAnswer::kNo};
    captions_ = {ParseCaption("&Yes"), ParseCaption("&No")};
  } else {
    answers_ = {MessageAnswer::kOk};
    captions_ = {ParseCaption("OK")};
  }
  focused_ = std::clamp(options.default_button, 0, static_cast<int>(answers_.size()) - 1);
}

MessageAnswer MessageLayer::SafeAnswer() const {
  return options_.buttons == MessageButtons::kYesNo ? MessageAnswer::kNo : MessageAnswer::kOk;
}

void MessageLayer::Paint(Canvas& canvas) {
  const int wrap_width = std::max(10, std::min(canvas.Cols() - 8, 64));
  std::vector<std::u32string> lines;
  std::u32string paragraph;
  const std::u32string text = Utf8ToCodePoints(options_.text);
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == U'\n') {
      if (!paragraph.empty() && paragraph.back() == U'\r') paragraph.pop_back();
      std::vector<std::u32string> wrapped = WrapWords(paragraph, wrap_width);
      if (wrapped.empty()) wrapped.emplace_back();
      lines.insert(lines.end(), wrapped.begin(), wrapped.end());
      paragraph.clear();
    } else {
      paragraph += text[i];
    }
  }
  int buttons_width = 0;
  for (const Caption& caption : captions_) buttons_width += CharCount(caption.text) + 6;
  int width = std::max(buttons_width, CharCount(options_.caption) + 4);
  for (const std::u32string& line : lines) width = std::max(width, static_cast<int>(line.size()));
  width = std::min(width + 4, canvas.Cols() - 2);
  const int height = std::min(static_cast<int>(lines.size()) + 6, canvas.Rows() - 2);
  const CellBox box{(canvas.Rows() - height) / 2, (canvas.Cols() - width) / 2, height, width};
  const unsigned frame_look =
      options_.icon == MessageIcon::kError ? kAlert | kBold : unsigned{kBold};
  canvas.Fill(box, kPanel);
  canvas.Border(box, frame_look);
  if (!options_.caption.empty()) {
    canvas.Text(box.row, box.col + 2, " " + options_.caption + " ", box.cols - 4, kBold);
  }
  for (int i = 0; i < static_cast<int>(lines.size()) && 2 + i < box.rows - 3; ++i) {
    canvas.Chars(box.row + 2 + i, box.col + 2, lines[i], box.cols - 4, kPanel);
  }
  button_boxes_.clear();
  const int row = box.bottom() - 2;
  int col = box.col + (box.cols - buttons_width) / 2 + 1;
  for (int i = 0; i < static_cast<int>(captions_.size()); ++i) {
    const Caption& caption = captions_[i];
    const std::string label = "[ " + caption.text + " ]";
    const int label_width = CharCount(label);
    const unsigned look = i == focused_ ? kReverse | kBold : unsigned{kPanel};
    canvas.Text(row, col, label, label_width, look);
    if (caption.key_index >= 0) {
      const std::u32string chars = Utf8ToCodePoints(caption.text);
      canvas.Chars(row, col + 2 + caption.key_index,
                   std::u32string_view(&chars[caption.key_index], 1), 1, look | kUnderline);
    }
    if (i == focused_) canvas.PlaceCursor(row, col + 2);
    button_boxes_.push_back({row, col, 1, label_width});
    col += label_width + 4;
  }
}

void MessageLayer::OnKey(const Key& key) {
  const int count = static_cast<int>(answers_.size());
  switch (key.name) {
    case KeyName::kLeft:
    case KeyName::kBackTab:
      focused_ = (focused_ + count - 1) % count;
      return;
    case KeyName::kRight:
    case KeyName::kTab:
      focused_ = (focused_ + 1) % count;
      return;
    case KeyName::kEnter:
      answer_ = answers_[focused_];
      return;
    case KeyName::kEscape:
      // Only a box with a single button may be dismissed; Yes or No must be chosen.
      if (count == 1) answer_ = answers_[0];
      return;
    case KeyName::kChar: {
      if (key.ch == U' ') {
        answer_ = answers_[focused_];
        return;
      }
      const char32_t wanted = UpperCaseChar(key.ch);
      for (int i = 0; i < count; ++i) {
        if (captions_[i].key != 0 && captions_[i].key == wanted) answer_ = answers_[i];
      }
      return;
    }
    default:
      return;
  }
}

void MessageLayer::OnMouse(const Mouse& mouse) {
  if (mouse.kind != MouseKind::kClick && mouse.kind != MouseKind::kDoubleClick) return;
  for (int i = 0; i < static_cast<int>(button_boxes_.size()); ++i) {
    if (button_boxes_[i].Contains(mouse.row, mouse.col)) answer_ = answers_[i];
  }
}

// --- toolkit and event loop ---

TerminalToolkit::TerminalToolkit() : screen_(OpenCursesScreen()) {}

TerminalToolkit::~TerminalToolkit() = default;

std::unique_ptr<Window> TerminalToolkit::NewWindow(const WindowSpec& options) {
  auto window = std::make_unique<TerminalWindow>(*this, options);
  windows_.push_back(window.get());
  if (options.kind == WindowKind::kMain && main_ == nullptr) main_ = window.get();
  return window;
}

void TerminalToolkit::Forget(TerminalWindow* window) {
  std::erase(windows_, window);
  std::erase_if(layers_, [window](const Layer& layer) { return layer.window == window; });
  HideModeless(window);
  if (main_ == window) main_ = nullptr;
}

int TerminalToolkit::Run(Window& main) {
  auto& window = dynamic_cast<TerminalWindow&>(main);
  window.Open();
  PushLayer(&window, nullptr);
  RunUntil([&window] { return window.is_closed(); });
  PopLayer();
  return 0;
}

void TerminalToolkit::ShowModeless(TerminalWindow* window) {
  if (std::find(modeless_.begin(), modeless_.end(), window) == modeless_.end()) {
    modeless_.push_back(window);
  }
}

void TerminalToolkit::HideModeless(TerminalWindow* window) {
  std::erase(modeless_, window);
  if (keyboard_ == window) keyboard_ = nullptr;
}

void TerminalToolkit::PushLayer(TerminalWindow* window, MessageLayer* message) {
  layers_.push_back({window, message});
}

void TerminalToolkit::PopLayer() {
  if (!layers_.empty()) layers_.pop_back();
}

void TerminalToolkit::RunUntil(const std::function<bool()>& done) {
  while (!done() && !IsStopRequested()) {
    PaintAll();
    Dispatch(screen_->Wait(MillisecondsToNextWake()));
    FireTimers();
  }
}

bool TerminalToolkit::IsTooSmall() const {
  return screen_->Cols() < kMinCols || screen_->Rows() < kMinRows;
}

void TerminalToolkit::PaintAll() {
  screen_->BeginPaint();
  const int rows = screen_->Rows();
  const int cols = screen_->Cols();
  if (IsTooSmall()) {
    const std::string text =
        "The terminal is too small for Cratemark: it needs at least " + std::to_string(kMinCols) +
        " x " + std::to_string(kMinRows) + " characters and has " + std::to_string(cols) + " x " +
        std::to_string(rows) + ". Make the window larger, or press F10 to quit.";
    int row = 0;
    for (const std::u32string& line : WrapWords(Utf8ToCodePoints(text), std::max(cols - 2, 1))) {
      if (row >= rows) break;
      screen_->Chars(row++, 1, line, cols - 1, kBold);
    }
    screen_->Show();
    return;
  }
  const CellBox area{0, 0, rows, cols};
  for (const Layer& layer : layers_) {
    if (layer.window != nullptr) layer.window->RepairFocus();
  }
  for (TerminalWindow* window : modeless_) window->RepairFocus();
  const bool is_main_on_top = !layers_.empty() && layers_.back().window == main_;
  // Beside the main window when both fit, else over its right part.
  CellBox main_area = area;
  std::vector<CellBox> modeless_areas;
  for (TerminalWindow* window : modeless_) {
    const int width = std::min(window->WantedCols(), cols);
    if (main_area.cols - width >= kMinCols) {
      main_area.cols -= width;
      modeless_areas.push_back({0, main_area.right(), rows, width});
    } else {
      const int height = std::min(window->WantedRows(), rows - 2);
      modeless_areas.push_back({1, cols - width, height, width});
    }
  }
  if (main_ != nullptr) {
    main_->Layout(main_area);
    main_->Paint(*screen_, is_main_on_top && keyboard_ == nullptr);
  }
  for (size_t i = 0; i < modeless_.size(); ++i) {
    modeless_[i]->Layout(modeless_areas[i]);
    modeless_[i]->Paint(*screen_, is_main_on_top && keyboard_ == modeless_[i]);
  }
  for (const Layer& layer : layers_) {
    if (layer.window != nullptr && layer.window != main_) {
      layer.window->Layout(area);
      layer.window->Paint(*screen_, &layer == &layers_.back());
    }
    if (layer.message != nullptr) layer.message->Paint(*screen_);
  }
  screen_->Show();
}

void TerminalToolkit::Dispatch(const Event& event) {
  if (layers_.empty()) return;
  const Layer top = layers_.back();
  switch (event.kind) {
    case Event::Kind::kKey:
      if (IsTooSmall()) {
        // F10 quits from here even with a box open: the box cannot be seen.
        if (event.key.name == KeyName::kFunction && event.key.number == 10) is_quitting_ = true;
        return;
      }
      if (top.message != nullptr) return top.message->OnKey(event.key);
      if (top.window == main_ && !modeless_.empty()) {
        const Key& key = event.key;
        if (key.name == KeyName::kFunction && key.number == 6) {
          // F6: the next window in turn takes the keyboard.
          auto at = std::find(modeless_.begin(), modeless_.end(), keyboard_);
          keyboard_ = at == modeless_.end()       ? modeless_.front()
                      : at + 1 == modeless_.end() ? nullptr
                                                  : *(at + 1);
          return;
        }
        if (keyboard_ != nullptr && key.name != KeyName::kFunction) {
          return keyboard_->OnKey(key);
        }
        keyboard_ = nullptr;  // the page keys and F10 belong to the main window
      }
      if (top.window != nullptr) top.window->OnKey(event.key);
      return;
    case Event::Kind::kMouse:
      if (IsTooSmall()) return;
      if (top.message != nullptr) return top.message->OnMouse(event.mouse);
      if (top.window == main_) {
        // A click chooses the window the keyboard goes to.
        keyboard_ = nullptr;
        for (auto at = modeless_.rbegin(); at != modeless_.rend(); ++at) {
          if ((*at)->frame().Contains(event.mouse.row, event.mouse.col)) {
            keyboard_ = *at;
            return keyboard_->OnMouse(event.mouse);
          }
        }
      }
      if (top.window != nullptr) top.window->OnMouse(event.mouse);
      return;
    default:
      return;  // a new size is painted by the next round
  }
}

void TerminalToolkit::FireTimers() {
  const auto now = TerminalTimer::Clock::now();
  // A handler may open a window, which changes the list: walk a copy.
  const std::vector<TerminalWindow*> windows = windows_;
  for (TerminalWindow* window : windows) {
    if (std::find(windows_.begin(), windows_.end(), window) == windows_.end()) continue;
    for (std::unique_ptr<TerminalTimer>& timer : window->timers()) timer->FireIfDue(now);
  }
}

int TerminalToolkit::MillisecondsToNextWake() const {
  using namespace std::chrono;
  const auto now = TerminalTimer::Clock::now();
  const auto since_epoch = duration_cast<milliseconds>(now.time_since_epoch()).count();
  long long wait = kPulseMs - since_epoch % kPulseMs;  // the next blink and clock step
  for (TerminalWindow* window : windows_) {
    for (const std::unique_ptr<TerminalTimer>& timer : window->timers()) {
      if (!timer->IsEnabled()) continue;
      wait = std::min<long long>(wait, duration_cast<milliseconds>(timer->due() - now).count());
    }
  }
  return static_cast<int>(std::clamp<long long>(wait, 0, kPulseMs));
}

}  // namespace cratemark::ui::terminal

namespace cratemark::ui {

std::unique_ptr<Toolkit> MakeTerminalToolkit() {
  return std::make_unique<terminal::TerminalToolkit>();
}

}  // namespace cratemark::ui
