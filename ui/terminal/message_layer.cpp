// The message box: layout, painting, and choosing an answer.
#include "ui/terminal/message_layer.h"

#include <algorithm>

#include "platform/code_page.h"
#include "platform/text.h"
#include "ui/line_breaks.h"

namespace cratemark::ui::terminal {

namespace {

// "[ Yes ]" and the blanks between two buttons.
constexpr int kButtonFrameCols = 4;
constexpr int kButtonGapCols = 4;

}  // namespace

MessageLayer::MessageLayer(const MessageBoxSpec& options) : options_(options) {
  if (options.buttons == MessageButtons::kYesNo) {
    answers_ = {MessageAnswer::kYes, MessageAnswer::kNo};
    captions_ = {ParseCaption("&Yes"), ParseCaption("&No")};
  } else {
    answers_ = {MessageAnswer::kOk};
    captions_ = {ParseCaption("OK")};
  }
  focused_ = std::clamp(options.default_button, 0, static_cast<int>(answers_.size()) - 1);
}

MessageAnswer MessageLayer::SafeAnswer() const {
  return options_.buttons == MessageButtons::kYesNo ? MessageAnswer::kNo : MessageAnswer::kOk;
}

void MessageLayer::Layout(int rows, int cols) {
  const int wrap_width = std::max(10, std::min(cols - 8, 64));
  lines_.clear();
  for (std::string_view paragraph :
       SplitAtLineBreaks(options_.text, FinalBreak::kStartsEmptyLine)) {
    std::vector<std::u32string> wrapped = WrapWords(Utf8ToCodePoints(paragraph), wrap_width);
    if (wrapped.empty()) wrapped.emplace_back();
    lines_.insert(lines_.end(), wrapped.begin(), wrapped.end());
  }
  int buttons_width = 0;
  for (const Caption& caption : captions_) {
    buttons_width += CharCount(caption.text) + kButtonFrameCols + 2;
  }
  int width = std::max(buttons_width, CharCount(options_.caption) + 4);
  for (const std::u32string& line : lines_) width = std::max(width, static_cast<int>(line.size()));
  width = std::min(width + 4, cols - 2);
  const int height = std::min(static_cast<int>(lines_.size()) + 6, rows - 2);
  box_ = {(rows - height) / 2, (cols - width) / 2, height, width};
  button_boxes_.clear();
  const int row = box_.bottom() - 2;
  int col = box_.col + (box_.cols - buttons_width) / 2 + 1;
  for (const Caption& caption : captions_) {
    const int label_width = CharCount(caption.text) + kButtonFrameCols;
    button_boxes_.push_back({row, col, 1, label_width});
    col += label_width + kButtonGapCols;
  }
}

void MessageLayer::Paint(Canvas& canvas) const {
  const unsigned frame_look =
      options_.icon == MessageIcon::kError ? kAlert | kBold : unsigned{kBold};
  canvas.Fill(box_, kPanel);
  canvas.Border(box_, frame_look);
  if (!options_.caption.empty()) {
    canvas.Text(box_.row, box_.col + 2, " " + options_.caption + " ", box_.cols - 4, kBold);
  }
  for (int i = 0; i < static_cast<int>(lines_.size()) && 2 + i < box_.rows - 3; ++i) {
    canvas.Chars(box_.row + 2 + i, box_.col + 2, lines_[i], box_.cols - 4, kPanel);
  }
  for (int i = 0; i < static_cast<int>(captions_.size()); ++i) {
    const Caption& caption = captions_[i];
    const CellBox& button = button_boxes_[i];
    const unsigned look = i == focused_ ? kReverse | kBold : unsigned{kPanel};
    canvas.Text(button.row, button.col, "[ " + caption.text + " ]", button.cols, look);
    if (caption.key_index >= 0) {
      const std::u32string chars = Utf8ToCodePoints(caption.text);
      canvas.Chars(button.row, button.col + 2 + caption.key_index,
                   std::u32string_view(&chars[caption.key_index], 1), 1, look | kUnderline);
    }
    if (i == focused_) canvas.PlaceCursor(button.row, button.col + 2);
  }
}

void MessageLayer::OnKey(const Key& key) {
  const int count = static_cast<int>(answers_.size());
  switch (key.name) {
    case KeyName::kLeft:
    case KeyName::kBackTab:
      focused_ = (focused_ + count - 1) % count;
      return;
    case KeyName::kRight:
    case KeyName::kTab:
      focused_ = (focused_ + 1) % count;
      return;
    case KeyName::kEnter:
      answer_ = answers_[focused_];
      return;
    case KeyName::kEscape:
      // Only a box with a single button may be dismissed; Yes or No must be chosen.
      if (count == 1) answer_ = answers_[0];
      return;
    case KeyName::kChar: {
      if (key.ch == U' ') {
        answer_ = answers_[focused_];
        return;
      }
      const char32_t wanted = UpperCaseChar(key.ch);
      for (int i = 0; i < count; ++i) {
        if (captions_[i].key != 0 && captions_[i].key == wanted) answer_ = answers_[i];
      }
      return;
    }
    default:
      return;
  }
}

void MessageLayer::OnMouse(const Mouse& mouse) {
  if (mouse.kind != MouseKind::kClick && mouse.kind != MouseKind::kDoubleClick) return;
  for (int i = 0; i < static_cast<int>(button_boxes_.size()); ++i) {
    if (button_boxes_[i].Contains(mouse.row, mouse.col)) answer_ = answers_[i];
  }
}

}  // namespace cratemark::ui::terminal
