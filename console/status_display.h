// What the status message in the console's status bar shows for the
// service's status code: its text, whether it is visible and whether it
// blinks.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cratemark {

struct StatusDisplay {
  std::string text;
  bool is_visible = false;
  bool is_blinking = false;
  bool operator==(const StatusDisplay&) const = default;
};

struct PrinterNames {
  std::string_view source, dest, backup;
};

// What `code` shows, from what is shown now: 0 hides the message; any other
// code shows its text, and starts blinking when the message was hidden (a
// visible one keeps blinking as it does).
StatusDisplay StatusDisplayFor(std::int16_t code, const PrinterNames& printers,
                               const StatusDisplay& shown);

// Whether `shown` already says what `code` says, so that the console need
// not set it again (an idle tick then redraws nothing).
bool IsStatusShown(std::int16_t code, const PrinterNames& printers, const StatusDisplay& shown);

}  // namespace cratemark
