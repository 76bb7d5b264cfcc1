// An alert as the activity log holds it: "! Alert <kind>: <message>", a
// "cleared" alert's message ending in " (over: <kind>, <kind>)". The service
// writes these lines; the console reads them back for its news.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cratemark {

inline constexpr std::string_view kAlertLogMark = "! Alert ";
inline constexpr std::string_view kAlertOverMark = " (over: ";

// The log message of an alert of `kind` (its name) saying `message`.
std::string AlertLogMessage(std::string_view kind, std::string_view message);

struct AlertLogLine {
  std::string_view kind, message;
};

// The alert a whole log line ("<date> <time> : <message>") tells of; none for
// any other line, also where the mark stands later in the line (a job's
// name may hold it).
std::optional<AlertLogLine> ParseAlertLogLine(std::string_view line);

// The kinds a "cleared" alert's message says are over; none when it names
// none.
std::vector<std::string_view> OverKinds(std::string_view cleared_message);

}  // namespace cratemark
