// The headless toolkit's controls, windows and clock.
#include "ui/headless/headless_toolkit.h"

#include <algorithm>

#include "platform/code_page.h"
#include "platform/local_time.h"
#include "platform/text.h"
#include "ui/blink_rhythm.h"
#include "ui/clock_text.h"

namespace cratemark::ui::headless {

// --- list box ---

void HeadlessListBox::Clear() {
  items_.clear();
  selected_ = kNoSelection;
}

void HeadlessListBox::Add(std::string_view item) {
  if (!style_.sorted) {
    items_.emplace_back(item);
    return;
  }
  // After every item that sorts before or equal to it, as a sorted list box
  // places a new item.
  std::string key = ToUpper(item);
  auto at = std::find_if(items_.begin(), items_.end(),
                         [&](const std::string& existing) { return ToUpper(existing) > key; });
  int index = static_cast<int>(at - items_.begin());
  items_.insert(at, std::string(item));
  if (selected_ != kNoSelection && selected_ >= index) ++selected_;
}

std::string HeadlessListBox::Item(int index) const {
  if (index < 0 || index >= Count()) return {};
  return items_[index];
}

void HeadlessListBox::Select(int index) {
  selected_ = (index >= 0 && index < Count()) ? index : kNoSelection;
}

void HeadlessListBox::Click(int index) {
  const int before = selected_;
  Select(index);
  if (selected_ != before && on_select_) on_select_();
}

void HeadlessListBox::DoubleClick(int index) {
  Click(index);
  if (on_double_click_) on_double_click_();
}

void HeadlessListBox::DoubleClickEmptyArea() {
  if (on_double_click_) on_double_click_();
}

// --- editor ---

void HeadlessEditor::SetText(std::string_view text) {
  field_.SetText(text);
  Changed();
}

void HeadlessEditor::Changed() {
  if (on_change_) on_change_();
}

void HeadlessEditor::ReplaceLine(int index, std::string_view text) {
  if (index < 0 || index >= LineCount()) return;
  field_.ReplaceLine(index, text);
  Changed();
}

void HeadlessEditor::Type(std::string_view text) {
  field_.Type(Utf8ToCodePoints(text));
  Changed();
}

void HeadlessEditor::SelectRange(TextPosition from, TextPosition to) {
  field_.MoveTo(from, false);
  field_.MoveTo(to, true);
}

// --- log view ---

int HeadlessLogView::LastLine() const {
  int breaks = 0;
  for (std::size_t at = text_.find("\r\n"); at != std::string::npos;
       at = text_.find("\r\n", at + 2)) {
    ++breaks;
  }
  // A final break shows no empty line of its own.
  const int lines = breaks + (text_.empty() || text_.ends_with("\r\n") ? 0 : 1);
  return std::max(0, lines - 1);
}

void HeadlessLogView::ScrollTo(int line) {
  top_line_ = std::clamp(line, 0, LastLine());
  is_following_ = top_line_ == LastLine();
}

void HeadlessLogView::FollowIfFollowing() {
  if (is_following_) top_line_ = LastLine();
}

void HeadlessLogView::SetText(std::string_view text) {
  text_ = text;
  is_following_ = true;
  FollowIfFollowing();
  ++set_text_count_;
}

void HeadlessLogView::AppendText(std::string_view text) {
  text_ += text;
  FollowIfFollowing();
  ++append_text_count_;
}

void HeadlessLogView::AppendLine(std::string_view line) {
  if (!text_.empty() && !text_.ends_with("\r\n")) text_ += "\r\n";
  text_ += line;
  text_ += "\r\n";
  is_following_ = true;
  FollowIfFollowing();
}

// --- buttons, picture, blink label ---

void HeadlessButton::Click() {
  if (on_click_) on_click_();
}

void HeadlessPicture::DoubleClick() {
  if (on_double_click_) on_double_click_();
}

void HeadlessTimer::SetEnabled(bool enabled) {
  if (enabled && !enabled_ && toolkit != nullptr) due_ms = toolkit->now_ms() + interval_ms_;
  enabled_ = enabled;
}

bool HeadlessBlinkLabel::IsLit() const { return !blinking_ || IsBlinkLit(toolkit_.now_ms()); }

// --- tab control ---

HeadlessTabControl::~HeadlessTabControl() = default;

Container& HeadlessTabControl::AddPage(std::string_view caption) {
  captions_.emplace_back(caption);
  pages_.push_back(std::make_unique<HeadlessContainer>(toolkit_));
  return *pages_.back();
}

std::string HeadlessTabControl::PageCaption(int index) const {
  if (index < 0 || index >= PageCount()) return {};
  return captions_[index];
}

void HeadlessTabControl::ClickPage(int index) {
  if (index == active_ || index < 0 || index >= PageCount()) return;
  active_ = index;
  if (on_change_) on_change_();
}

void HeadlessTabControl::ClickPage(std::string_view caption) {
  auto at = std::find(captions_.begin(), captions_.end(), caption);
  ClickPage(static_cast<int>(at - captions_.begin()));
}

// --- containers and windows ---

Label& HeadlessContainer::AddLabel(Rect, std::string_view text, LabelStyle style) {
  return Keep(std::make_unique<HeadlessLabel>(text, style));
}
Container& HeadlessContainer::AddFrame(Rect, std::string_view) {
  return Keep(std::make_unique<HeadlessContainer>(toolkit_));
}
Container& HeadlessContainer::AddPanel(Rect) {
  return Keep(std::make_unique<HeadlessContainer>(toolkit_));
}
ListBox& HeadlessContainer::AddListBox(Rect, ListBoxStyle style) {
  return Keep(std::make_unique<HeadlessListBox>(style));
}
Edit& HeadlessContainer::AddEdit(Rect) { return Keep(std::make_unique<HeadlessEdit>()); }
Editor& HeadlessContainer::AddEditor(Rect) { return Keep(std::make_unique<HeadlessEditor>()); }
LogView& HeadlessContainer::AddLogView(Rect) { return Keep(std::make_unique<HeadlessLogView>()); }
Button& HeadlessContainer::AddButton(Rect, std::string_view caption, bool is_default) {
  return Keep(std::make_unique<HeadlessButton>(caption, is_default));
}
CheckBox& HeadlessContainer::AddCheckBox(Rect, std::string_view caption) {
  return Keep(std::make_unique<HeadlessCheckBox>(caption));
}
Picture& HeadlessContainer::AddPicture(Rect) { return Keep(std::make_unique<HeadlessPicture>()); }
ImageView& HeadlessContainer::AddImageView(Rect) {
  return Keep(std::make_unique<HeadlessImageView>());
}
TabControl& HeadlessContainer::AddTabControl(Rect) {
  return Keep(std::make_unique<HeadlessTabControl>(toolkit_));
}

HeadlessWindow::HeadlessWindow(HeadlessToolkit& toolkit, WindowSpec options)
    : HeadlessContainer(toolkit), options_(std::move(options)) {
  toolkit.Register(this);
}

HeadlessWindow::~HeadlessWindow() { toolkit_.Unregister(this); }

BlinkLabel& HeadlessWindow::AddStatusBar(int, int) {
  has_status_bar_ = true;
  RefreshClock();
  return Keep(std::make_unique<HeadlessBlinkLabel>(toolkit_));
}

void HeadlessWindow::RefreshClock() {
  if (has_status_bar_) clock_text_ = ClockText(NowLocal());
}

Timer& HeadlessWindow::AddTimer(int interval_ms, Handler handler) {
  auto& timer = Keep(std::make_unique<HeadlessTimer>(interval_ms, std::move(handler)));
  toolkit_.Register(&timer, this);
  return timer;
}

void HeadlessWindow::ShowModal() {
  if (on_show_) on_show_();
  is_modal_open_ = true;
  toolkit_.RunModal(*this);
  is_modal_open_ = false;
}

void HeadlessWindow::Show() {
  if (on_show_) on_show_();
  is_shown_ = true;
  ++show_count_;
}

MessageAnswer HeadlessWindow::ShowMessage(const MessageBoxSpec& options) {
  return toolkit_.Answer(options);
}

NotificationArea& HeadlessWindow::AddNotificationArea(std::string_view tip) {
  notification_area_ = std::make_unique<HeadlessNotificationArea>();
  notification_area_->tip_ = tip;
  return *notification_area_;
}

// --- toolkit ---

std::unique_ptr<Window> HeadlessToolkit::NewWindow(const WindowSpec& options) {
  return std::make_unique<HeadlessWindow>(*this, options);
}

int HeadlessToolkit::Run(Window&) { return 0; }

MessageAnswer HeadlessToolkit::Answer(const MessageBoxSpec& options) {
  MessageAnswer answer;
  if (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
  } else if (options.buttons == MessageButtons::kYesNo) {
    answer = options.default_button == 0 ? MessageAnswer::kYes : MessageAnswer::kNo;
  } else {
    answer = MessageAnswer::kOk;
  }
  shown_.push_back({options, answer});
  return answer;
}

void HeadlessToolkit::RunModal(HeadlessWindow& window) {
  ++modal_count_;
  if (modal_action_) modal_action_(window);
}

void HeadlessToolkit::Register(HeadlessTimer* timer, const HeadlessWindow* owner) {
  timer->owner = owner;
  timer->toolkit = this;
  timer->due_ms = now_ms_ + timer->interval_ms();
  timers_.push_back(timer);
}

void HeadlessToolkit::Unregister(HeadlessWindow* window) {
  std::erase(windows_, window);
  // The window's timers die with it.
  std::erase_if(timers_, [&](HeadlessTimer* timer) { return timer->owner == window; });
}

void HeadlessToolkit::AdvanceMs(long long ms) {
  long long end = now_ms_ + ms;
  for (;;) {
    HeadlessTimer* next = nullptr;
    for (HeadlessTimer* timer : timers_) {
      if (timer->IsEnabled() && timer->due_ms <= end && (!next || timer->due_ms < next->due_ms)) {
        next = timer;
      }
    }
    if (!next) break;
    now_ms_ = next->due_ms;
    next->due_ms += next->interval_ms();
    for (HeadlessWindow* window : windows_) window->RefreshClock();
    next->Fire();
  }
  now_ms_ = end;
  for (HeadlessWindow* window : windows_) window->RefreshClock();
}

}  // namespace cratemark::ui::headless
