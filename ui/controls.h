// The controls the console is built from, independent of any window system.
// A control belongs to the window that made it and lives as long as that
// window. All calls happen on the window thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

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

// A read-only multi-line view of a log, newest lines last. It shows the end
// of its text and follows it as lines are added, as a terminal does, until
// the user scrolls away from the end; then it keeps the user's place until
// the user scrolls back to the end. A large text shows its last lines at
// once: the front end may take in the rest only when the user scrolls there.
class LogView : public Control {
 public:
  // Replaces the text and shows its end (following again).
  virtual void SetText(std::string_view text) = 0;
  virtual std::string Text() const = 0;
  // Adds one line and shows it.
  virtual void AppendLine(std::string_view line) = 0;
  // Adds `text` (whole lines, each ending in CR LF) at the end as it is,
  // without touching the text before it: a growing log costs only its new
  // lines. Shows them when the view follows; else the place stays.
  virtual void AppendText(std::string_view text) = 0;
};

// "&" before a letter marks the access key; "&&" shows one ampersand.
class Button : public Control {
 public:
  virtual void OnClick(Handler handler) = 0;
};

// The program picture.
// A check box with its caption at its right.
class CheckBox : public Control {
 public:
  // As a program sets it: no handler runs.
  virtual void SetChecked(bool checked) = 0;
  virtual bool IsChecked() const = 0;
  // Runs after the user has ticked or cleared it.
  virtual void OnClick(Handler handler) = 0;
};

class Picture : public Control {
 public:
  virtual void OnDoubleClick(Handler handler) = 0;
};

// A black-and-white picture, one byte a dot (1 black), row by row.
struct MonoImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> dots;
};

// Shows a MonoImage scaled to fit the control, its proportions kept; an
// empty image shows nothing.
class ImageView : public Control {
 public:
  virtual void SetImage(MonoImage image) = 0;
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
