#include "shared/alert_log_line.h"

#include "shared/activity_log.h"

namespace cratemark {

std::string AlertLogMessage(std::string_view kind, std::string_view message) {
  std::string text(kAlertLogMark);
  text.append(kind).append(": ").append(message);
  return text;
}

std::optional<AlertLogLine> ParseAlertLogLine(std::string_view line) {
  std::string_view text = LogLineMessage(line);
  if (!text.starts_with(kAlertLogMark)) return std::nullopt;
  text.remove_prefix(kAlertLogMark.size());
  const std::size_t colon = text.find(": ");
  if (colon == std::string_view::npos) return std::nullopt;
  return AlertLogLine{text.substr(0, colon), text.substr(colon + 2)};
}

std::vector<std::string_view> OverKinds(std::string_view cleared_message) {
  const std::size_t mark = cleared_message.rfind(kAlertOverMark);
  if (mark == std::string_view::npos || !cleared_message.ends_with(')')) return {};
  std::string_view list = cleared_message.substr(mark + kAlertOverMark.size());
  list.remove_suffix(1);
  std::vector<std::string_view> kinds;
  while (!list.empty()) {
    const std::size_t comma = list.find(", ");
    kinds.push_back(list.substr(0, comma));
    list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 2);
  }
  return kinds;
}

}  // namespace cratemark
