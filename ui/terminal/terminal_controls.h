// The terminal's controls behind the toolkit's interfaces. Each holds its
// own state, paints itself from it onto a canvas, and changes it on the
// keys and clicks it is given. Internal to ui/terminal.
#pragma once

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "ui/controls.h"
#include "ui/terminal/canvas.h"
#include "ui/terminal/cell_layout.h"
#include "ui/terminal/text_field.h"

namespace cratemark::ui::terminal {

class TerminalWindow;
class TabWidget;

// The blink rhythm shared by the whole program: lit and dark every 500 ms.
bool IsBlinkLit();

class Widget {
 public:
  Widget(TerminalWindow& root, const Surface& surface, Rect pixels)
      : root_(root), surface_(surface), pixels_(pixels) {}
  virtual ~Widget() = default;

  void Layout() { box_ = surface_.Map(pixels_); }
  const CellBox& box() const { return box_; }
  const Surface& surface() const { return surface_; }
  void PlaceOnPage(TabWidget* tab, int index) {
    tab_ = tab;
    page_index_ = index;
  }
  // The container the control was added to (frames and pages have their own).
  void PlaceIn(int container) { container_ = container; }
  int container() const { return container_; }
  const Rect& pixels() const { return pixels_; }
  // Moves the top edge down, keeping the bottom edge (at least one row).
  void PushDownTo(int row) {
    const int bottom = box_.bottom();
    box_.row = std::min(row, surface_.cells.bottom() - 1);
    box_.rows = std::max(1, bottom - row);
  }
  const TabWidget* tab() const { return tab_; }
  int page_index() const { return page_index_; }
  // Visible, and on the active page when it sits on one.
  bool IsShown() const;
  // What the hint line says while the control has the focus.
  virtual std::string HintLine() const { return hint_; }

  virtual bool IsFocusable() const { return false; }
  virtual void Paint(Canvas& canvas, bool focused) = 0;
  // True when the key was used.
  virtual bool OnKey(const Key&) { return false; }
  virtual void OnMouse(const Mouse&) {}
  // Buttons: the access key, and what it does.
  virtual char32_t AccessKey() const { return 0; }
  virtual void Press() {}
  // A one-line label may run on into empty cells to its right.
  virtual bool MayRunOn() const { return false; }
  void SetRunOnCols(int cols) { run_on_cols_ = cols; }

 protected:
  void TakeFocus();
  // The box less its border, when it is big enough to have one.
  CellBox Inner() const;
  bool HasBorder() const { return box_.rows >= 3 && box_.cols >= 4; }
  void PaintBorder(Canvas& canvas, bool focused) const;

  TerminalWindow& root_;
  const Surface& surface_;
  Rect pixels_;
  CellBox box_;
  TabWidget* tab_ = nullptr;
  int page_index_ = 0;
  int container_ = 0;
  bool visible_ = true;
  std::string hint_;
  int run_on_cols_ = 0;
};

#define CRATEMARK_TERMINAL_CONTROL_BASICS                        \
  void SetHint(std::string_view hint) override { hint_ = hint; } \
  void SetVisible(bool visible) override { visible_ = visible; } \
  bool IsVisible() const override { return visible_; }           \
  void SetFocus() override { TakeFocus(); }

class TerminalLabel : public Label, public Widget {
 public:
  TerminalLabel(TerminalWindow& root, const Surface& surface, Rect pixels, std::string_view text,
                LabelStyle style)
      : Widget(root, surface, pixels), text_(text), style_(style) {}
  CRATEMARK_TERMINAL_CONTROL_BASICS
  void SetText(std::string_view text) override { text_ = text; }
  std::string Text() const override { return text_; }
  void Paint(Canvas& canvas, bool focused) override;
  bool MayRunOn() const override { return !style_.word_wrap && !style_.centered; }

 private:
  std::string text_;
  LabelStyle style_;
};

// A frame or panel: a border (a panel's face too) under its controls.
class FrameWidget : public Widget {
 public:
  FrameWidget(TerminalWindow& root, const Surface& surface, Rect pixels, std::string_view caption,
              bool is_panel)
      : Widget(root, surface, pixels), caption_(caption), is_panel_(is_panel) {}
  void Paint(Canvas& canvas, bool focused) override;
  // The container of the controls inside it.
  void SetInner(int container) { inner_ = container; }
  int inner() const { return inner_; }
  // Where the controls inside need the edge cells, the frame draws no
  // border (a small terminal has no rows to spare for it).
  void SetBorderShown(bool shown) { is_border_shown_ = shown; }

 private:
  std::string caption_;
  bool is_panel_;
  int inner_ = 0;
  bool is_border_shown_ = true;
};

class TerminalEdit : public Edit, public Widget {
 public:
  TerminalEdit(TerminalWindow& root, const Surface& surface, Rect pixels)
      : Widget(root, surface, pixels), field_(false) {}
  CRATEMARK_TERMINAL_CONTROL_BASICS
  void SetText(std::string_view text) override { field_.SetText(text); }
  std::string Text() const override { return field_.Text(); }
  bool IsFocusable() const override { return true; }
  void Paint(Canvas& canvas, bool focused) override;
  bool OnKey(const Key& key) override;
  void OnMouse(const Mouse& mouse) override;

 private:
  TextField field_;
};

class TerminalListBox : public ListBox, public Widget {
 public:
  using Widget::Widget;
  CRATEMARK_TERMINAL_CONTROL_BASICS
  void Clear() override;
  void Add(std::string_view item) override;
  int Count() const override { return static_cast<int>(items_.size()); }
  std::string Item(int index) const override;
  int Selected() const override { return selected_; }
  void Select(int index) override;
  void OnDoubleClick(Handler handler) override { on_double_click_ = std::move(handler); }
  bool IsFocusable() const override { return true; }
  void Paint(Canvas& canvas, bool focused) override;
  bool OnKey(const Key& key) override;
  void OnMouse(const Mouse& mouse) override;
  // A chosen item cut by a narrow list is shown whole before the hint.
  std::string HintLine() const override;

 private:
  void SelectAndShow(int index);
  std::vector<std::string> items_;
  int selected_ = kNoSelection;
  int top_ = 0;
  Handler on_double_click_;
};

class TerminalEditor : public Editor, public Widget {
 public:
  TerminalEditor(TerminalWindow& root, const Surface& surface, Rect pixels)
      : Widget(root, surface, pixels), field_(true) {}
  CRATEMARK_TERMINAL_CONTROL_BASICS
  void SetText(std::string_view text) override {
    field_.SetText(text);
    Changed();
  }
  std::string Text() const override { return field_.Text(); }
  int LineCount() const override { return field_.LineCount(); }
  std::string Line(int index) const override { return field_.Line(index); }
  TextPosition SelectionStart() const override { return field_.SelectionStart(); }
  void ReplaceLine(int index, std::string_view text) override;
  void OnChange(Handler handler) override { on_change_ = std::move(handler); }
  bool IsFocusable() const override { return true; }
  void Paint(Canvas& canvas, bool focused) override;
  bool OnKey(const Key& key) override;
  void OnMouse(const Mouse& mouse) override;

 private:
  void Changed() {
    if (on_change_) on_change_();
  }
  TextField field_;
  Handler on_change_;
};

// Long lines wrap, as in the window's log view; the scroll position is the
// first line in view and stays while the text is not set anew.
class TerminalLogView : public LogView, public Widget {
 public:
  using Widget::Widget;
  CRATEMARK_TERMINAL_CONTROL_BASICS
  void SetText(std::string_view text) override;
  std::string Text() const override;
  void AppendLine(std::string_view line) override;
  void AppendText(std::string_view text) override;
  bool IsFocusable() const override { return true; }
  void Paint(Canvas& canvas, bool focused) override;
  bool OnKey(const Key& key) override;
  void OnMouse(const Mouse& mouse) override;

 private:
  int RowsOf(int line, int width) const;
  void AddLines(std::string_view text);
  void ScrollToEnd();
  std::string text_;  // as set, so that comparing it with a file costs no conversion
  std::vector<std::u32string> lines_;  // the text split at its line breaks, for painting
  int top_line_ = 0;
};

class TerminalButton : public Button, public Widget {
 public:
  TerminalButton(TerminalWindow& root, const Surface& surface, Rect pixels,
                 std::string_view caption, bool is_default)
      : Widget(root, surface, pixels), caption_(ParseCaption(caption)), is_default_(is_default) {}
  CRATEMARK_TERMINAL_CONTROL_BASICS
  void OnClick(Handler handler) override { on_click_ = std::move(handler); }
  bool IsFocusable() const override { return true; }
  bool is_default() const { return is_default_; }
  void Paint(Canvas& canvas, bool focused) override;
  bool OnKey(const Key& key) override;
  void OnMouse(const Mouse& mouse) override;
  char32_t AccessKey() const override { return caption_.key; }
  void Press() override;

 private:
  Caption caption_;
  bool is_default_;
  Handler on_click_;
};

// The program picture. It takes the focus when it does something, so that
// Enter can stand in for the double click.
class TerminalPicture : public Picture, public Widget {
 public:
  using Widget::Widget;
  CRATEMARK_TERMINAL_CONTROL_BASICS
  void OnDoubleClick(Handler handler) override { on_double_click_ = std::move(handler); }
  bool IsFocusable() const override { return static_cast<bool>(on_double_click_); }
  void Paint(Canvas& canvas, bool focused) override;
  bool OnKey(const Key& key) override;
  void OnMouse(const Mouse& mouse) override;

 private:
  Handler on_double_click_;
};

// The status message; the window paints it into its status line.
class TerminalBlinkLabel : public BlinkLabel {
 public:
  void SetHint(std::string_view) override {}
  void SetVisible(bool visible) override { visible_ = visible; }
  bool IsVisible() const override { return visible_; }
  void SetFocus() override {}
  void SetText(std::string_view text) override { text_ = text; }
  std::string Text() const override { return text_; }
  void SetBlinking(bool blinking) override { blinking_ = blinking; }
  bool IsBlinking() const override { return blinking_; }

 private:
  std::string text_;
  bool visible_ = true;
  bool blinking_ = false;
};

class TerminalTimer : public Timer {
 public:
  using Clock = std::chrono::steady_clock;
  TerminalTimer(int interval_ms, Handler handler)
      : interval_(interval_ms), handler_(std::move(handler)) {
    SetEnabled(true);
  }
  void SetEnabled(bool enabled) override;
  bool IsEnabled() const override { return enabled_; }
  Clock::time_point due() const { return due_; }
  // Runs the handler when due; a handler that opens a message box does not
  // run again inside it.
  void FireIfDue(Clock::time_point now);

 private:
  std::chrono::milliseconds interval_;
  Handler handler_;
  bool enabled_ = false;
  bool running_ = false;
  Clock::time_point due_;
};

}  // namespace cratemark::ui::terminal
