// The fake screen: painting into a grid, and the script behind Wait.
#include "ui/terminal/testing/fake_screen.h"

#include <algorithm>
#include <map>

#include "platform/code_page.h"
#include "ui/terminal/cell_layout.h"

namespace cratemark::ui::terminal {

Key CharKey(char32_t ch) { return Key{.name = KeyName::kChar, .ch = ch}; }
Key AltKey(char32_t ch) { return Key{.name = KeyName::kChar, .ch = ch, .alt = true}; }
Key NamedKey(KeyName name) { return Key{.name = name}; }
Key FunctionKey(int number) { return Key{.name = KeyName::kFunction, .number = number}; }

FakeScreen::FakeScreen(int rows, int cols, FakeClock& clock)
    : clock_(clock),
      rows_(rows),
      cols_(cols),
      painting_(static_cast<size_t>(rows * cols)),
      shown_(painting_) {}

void FakeScreen::Press(const Key& key) {
  Step step;
  step.event.kind = Event::Kind::kKey;
  step.event.key = key;
  script_.push_back(std::move(step));
}

void FakeScreen::Type(std::u32string_view text) {
  for (char32_t ch : text) Press(CharKey(ch));
}

void FakeScreen::Click(int row, int col, MouseKind kind) {
  Step step;
  step.event.kind = Event::Kind::kMouse;
  step.event.mouse = {kind, row, col};
  script_.push_back(std::move(step));
}

void FakeScreen::PressNext(const Key& key, std::function<void()> check) {
  Step then;
  then.check = std::move(check);
  script_.push_front(std::move(then));
  Step press;
  press.event.kind = Event::Kind::kKey;
  press.event.key = key;
  script_.push_front(std::move(press));
}

void FakeScreen::Resize(int rows, int cols) {
  Step step;
  step.event.kind = Event::Kind::kResize;
  step.rows = rows;
  step.cols = cols;
  script_.push_back(std::move(step));
}

void FakeScreen::Pass(std::chrono::milliseconds time) {
  Step step;
  step.time = time;
  script_.push_back(std::move(step));
}

void FakeScreen::Then(std::function<void()> check) {
  Step step;
  step.check = std::move(check);
  script_.push_back(std::move(step));
}

std::string FakeScreen::RowText(int row) const {
  std::u32string chars;
  for (int col = 0; col < cols_; ++col) chars += shown_[static_cast<size_t>(row * cols_ + col)].ch;
  return CodePointsToUtf8(chars);
}

std::string FakeScreen::Text() const {
  std::string text;
  for (int row = 0; row < rows_; ++row) text += RowText(row) + "\n";
  return text;
}

bool FakeScreen::Shows(std::string_view text) const { return Find(text).first >= 0; }

std::pair<int, int> FakeScreen::Find(std::string_view text) const {
  const std::u32string wanted = Utf8ToCodePoints(text);
  for (int row = 0; row < rows_; ++row) {
    const std::u32string line = Utf8ToCodePoints(RowText(row));
    const size_t at = line.find(wanted);
    if (at != std::u32string::npos) return {row, static_cast<int>(at)};
  }
  return {-1, -1};
}

namespace {

bool IsBreak(char32_t ch) { return ch == U' ' || ch == U'\n' || (ch >= 0x2500 && ch <= 0x257F); }

void CountWords(std::u32string_view text, std::map<std::u32string, int>& counts) {
  std::u32string word;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || IsBreak(text[i])) {
      if (!word.empty()) ++counts[word];
      word.clear();
    } else {
      word += text[i];
    }
  }
}

}  // namespace

std::vector<std::string> MissingWords(std::string_view shown_text,
                                      const std::vector<std::string>& texts) {
  std::map<std::u32string, int> shown;
  CountWords(Utf8ToCodePoints(shown_text), shown);
  std::map<std::u32string, int> wanted;
  for (const std::string& text : texts) {
    CountWords(Utf8ToCodePoints(ParseCaption(text).text), wanted);
  }
  std::vector<std::string> missing;
  for (const auto& [word, count] : wanted) {
    for (int i = shown[word]; i < count; ++i) missing.push_back(CodePointsToUtf8(word));
  }
  return missing;
}

std::vector<std::string> FakeScreen::MissingWords(const std::vector<std::string>& texts) const {
  return terminal::MissingWords(Text(), texts);
}

std::string FakeScreen::TextIn(const CellBox& box) const {
  std::string text;
  for (int row = std::max(box.row, 0); row < std::min(box.bottom(), rows_); ++row) {
    std::u32string chars;
    for (int col = std::max(box.col, 0); col < std::min(box.right(), cols_); ++col) {
      chars += shown_[static_cast<size_t>(row * cols_ + col)].ch;
    }
    text += CodePointsToUtf8(chars) + "\n";
  }
  return text;
}

CellBox FakeScreen::ToBorderFrom(int row, int col) const {
  auto is_border = [this](int r, int c) {
    const char32_t ch = shown_[static_cast<size_t>(r * cols_ + c)].ch;
    return ch >= 0x2500 && ch <= 0x257F;
  };
  int right = col;
  while (right < cols_ && !is_border(row, right)) ++right;
  int bottom = row;
  while (bottom < rows_ && !is_border(bottom, col)) ++bottom;
  return {row, col, bottom - row, right - col};
}

unsigned FakeScreen::LookAt(int row, int col) const {
  return shown_[static_cast<size_t>(row * cols_ + col)].look;
}

void FakeScreen::Put(int row, int col, char32_t ch, unsigned look) {
  if (row < 0 || row >= rows_ || col < 0 || col >= cols_) return;
  painting_[static_cast<size_t>(row * cols_ + col)] = {ch, look};
}

void FakeScreen::Chars(int row, int col, std::u32string_view text, int max_cols, unsigned look) {
  const int count = std::min(static_cast<int>(text.size()), max_cols);
  for (int i = 0; i < count; ++i) {
    const char32_t ch = text[i] < 0x20 || text[i] == 0x7F ? U'?' : text[i];
    Put(row, col + i, ch, look);
  }
}

void FakeScreen::Fill(const CellBox& box, unsigned look) {
  for (int row = box.row; row < box.bottom(); ++row) {
    for (int col = box.col; col < box.right(); ++col) Put(row, col, U' ', look);
  }
}

void FakeScreen::Border(const CellBox& box, unsigned look) {
  if (box.rows < 2 || box.cols < 2) return;
  // Box-drawing characters, so that a border never reads as part of a word.
  for (int col = box.col + 1; col < box.right() - 1; ++col) {
    Put(box.row, col, U'\u2500', look);
    Put(box.bottom() - 1, col, U'\u2500', look);
  }
  for (int row = box.row + 1; row < box.bottom() - 1; ++row) {
    Put(row, box.col, U'\u2502', look);
    Put(row, box.right() - 1, U'\u2502', look);
  }
  Put(box.row, box.col, U'\u250C', look);
  Put(box.row, box.right() - 1, U'\u2510', look);
  Put(box.bottom() - 1, box.col, U'\u2514', look);
  Put(box.bottom() - 1, box.right() - 1, U'\u2518', look);
}

void FakeScreen::PlaceCursor(int row, int col) {
  cursor_row_ = row;
  cursor_col_ = col;
}

void FakeScreen::BeginPaint() {
  std::fill(painting_.begin(), painting_.end(), Cell{});
  cursor_row_ = -1;
}

void FakeScreen::Show() {
  shown_ = painting_;
  shown_cursor_row_ = cursor_row_;
  shown_cursor_col_ = cursor_col_;
}

Event FakeScreen::Wait(int timeout_ms) {
  while (!script_.empty()) {
    Step& step = script_.front();
    if (step.check) {
      std::function<void()> check = std::move(step.check);
      script_.pop_front();
      check();
      continue;
    }
    if (step.time.count() > 0) {
      // As the loop would sleep: at most until it wanted to wake.
      const std::chrono::milliseconds slept =
          std::min(step.time, std::chrono::milliseconds(std::max(timeout_ms, 1)));
      clock_.Advance(slept);
      step.time -= slept;
      if (step.time.count() <= 0) script_.pop_front();
      return {};
    }
    Event event = step.event;
    if (event.kind == Event::Kind::kResize) {
      rows_ = step.rows;
      cols_ = step.cols;
      painting_.assign(static_cast<size_t>(rows_ * cols_), Cell{});
      shown_ = painting_;
    }
    script_.pop_front();
    return event;
  }
  is_stopped_ = true;
  Event stop;
  stop.kind = Event::Kind::kStop;
  return stop;
}

}  // namespace cratemark::ui::terminal
