#include "platform/local_time.h"

namespace cratemark {

std::string DateTimeText(const LocalTime& time) {
  // A time of exactly midnight is written as the date alone, as the
  // regional date-and-time text of the host's platform does.
  if (time.hour == 0 && time.minute == 0 && time.second == 0 && time.millisecond == 0) {
    return ShortDateText(time);
  }
  return ShortDateText(time) + " " + LongTimeText(time);
}

}  // namespace cratemark
