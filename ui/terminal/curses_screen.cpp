// The screen on ncurses (wide-character build). Everything curses-specific
// of the terminal toolkit stays in this file.
#include "ui/terminal/curses_screen.h"

#include <curses.h>
#include <langinfo.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <clocale>
#include <cstring>
#include <cwchar>
#include <stdexcept>
#include <string>

#include "ui/terminal/curses_keys.h"

namespace cratemark::ui::terminal {

namespace {

volatile sig_atomic_t g_stop_signal = 0;

extern "C" void OnStopSignal(int signal_number) { g_stop_signal = signal_number; }

// The signals that end the program: Ctrl-C, a polite kill and a lost
// connection. They only set a flag; the event loop ends and the terminal is
// given back on the way out.
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

Event EventOf(Event::Kind kind) {
  Event event;
  event.kind = kind;
  return event;
}

enum Pair : short { kAlertPair = 1, kCratePair = 2 };

class CursesScreen : public Screen {
 public:
  CursesScreen() {
    if (isatty(STDIN_FILENO) == 0 || isatty(STDOUT_FILENO) == 0) {
      throw std::runtime_error("Cratemark needs a terminal on its input and output");
    }
    // The terminal's own character set: UTF-8 when the locale says so.
    std::setlocale(LC_CTYPE, "");
    is_utf8_ = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
    // Installed before curses starts, so that curses leaves them to us.
    for (size_t i = 0; i < std::size(kStopSignals); ++i) {
      struct sigaction action {};
      action.sa_handler = OnStopSignal;
      sigemptyset(&action.sa_mask);
      action.sa_flags = 0;  // no restart: a signal wakes the wait at once
      sigaction(kStopSignals[i], &action, &previous_[i]);
    }
    screen_ = newterm(nullptr, stdout, stdin);
    if (screen_ == nullptr) {
      RestoreSignals();
      const char* term = std::getenv("TERM");
      throw std::runtime_error(std::string("Cannot use the terminal of type \"") +
                               (term != nullptr ? term : "") + "\"");
    }
    set_term(screen_);
    cbreak();
    noecho();
    nonl();
    keypad(stdscr, TRUE);
    set_escdelay(25);
    if (has_colors()) {
      start_color();
      use_default_colors();
      init_pair(kAlertPair, COLOR_RED, -1);
      init_pair(kCratePair, COLOR_BLACK, COLOR_YELLOW);
      has_colors_ = true;
    }
    mousemask(BUTTON1_CLICKED | BUTTON1_DOUBLE_CLICKED | BUTTON4_PRESSED | BUTTON5_PRESSED,
              nullptr);
  }

  ~CursesScreen() override {
    curs_set(1);
    endwin();
    delscreen(screen_);
    RestoreSignals();
  }

  int Rows() const override { return LINES; }
  int Cols() const override { return COLS; }

  void Chars(int row, int col, std::u32string_view text, int max_cols, unsigned look) override {
    if (row < 0 || row >= LINES) return;
    attr_set(Attributes(look), PairOf(look), nullptr);
    const int count = std::min<int>(static_cast<int>(text.size()), max_cols);
    for (int i = 0; i < count; ++i) {
      const int at = col + i;
      if (at < 0) continue;
      if (at >= COLS) break;
      wchar_t shown[2] = {Printable(text[i]), L'\0'};
      cchar_t cell;
      setcchar(&cell, shown, Attributes(look), PairOf(look), nullptr);
      mvadd_wch(row, at, &cell);
    }
    attr_set(A_NORMAL, 0, nullptr);
  }

  void Fill(const CellBox& box, unsigned look) override {
    const std::u32string blanks(static_cast<size_t>(std::max(box.cols, 0)), U' ');
    for (int row = box.row; row < box.bottom(); ++row) Chars(row, box.col, blanks, box.cols, look);
  }

  void Border(const CellBox& box, unsigned look) override {
    if (box.rows < 2 || box.cols < 2) return;
    attr_set(Attributes(look), PairOf(look), nullptr);
    auto put = [&](int row, int col, const cchar_t* glyph) {
      if (row >= 0 && row < LINES && col >= 0 && col < COLS) mvadd_wch(row, col, glyph);
    };
    for (int col = box.col + 1; col < box.right() - 1; ++col) {
      put(box.row, col, WACS_HLINE);
      put(box.bottom() - 1, col, WACS_HLINE);
    }
    for (int row = box.row + 1; row < box.bottom() - 1; ++row) {
      put(row, box.col, WACS_VLINE);
      put(row, box.right() - 1, WACS_VLINE);
    }
    put(box.row, box.col, WACS_ULCORNER);
    put(box.row, box.right() - 1, WACS_URCORNER);
    put(box.bottom() - 1, box.col, WACS_LLCORNER);
    put(box.bottom() - 1, box.right() - 1, WACS_LRCORNER);
    attr_set(A_NORMAL, 0, nullptr);
  }

  void PlaceCursor(int row, int col) override {
    cursor_row_ = row;
    cursor_col_ = col;
  }

  void BeginPaint() override {
    erase();
    cursor_row_ = -1;
  }

  void Show() override {
    if (cursor_row_ >= 0 && cursor_row_ < LINES && cursor_col_ >= 0 && cursor_col_ < COLS) {
      curs_set(1);
      move(cursor_row_, cursor_col_);
    } else {
      curs_set(0);
    }
    refresh();
  }

  Event Wait(int timeout_ms) override {
    if (IsStopRequested()) return EventOf(Event::Kind::kStop);
    // Keys curses has read ahead are taken before waiting on the terminal.
    Event event = ReadCursesEvent();
    if (event.kind != Event::Kind::kNone) return event;
    pollfd input{STDIN_FILENO, POLLIN, 0};
    const int ready = poll(&input, 1, timeout_ms);
    if (IsStopRequested()) return EventOf(Event::Kind::kStop);
    if (ready > 0 && (input.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
      // The terminal went away (a lost SSH connection without SIGHUP).
      lost_terminal_ = true;
      return EventOf(Event::Kind::kStop);
    }
    // A key, or a resize (which interrupts the wait and which curses reports
    // as a key), or nothing when the time ran out.
    return ReadCursesEvent();
  }

  bool IsStopRequested() const override { return g_stop_signal != 0 || lost_terminal_; }

 private:
  void RestoreSignals() {
    for (size_t i = 0; i < std::size(kStopSignals); ++i) {
      sigaction(kStopSignals[i], &previous_[i], nullptr);
    }
  }

  attr_t Attributes(unsigned look) const {
    attr_t attributes = A_NORMAL;
    if (look & kBold) attributes |= A_BOLD;
    if (look & kReverse) attributes |= A_REVERSE;
    if (look & kUnderline) attributes |= A_UNDERLINE;
    if (look & kDim) attributes |= A_DIM;
    if (!has_colors_) {
      // Without colours the alert stands out by video attributes alone.
      if (look & kAlert) attributes |= A_BOLD | A_UNDERLINE;
      if (look & kCrate) attributes |= A_REVERSE;
    }
    return attributes;
  }

  short PairOf(unsigned look) const {
    if (!has_colors_) return 0;
    if (look & kAlert) return kAlertPair;
    if (look & kCrate) return kCratePair;
    return 0;
  }

  bool ShowsUnicode() const override { return is_utf8_; }

  // A character the terminal shows in one cell, or "?".
  wchar_t Printable(char32_t c) const {
    if (c == U'\t') return L' ';
    if (c < 0x20 || c == 0x7F) return L'?';
    if (c < 0x7F) return static_cast<wchar_t>(c);
    if (!is_utf8_) return L'?';
    const wchar_t wide = static_cast<wchar_t>(c);
    return wcwidth(wide) == 1 ? wide : L'?';
  }

  SCREEN* screen_ = nullptr;
  struct sigaction previous_[std::size(kStopSignals)]{};
  bool is_utf8_ = false;
  bool has_colors_ = false;
  bool lost_terminal_ = false;
  int cursor_row_ = -1, cursor_col_ = 0;
};

}  // namespace

std::unique_ptr<Screen> OpenCursesScreen() { return std::make_unique<CursesScreen>(); }

}  // namespace cratemark::ui::terminal
