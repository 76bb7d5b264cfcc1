// The status message's display decisions.
#include "console/status_display.h"

#include "shared/status_message.h"

namespace cratemark {

StatusDisplay StatusDisplayFor(std::int16_t code, const PrinterNames& printers,
                               const StatusDisplay& shown) {
  StatusDisplay display = shown;
  display.text = StatusMessage(code, printers.source, printers.dest, printers.backup);
  if (code == 0) {
    display.is_visible = false;
    display.is_blinking = false;
  } else if (!shown.is_visible) {
    display.is_visible = true;
    display.is_blinking = true;
  }
  return display;
}

bool IsStatusShown(std::int16_t code, const PrinterNames& printers, const StatusDisplay& shown) {
  return shown.text == StatusMessage(code, printers.source, printers.dest, printers.backup) &&
         (code == 0 ? !shown.is_visible && !shown.is_blinking : shown.is_visible);
}

}  // namespace cratemark
