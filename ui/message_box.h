// Message boxes: what is asked and what the user answered.
#pragma once

#include <string>

namespace cratemark::ui {

enum class MessageButtons { kOk, kYesNo };
enum class MessageIcon { kNone, kError, kInformation, kWarning };
enum class MessageAnswer { kOk, kYes, kNo };

struct MessageBoxSpec {
  std::string text;
  std::string caption;
  MessageButtons buttons = MessageButtons::kOk;
  MessageIcon icon = MessageIcon::kNone;
  int default_button = 0;  // 0 the first button, 1 the second
};

}  // namespace cratemark::ui
