// A terminal has no notification area: news goes on the status line, after
// the status message, and stays until the next news. The program cannot
// live on here, so closing the console ends it.
#pragma once

#include <string>

#include "ui/window.h"

namespace cratemark::ui::terminal {

class TerminalStatusNews : public NotificationArea {
 public:
  void ShowNews(std::string_view title, std::string_view text) override;
  bool HoldsProgram() const override { return false; }
  bool IsOnStatusLine() const override { return true; }
  void OnOpen(Handler) override {}
  void OnQuit(Handler) override {}
  // One line: "title: text", several lines of text joined by "; ".
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace cratemark::ui::terminal
