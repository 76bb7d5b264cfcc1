#include "ui/terminal/terminal_status_news.h"

namespace cratemark::ui::terminal {

void TerminalStatusNews::ShowNews(std::string_view title, std::string_view text) {
  text_ = std::string(title) + ": ";
  for (char ch : text) {
    if (ch == '\n') {
      text_ += "; ";
    } else if (static_cast<unsigned char>(ch) >= ' ') {
      text_ += ch;
    }
  }
}

}  // namespace cratemark::ui::terminal
