// A screen of cells for tests, as a mock window drives a terminal: it keeps
// what was painted last as a grid of characters and looks, and answers Wait
// from a script of keys, clicks, resizes, passing time and checks. When the
// script is used up it asks the program to end, so every loop unwinds.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/terminal/screen.h"
#include "ui/terminal/testing/fake_clock.h"

namespace cratemark::ui::terminal {

// Keys as the script writes them.
Key CharKey(char32_t ch);
Key AltKey(char32_t ch);
Key NamedKey(KeyName name);
Key FunctionKey(int number);

// The words of `texts` that `shown` does not hold whole, as FakeScreen's
// MissingWords counts them.
std::vector<std::string> MissingWords(std::string_view shown,
                                      const std::vector<std::string>& texts);

class FakeScreen : public Screen {
 public:
  FakeScreen(int rows, int cols, FakeClock& clock);

  // --- the script, in order ---
  void Press(const Key& key);
  // Each character as typed.
  void Type(std::u32string_view text);
  void Click(int row, int col, MouseKind kind = MouseKind::kClick);
  void Resize(int rows, int cols);
  // Time passes (the event loop waking as it would), so that timers run.
  void Pass(std::chrono::milliseconds time);
  // Runs while the program waits, after it painted the screen.
  void Then(std::function<void()> check);
  // From inside a check: `key` comes next, then `check` (so that a check
  // can go on for as long as the screen asks it to).
  void PressNext(const Key& key, std::function<void()> check);

  // --- what was shown last ---
  std::string RowText(int row) const;  // UTF-8, trailing blanks kept
  std::string Text() const;            // every row, each ending in "\n"
  bool Shows(std::string_view text) const;
  unsigned LookAt(int row, int col) const;
  // Where `text` first stands; {-1, -1} when it is not shown.
  std::pair<int, int> Find(std::string_view text) const;
  // The words of `texts` (split at blanks; "&" marks of access keys taken
  // out) that the screen does not show whole, each as often as it is
  // missing: a word counts as shown where it stands between blanks or
  // borders, so one cut short or dropped is reported.
  std::vector<std::string> MissingWords(const std::vector<std::string>& texts) const;
  // The text of the cells in `box`, each row ending in "\n".
  std::string TextIn(const CellBox& box) const;
  // The cells from (row, col) to the border to their right and below.
  CellBox ToBorderFrom(int row, int col) const;
  int cursor_row() const { return shown_cursor_row_; }
  int cursor_col() const { return shown_cursor_col_; }

  // --- Screen ---
  int Rows() const override { return rows_; }
  int Cols() const override { return cols_; }
  void Chars(int row, int col, std::u32string_view text, int max_cols, unsigned look) override;
  void Fill(const CellBox& box, unsigned look) override;
  void Border(const CellBox& box, unsigned look) override;
  void PlaceCursor(int row, int col) override;
  void BeginPaint() override;
  void Show() override;
  Event Wait(int timeout_ms) override;
  bool IsStopRequested() const override { return is_stopped_; }

 private:
  struct Cell {
    char32_t ch = U' ';
    unsigned look = kPlain;
  };
  struct Step {
    Event event;
    std::chrono::milliseconds time{0};  // for a step of passing time
    std::function<void()> check;
    int rows = 0, cols = 0;  // for a resize
  };
  void Put(int row, int col, char32_t ch, unsigned look);

  FakeClock& clock_;
  int rows_, cols_;
  std::vector<Cell> painting_, shown_;
  int cursor_row_ = -1, cursor_col_ = 0;
  int shown_cursor_row_ = -1, shown_cursor_col_ = 0;
  std::deque<Step> script_;
  bool is_stopped_ = false;
};

}  // namespace cratemark::ui::terminal
