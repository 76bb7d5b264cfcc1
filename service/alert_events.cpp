#include "service/alert_events.h"

#include "shared/alert_log_line.h"

namespace cratemark {

std::string_view AlertKindName(AlertKind kind) {
  switch (kind) {
    case AlertKind::kBackup:
      return "backup";
    case AlertKind::kStopped:
      return "stopped";
    case AlertKind::kHalted:
      return "halted";
    case AlertKind::kUnprinted:
      return "unprinted";
    case AlertKind::kCleared:
      return "cleared";
    case AlertKind::kTest:
      break;
  }
  return "test";
}

std::vector<std::string> AlertArguments(const Alert& alert, std::string_view source_folder) {
  std::string message = alert.message;
  for (char& c : message) {
    if (static_cast<unsigned char>(c) < 32 || c == 127) c = '?';
  }
  return {std::string(AlertKindName(alert.kind)), std::to_string(alert.status),
          std::string(source_folder), message};
}

std::optional<Alert> AlertEvents::Raise(AlertKind kind, std::int16_t status,
                                        const std::string& message, TimePoint now) {
  KindState& state = State(kind);
  const bool is_condition = kind != AlertKind::kUnprinted;
  if (is_condition && state.active && state.told) return std::nullopt;
  state.active = is_condition;
  if (state.last_told && now - *state.last_told < kAlertQuietTime) return std::nullopt;
  state.told = is_condition;
  state.last_told = now;
  return Alert{kind, status, message};
}

std::optional<Alert> AlertEvents::Clear(std::initializer_list<AlertKind> kinds, std::int16_t status,
                                        const std::string& message) {
  std::string ended;
  for (AlertKind kind : kinds) {
    KindState& state = State(kind);
    if (state.told) ended += (ended.empty() ? "" : ", ") + std::string(AlertKindName(kind));
    state.active = false;
    state.told = false;
  }
  if (ended.empty()) return std::nullopt;
  return Alert{AlertKind::kCleared, status, message + std::string(kAlertOverMark) + ended + ")"};
}

}  // namespace cratemark
