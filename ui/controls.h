// The controls the console is built from, independent of any window system.
// A control belongs to the window that made it and lives as long as that
// window. All calls happen on the window thread.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace cratemark::ui {

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
};

using Handler = std::function<void()>;

class Control {
 public:
  virtual ~Control() = default;
  // Shown as a balloon tip when the mouse rests on the control.
  virtual void SetHint(std::string_view hint) = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool IsVisible() const = 0;
  virtual void SetFocus() = 0;
};

struct LabelStyle {
  bool bold = false;
  bool word_wrap = false;
  bool centered = false;
};

class Label : public Control {
 public:
  virtual void SetText(std::string_view text) = 0;
  virtual std::string Text() const = 0;
};

// A one-line edit field.
class Edit : public Control {
 public:
  virtual void SetText(std::string_view text) = 0;
  virtual std::string Text() const = 0;
};

// Items in alphabetical order without regard to case (or, made unsorted, in
// the order added); equal names may appear more than once; at most one item
// is selected.
class ListBox : public Control {
 public:
  static constexpr int kNoSelection = -1;
  virtual void Clear() = 0;
  virtual void Add(std::string_view item) = 0;
  virtual int Count() const = 0;
  virtual std::string Item(int index) const = 0;
  virtual int Selected() const = 0;  // kNoSelection when none
  virtual void Select(int index) = 0;
  virtual void OnDoubleClick(Handler handler) = 0;
  // Runs after the user has moved the selection (keys or a click); Select
  // does not run it.
  virtual void OnSelect(Handler handler) = 0;
};

struct ListBoxStyle {
  bool sorted = true;  // false: items stay in the order they are added
};

// Line and column (characters from the start of the line), both from 0.
struct TextPosition {
  int line = 0;
  int column = 0;
};

// A multi-line plain text editor. Its text has lines separated by CR LF;
// an empty editor has one empty line.
class Editor : public Control {
 public:
  virtual void SetText(std::string_view text) = 0;
  virtual std::string Text() const = 0;
  virtual int LineCount() const = 0;
  virtual std::string Line(int index) const = 0;
  // Start of the selection; the caret when nothing is selected.
  virtual TextPosition SelectionStart() const = 0;
  // Replaces the text of one line and leaves the caret at its end.
  virtual void ReplaceLine(int index, std::string_view text) = 0;
  // Runs after the text changed, whoever changed it: typing, pasting,
  // SetText, ReplaceLine. May run more than once for one change.
  virtual void OnChange(Handler handler) = 0;
};

// A read-only multi-line view. Setting a text shows its beginning; the view
// keeps its scroll position for as long as its text is not set anew.
class LogView : public Control {
 public:
  virtual void SetText(std::string_view text) = 0;
  virtual std::string Text() const = 0;
  virtual void AppendLine(std::string_view line) = 0;
  // Adds `text` (whole lines, each ending in CR LF) at the end as it is,
  // without touching the text before it or the scroll position: a growing
  // log costs only its new lines.
  virtual void AppendText(std::string_view text) = 0;
};

// "&" before a letter marks the access key; "&&" shows one ampersand.
class Button : public Control {
 public:
  virtual void OnClick(Handler handler) = 0;
};

// The program picture.
class Picture : public Control {
 public:
  virtual void OnDoubleClick(Handler handler) = 0;
};

// A label whose text flashes on the one blink rhythm shared by the whole
// program while blinking is on.
class BlinkLabel : public Control {
 public:
  virtual void SetText(std::string_view text) = 0;
  virtual std::string Text() const = 0;
  virtual void SetBlinking(bool blinking) = 0;
  virtual bool IsBlinking() const = 0;
};

// Enabled when made. Enabling a disabled timer starts its interval anew, so
// disabling and enabling it again puts its next run one interval away.
class Timer {
 public:
  virtual ~Timer() = default;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool IsEnabled() const = 0;
};

}  // namespace cratemark::ui
