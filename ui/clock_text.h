// The text of the status bar's clock pane.
#pragma once

#include <string>

#include "platform/local_time.h"

namespace cratemark::ui {

// The system's short date, a blank and its long time, also at midnight
// (unlike the log's date-and-time text, which drops a midnight time).
inline std::string ClockText(const LocalTime& time) {
  return ShortDateText(time) + " " + LongTimeText(time);
}

}  // namespace cratemark::ui
