// A toolkit without a screen, for tests: controls hold their state in memory
// and a test acts on them as a user would (clicks, double clicks, typing,
// caret moves, page switches), answers message boxes from a script and
// advances a clock that drives the timers and the blink rhythm.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/text_field.h"
#include "ui/window.h"

namespace cratemark::ui::headless {

class HeadlessToolkit;

class ControlBase {
 public:
  void SetHintText(std::string_view hint) { hint_ = hint; }
  const std::string& hint() const { return hint_; }

 protected:
  std::string hint_;
  bool visible_ = true;
  bool focused_ = false;
};

#define CRATEMARK_HEADLESS_CONTROL_BASICS                             \
  void SetHint(std::string_view hint) override { SetHintText(hint); } \
  void SetVisible(bool visible) override { visible_ = visible; }      \
  bool IsVisible() const override { return visible_; }                \
  void SetFocus() override { focused_ = true; }                       \
  bool HasFocus() const { return focused_; }                          \
  void LoseFocus() { focused_ = false; }

class HeadlessLabel : public Label, public ControlBase {
 public:
  explicit HeadlessLabel(std::string_view text, LabelStyle style) : text_(text), style_(style) {}
  CRATEMARK_HEADLESS_CONTROL_BASICS
  void SetText(std::string_view text) override { text_ = text; }
  std::string Text() const override { return text_; }
  LabelStyle style() const { return style_; }

 private:
  std::string text_;
  LabelStyle style_;
};

class HeadlessEdit : public Edit, public ControlBase {
 public:
  CRATEMARK_HEADLESS_CONTROL_BASICS
  void SetText(std::string_view text) override { text_ = text; }
  std::string Text() const override { return text_; }
  void Type(std::string_view text) { text_ += text; }
  void ClearText() { text_.clear(); }

 private:
  std::string text_;
};

class HeadlessListBox : public ListBox, public ControlBase {
 public:
  explicit HeadlessListBox(ListBoxStyle style = {}) : style_(style) {}
  CRATEMARK_HEADLESS_CONTROL_BASICS
  void Clear() override;
  void Add(std::string_view item) override;
  int Count() const override { return static_cast<int>(items_.size()); }
  std::string Item(int index) const override;
  int Selected() const override { return selected_; }
  void Select(int index) override;
  void OnDoubleClick(Handler handler) override { on_double_click_ = std::move(handler); }
  void OnSelect(Handler handler) override { on_select_ = std::move(handler); }
  // User actions. A click on an item selects it; a double click on empty
  // space below the items leaves the selection as it is.
  void Click(int index);
  void DoubleClick(int index);
  void DoubleClickEmptyArea();
  const std::vector<std::string>& items() const { return items_; }

 private:
  std::vector<std::string> items_;
  int selected_ = kNoSelection;
  ListBoxStyle style_;
  Handler on_double_click_;
  Handler on_select_;
};

// The editing model the terminal's editor has too, so that tests type as a
// user does. Positions are counted in characters (code points).
class HeadlessEditor : public Editor, public ControlBase {
 public:
  CRATEMARK_HEADLESS_CONTROL_BASICS
  void SetText(std::string_view text) override;
  std::string Text() const override { return field_.Text(); }
  int LineCount() const override { return field_.LineCount(); }
  std::string Line(int index) const override { return field_.Line(index); }
  TextPosition SelectionStart() const override { return field_.SelectionStart(); }
  void ReplaceLine(int index, std::string_view text) override;
  void OnChange(Handler handler) override { on_change_ = std::move(handler); }
  // User actions. Typing replaces a selection, inserts at the caret (a line
  // break starts a new line) and leaves the caret after the inserted text.
  void MoveCaret(TextPosition position) { field_.MoveTo(position, false); }
  void Type(std::string_view text);
  void SelectRange(TextPosition from, TextPosition to);
  TextPosition Caret() const { return field_.Caret(); }
  bool HasSelection() const { return field_.HasSelection(); }

 private:
  void Changed();
  TextField field_{/*multi_line=*/true};
  Handler on_change_;
};

class HeadlessLogView : public LogView, public ControlBase {
 public:
  CRATEMARK_HEADLESS_CONTROL_BASICS
  void SetText(std::string_view text) override;
  std::string Text() const override { return text_; }
  void AppendLine(std::string_view line) override;
  void AppendText(std::string_view text) override;
  // The first line shown, as if one line fitted: the last line while the
  // view follows. The user scrolls with ScrollTo; the last line follows again.
  int TopLine() const { return top_line_; }
  void ScrollTo(int line);
  bool IsFollowing() const { return is_following_; }
  int LastLine() const;
  int SetTextCount() const { return set_text_count_; }
  int AppendTextCount() const { return append_text_count_; }

 private:
  void FollowIfFollowing();
  std::string text_;
  int top_line_ = 0;
  bool is_following_ = true;
  int set_text_count_ = 0;
  int append_text_count_ = 0;
};

class HeadlessButton : public Button, public ControlBase {
 public:
  HeadlessButton(std::string_view caption, bool is_default)
      : caption_(caption), is_default_(is_default) {}
  CRATEMARK_HEADLESS_CONTROL_BASICS
  void OnClick(Handler handler) override { on_click_ = std::move(handler); }
  void Click();
  const std::string& caption() const { return caption_; }
  bool is_default() const { return is_default_; }

 private:
  std::string caption_;
  bool is_default_;
  Handler on_click_;
};

class HeadlessCheckBox : public CheckBox, public ControlBase {
 public:
  explicit HeadlessCheckBox(std::string_view caption) : caption_(caption) {}
  CRATEMARK_HEADLESS_CONTROL_BASICS
  void SetChecked(bool checked) override { checked_ = checked; }
  bool IsChecked() const override { return checked_; }
  void OnClick(Handler handler) override { on_click_ = std::move(handler); }
  // The user ticks or clears it.
  void Click() {
    checked_ = !checked_;
    if (on_click_) on_click_();
  }
  const std::string& caption() const { return caption_; }

 private:
  std::string caption_;
  bool checked_ = false;
  Handler on_click_;
};

class HeadlessPicture : public Picture, public ControlBase {
 public:
  CRATEMARK_HEADLESS_CONTROL_BASICS
  void OnDoubleClick(Handler handler) override { on_double_click_ = std::move(handler); }
  void DoubleClick();

 private:
  Handler on_double_click_;
};

class HeadlessImageView : public ImageView, public ControlBase {
 public:
  CRATEMARK_HEADLESS_CONTROL_BASICS
  void SetImage(MonoImage image) override { image_ = std::move(image); }
  const MonoImage& image() const { return image_; }

 private:
  MonoImage image_;
};

class HeadlessBlinkLabel : public BlinkLabel, public ControlBase {
 public:
  explicit HeadlessBlinkLabel(const HeadlessToolkit& toolkit) : toolkit_(toolkit) {}
  CRATEMARK_HEADLESS_CONTROL_BASICS
  void SetText(std::string_view text) override { text_ = text; }
  std::string Text() const override { return text_; }
  void SetBlinking(bool blinking) override { blinking_ = blinking; }
  bool IsBlinking() const override { return blinking_; }
  // Whether the text shows in its own colour now (off phases of the blink
  // show it in the status bar's colour).
  bool IsLit() const;

 private:
  const HeadlessToolkit& toolkit_;
  std::string text_;
  bool blinking_ = false;
};

class HeadlessTimer : public Timer {
 public:
  HeadlessTimer(int interval_ms, Handler handler)
      : interval_ms_(interval_ms), handler_(std::move(handler)) {}
  void SetEnabled(bool enabled) override;
  bool IsEnabled() const override { return enabled_; }
  int interval_ms() const { return interval_ms_; }
  void Fire() { handler_(); }
  long long due_ms = 0;
  const void* owner = nullptr;
  const HeadlessToolkit* toolkit = nullptr;

 private:
  int interval_ms_;
  Handler handler_;
  bool enabled_ = true;
};

class HeadlessContainer;
class HeadlessWindow;

class HeadlessTabControl : public TabControl, public ControlBase {
 public:
  explicit HeadlessTabControl(HeadlessToolkit& toolkit) : toolkit_(toolkit) {}
  ~HeadlessTabControl() override;
  CRATEMARK_HEADLESS_CONTROL_BASICS
  Container& AddPage(std::string_view caption) override;
  int ActivePage() const override { return active_; }
  std::string PageCaption(int index) const override;
  void SetActivePage(int index) override { active_ = index; }
  void OnChange(Handler handler) override { on_change_ = std::move(handler); }
  // The user clicks a page's tab.
  void ClickPage(int index);
  void ClickPage(std::string_view caption);
  int PageCount() const { return static_cast<int>(pages_.size()); }

 private:
  HeadlessToolkit& toolkit_;
  std::vector<std::string> captions_;
  std::vector<std::unique_ptr<HeadlessContainer>> pages_;
  int active_ = 0;
  Handler on_change_;
};

class HeadlessContainer : public virtual Container {
 public:
  explicit HeadlessContainer(HeadlessToolkit& toolkit) : toolkit_(toolkit) {}
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
  template <typename T>
  T& Keep(std::unique_ptr<T> control) {
    T& result = *control;
    owned_.push_back(std::shared_ptr<void>(std::move(control)));
    return result;
  }
  HeadlessToolkit& toolkit_;

 private:
  std::vector<std::shared_ptr<void>> owned_;
};

// Records the news it was asked to tell; a test plays the user's choices
// in its menu.
class HeadlessNotificationArea : public NotificationArea {
 public:
  struct Shown {
    std::string title, text;
    bool operator==(const Shown&) const = default;
  };
  void ShowNews(std::string_view title, std::string_view text) override {
    shown_.push_back({std::string(title), std::string(text)});
  }
  bool HoldsProgram() const override { return holds_program_; }
  bool IsOnStatusLine() const override { return !holds_program_; }
  void OnOpen(Handler handler) override { on_open_ = std::move(handler); }
  void OnQuit(Handler handler) override { on_quit_ = std::move(handler); }
  // As a terminal's status line (false), which cannot hold the program.
  void SetHoldsProgram(bool holds) { holds_program_ = holds; }
  const std::vector<Shown>& shown() const { return shown_; }
  const std::string& tip() const { return tip_; }
  void ChooseOpen() {
    if (on_open_) on_open_();
  }
  void ChooseQuit() {
    if (on_quit_) on_quit_();
  }

 private:
  friend class HeadlessWindow;
  std::string tip_;
  bool holds_program_ = true;
  std::vector<Shown> shown_;
  Handler on_open_, on_quit_;
};

class HeadlessWindow : public Window, public HeadlessContainer {
 public:
  HeadlessWindow(HeadlessToolkit& toolkit, WindowSpec options);
  ~HeadlessWindow() override;
  BlinkLabel& AddStatusBar(int height, int clock_width) override;
  Timer& AddTimer(int interval_ms, Handler handler) override;
  void OnShow(Handler handler) override { on_show_ = std::move(handler); }
  void ShowModal() override;
  void CloseModal() override { is_modal_open_ = false; }
  void Show() override;
  bool IsShown() const override { return is_shown_ || is_modal_open_; }
  MessageAnswer ShowMessage(const MessageBoxSpec& options) override;
  NotificationArea& AddNotificationArea(std::string_view tip) override;
  void OnCloseQuery(std::function<bool()> handler) override {
    on_close_query_ = std::move(handler);
  }
  void Hide() override {
    is_shown_ = false;
    ++hide_count_;
  }
  void Quit() override { has_quit_ = true; }
  // The user closes a window shown by Show.
  void Close() { is_shown_ = false; }
  // The user closes the main window: it ends the program, or only hides
  // when the close query says so.
  void CloseMain() {
    if (!on_close_query_ || on_close_query_()) {
      has_quit_ = true;
    } else {
      is_shown_ = false;
    }
  }
  bool has_quit() const { return has_quit_; }
  int hide_count() const { return hide_count_; }
  HeadlessNotificationArea* notification_area() { return notification_area_.get(); }
  int show_count() const { return show_count_; }
  const WindowSpec& options() const { return options_; }
  bool is_modal_open() const { return is_modal_open_; }
  // The clock pane's text, refreshed by the toolkit's clock.
  const std::string& clock_text() const { return clock_text_; }
  void RefreshClock();

 private:
  WindowSpec options_;
  Handler on_show_;
  bool is_modal_open_ = false;
  bool is_shown_ = false;
  int show_count_ = 0;
  bool has_status_bar_ = false;
  std::string clock_text_;
  std::function<bool()> on_close_query_;
  bool has_quit_ = false;
  int hide_count_ = 0;
  std::unique_ptr<HeadlessNotificationArea> notification_area_;
};

struct ShownMessage {
  MessageBoxSpec options;
  MessageAnswer answer;
};

class HeadlessToolkit : public Toolkit {
 public:
  std::unique_ptr<Window> NewWindow(const WindowSpec& options) override;
  // There is no message loop: returns at once.
  int Run(Window& main) override;

  // Answers for the next message boxes, in order; when none is queued the
  // box's default button answers.
  void QueueAnswer(MessageAnswer answer) { answers_.push_back(answer); }
  const std::vector<ShownMessage>& shown_messages() const { return shown_; }
  void ClearShownMessages() { shown_.clear(); }

  // What the user does while a window is shown modally; by default
  // nothing, and the window closes at once as by its default button.
  void OnModal(std::function<void(HeadlessWindow&)> action) { modal_action_ = std::move(action); }
  int modal_count() const { return modal_count_; }

  // Moves the clock on, firing due timers in order.
  void AdvanceMs(long long ms);
  long long now_ms() const { return now_ms_; }

  // Internal to the headless controls.
  MessageAnswer Answer(const MessageBoxSpec& options);
  void RunModal(HeadlessWindow& window);
  void Register(HeadlessTimer* timer, const HeadlessWindow* owner);
  void Register(HeadlessWindow* window) { windows_.push_back(window); }
  void Unregister(HeadlessWindow* window);
  std::vector<HeadlessTimer*>& timers() { return timers_; }

 private:
  std::deque<MessageAnswer> answers_;
  std::vector<ShownMessage> shown_;
  std::function<void(HeadlessWindow&)> modal_action_;
  int modal_count_ = 0;
  long long now_ms_ = 0;
  std::vector<HeadlessTimer*> timers_;
  std::vector<HeadlessWindow*> windows_;
};

// Test helpers: the headless object behind an interface reference.
inline HeadlessListBox& As(ListBox* control) { return dynamic_cast<HeadlessListBox&>(*control); }
inline HeadlessEdit& As(Edit* control) { return dynamic_cast<HeadlessEdit&>(*control); }
inline HeadlessEditor& As(Editor* control) { return dynamic_cast<HeadlessEditor&>(*control); }
inline HeadlessLogView& As(LogView* control) { return dynamic_cast<HeadlessLogView&>(*control); }
inline HeadlessButton& As(Button* control) { return dynamic_cast<HeadlessButton&>(*control); }
inline HeadlessCheckBox& As(CheckBox* control) { return dynamic_cast<HeadlessCheckBox&>(*control); }
inline HeadlessPicture& As(Picture* control) { return dynamic_cast<HeadlessPicture&>(*control); }
inline HeadlessImageView& As(ImageView* control) {
  return dynamic_cast<HeadlessImageView&>(*control);
}
inline HeadlessLabel& As(Label* control) { return dynamic_cast<HeadlessLabel&>(*control); }
inline HeadlessBlinkLabel& As(BlinkLabel* control) {
  return dynamic_cast<HeadlessBlinkLabel&>(*control);
}
inline HeadlessWindow& As(Window& window) { return dynamic_cast<HeadlessWindow&>(window); }
inline HeadlessTabControl& As(TabControl* control) {
  return dynamic_cast<HeadlessTabControl&>(*control);
}

}  // namespace cratemark::ui::headless
