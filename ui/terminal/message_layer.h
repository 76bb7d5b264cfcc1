// A message box over the windows: its text, caption and buttons, the
// button with the focus, and the answer once one is chosen.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ui/message_box.h"
#include "ui/terminal/canvas.h"
#include "ui/terminal/cell_layout.h"

namespace cratemark::ui::terminal {

class MessageLayer {
 public:
  explicit MessageLayer(const MessageBoxSpec& options);
  // Centres the box on a screen of `rows` x `cols`, its text wrapped to fit.
  void Layout(int rows, int cols);
  void Paint(Canvas& canvas) const;
  void OnKey(const Key& key);
  void OnMouse(const Mouse& mouse);
  std::optional<MessageAnswer> answer() const { return answer_; }
  // The answer when the program ends with the box open: nothing is agreed to.
  MessageAnswer SafeAnswer() const;

 private:
  std::vector<MessageAnswer> answers_;
  std::vector<Caption> captions_;
  MessageBoxSpec options_;
  int focused_ = 0;
  std::optional<MessageAnswer> answer_;
  // From the last layout.
  std::vector<std::u32string> lines_;
  CellBox box_;
  std::vector<CellBox> button_boxes_;
};

}  // namespace cratemark::ui::terminal
