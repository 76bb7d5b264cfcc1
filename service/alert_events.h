// Which alerts the service raises, from what it has seen happen. A pure
// decision: the service tells it each observation and runs the alert
// command for whatever comes back.
//
// backup, stopped and halted are conditions: each is told once and then
// stays quiet until it is cleared; unprinted is an event, told each time.
// Any kind is told at most once in kAlertQuietTime, so a printer that flaps
// cannot flood a phone; a condition kept quiet by that is told at its next
// observation after the quiet time. cleared follows only a condition that
// was told, and is never held back: it may be the news someone waits for.
//
// Not thread-safe; the service uses it from its one thread.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cratemark {

enum class AlertKind { kBackup, kStopped, kHalted, kUnprinted, kCleared, kTest };

// "backup", "stopped", "halted", "unprinted", "cleared", "test": the alert
// command's first argument.
std::string_view AlertKindName(AlertKind kind);

inline constexpr std::chrono::minutes kAlertQuietTime{10};

// How long an order may wait undelivered in the source folder before the
// service counts labels as stopped.
inline constexpr std::chrono::seconds kOrderWaitAlertTime{60};

struct Alert {
  AlertKind kind = AlertKind::kTest;
  std::int16_t status = 0;  // the status code last written
  std::string message;      // one line
};

// The alert command's four arguments: the kind's name, the status code, the
// source printer's folder and the message, on one line (control characters
// shown as "?", so that no job name can forge a line or a word of its own).
std::vector<std::string> AlertArguments(const Alert& alert, std::string_view source_folder);

class AlertEvents {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;

  // `kind` was observed (kBackup, kStopped, kHalted or kUnprinted); the
  // alert to raise, if any.
  std::optional<Alert> Raise(AlertKind kind, std::int16_t status, const std::string& message,
                             TimePoint now);

  // The conditions `kinds` are over. A kCleared alert naming those of them
  // that were told, if any; `message` says what ended them.
  std::optional<Alert> Clear(std::initializer_list<AlertKind> kinds, std::int16_t status,
                             const std::string& message);

 private:
  struct KindState {
    bool active = false;  // observed and not cleared since
    bool told = false;    // an alert went out for it
    std::optional<TimePoint> last_told;
  };
  KindState& State(AlertKind kind) { return states_[static_cast<std::size_t>(kind)]; }

  std::array<KindState, 6> states_{};
};

}  // namespace cratemark
