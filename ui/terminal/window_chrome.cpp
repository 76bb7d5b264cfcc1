// Painting a window: its frame and title, its controls, and for the main
// window the hint line with the key help and the status line with the clock.
#include "ui/clock_text.h"
#include "ui/terminal/terminal_toolkit.h"
#include "ui/terminal/terminal_window.h"

namespace cratemark::ui::terminal {

namespace {

constexpr char kKeyHelp[] = "F1-F4 page  Tab next  Alt+key button  F10 quit";
constexpr char kKeyHelpWithWindows[] = "F1-F4 page  Tab next  F6 window  F10 quit";

}  // namespace

void TerminalWindow::Paint(Canvas& canvas, bool is_active) const {
  canvas.Fill(frame_, kPlain);
  if (is_main()) {
    // The title at the right of the tab line, where the tabs leave room.
    const int width = CharCount(options_.title);
    if (width + 2 < frame_.cols) {
      canvas.Text(frame_.row, frame_.right() - width - 1, options_.title, width, kBold | kDim);
    }
  } else {
    canvas.Border(frame_, kBold);
    if (!options_.title.empty()) {
      canvas.Text(frame_.row, frame_.col + 2, " " + options_.title + " ", frame_.cols - 4, kBold);
    }
  }
  for (const std::unique_ptr<Widget>& widget : widgets_) {
    if (widget->IsShown()) widget->Paint(canvas, is_active && widget.get() == focus_.focused());
  }
  if (is_main() && status_) PaintStatusLines(canvas);
}

void TerminalWindow::PaintStatusLines(Canvas& canvas) const {
  const int hint_row = frame_.bottom() - 2;
  const int status_row = frame_.bottom() - 1;
  const std::string hint = focus_.focused() != nullptr ? focus_.focused()->HintLine() : "";
  canvas.Fill({hint_row, frame_.col, 1, frame_.cols}, kDim);
  const char* help = toolkit_.HasModeless() ? kKeyHelpWithWindows : kKeyHelp;
  const int help_width = CharCount(help);
  const int hint_width = CharCount(hint);
  canvas.Text(hint_row, frame_.col + 1, hint, frame_.cols - 2, kBold);
  if (hint_width + help_width + 4 <= frame_.cols) {
    canvas.Text(hint_row, frame_.right() - help_width - 1, help, help_width, kDim);
  }
  const Clock& clock = toolkit_.clock();
  const std::string clock_text = ClockText(clock.LocalNow());
  const int clock_width = CharCount(clock_text);
  const int clock_col = frame_.right() - clock_width - 1;
  canvas.Fill({status_row, frame_.col, 1, frame_.cols}, kReverse);
  canvas.Text(status_row, clock_col, clock_text, clock_width, kReverse);
  if (status_->IsVisible() && (!status_->IsBlinking() || IsBlinkLit(clock.Now()))) {
    canvas.Text(status_row, frame_.col + 1, status_->Text(), clock_col - frame_.col - 2,
                kReverse | kAlert | kBold);
  }
  // The news after the status message, in place whether or not it is lit.
  if (news_ && !news_->Text().empty()) {
    const int news_col =
        frame_.col + 1 + (status_->IsVisible() ? CharCount(status_->Text()) + 2 : 0);
    if (news_col < clock_col - 1) {
      canvas.Text(status_row, news_col, news_->Text(), clock_col - news_col - 1, kReverse | kBold);
    }
  }
}

}  // namespace cratemark::ui::terminal
