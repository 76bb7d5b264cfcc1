#include "service/alert_events.h"

#include <gtest/gtest.h>

#include <vector>

namespace cratemark {
namespace {

using std::chrono::minutes;
using std::chrono::seconds;

TEST(AlertEvents, EachKindOnceUntilClearedAndAtMostOnceInTenMinutes) {
  // One observation per step, at `at` seconds; `told` is the alert's kind
  // and message, or empty when nothing is raised.
  enum Op { kRaise, kClearPrinted, kClearStatus };
  struct Step {
    int at;
    Op op;
    AlertKind kind;  // what is observed (kRaise)
    const char* told;
  };
  const AlertKind b = AlertKind::kBackup, s = AlertKind::kStopped, h = AlertKind::kHalted,
                  u = AlertKind::kUnprinted;
  const std::vector<Step> steps = {
      {0, kRaise, b, "backup"},
      {1, kRaise, b, ""},  // a burst of orders to the backup: one alert
      {2, kRaise, b, ""},
      {3, kRaise, s, "stopped"},  // kinds are counted apart
      {4, kClearStatus, h, ""},   // halted was never told: nothing ends
      {5, kClearPrinted, b, "cleared: printed (over: backup, stopped)"},
      {6, kClearPrinted, b, ""},  // cleared only once
      {7, kRaise, b, ""},         // again within ten minutes: kept quiet...
      {8, kClearPrinted, b, ""},  // ...so its end is no news either
      {9, kRaise, b, ""},
      {610, kRaise, b, "backup"},  // still down after the quiet time: told
      {611, kRaise, u, "unprinted"},
      {612, kRaise, u, ""},  // an event, but still at most once in ten minutes
      {1212, kRaise, u, "unprinted"},
      {1213, kRaise, h, "halted"},
      {1214, kRaise, h, ""},
      {1215, kClearStatus, h, "cleared: status 0 (over: halted)"},
      {1216, kClearPrinted, b, "cleared: printed (over: backup)"},
  };
  AlertEvents events;
  const auto start = std::chrono::steady_clock::time_point(minutes(100));
  for (const Step& step : steps) {
    SCOPED_TRACE("at " + std::to_string(step.at));
    const auto now = start + seconds(step.at);
    std::optional<Alert> alert;
    switch (step.op) {
      case kRaise:
        alert = events.Raise(step.kind, 4, std::string(AlertKindName(step.kind)), now);
        break;
      case kClearPrinted:
        alert = events.Clear({AlertKind::kBackup, AlertKind::kStopped}, 0, "printed");
        break;
      case kClearStatus:
        alert = events.Clear({AlertKind::kHalted}, 0, "status 0");
        break;
    }
    const std::string told =
        alert ? (alert->kind == AlertKind::kCleared ? "cleared: " : "") + alert->message : "";
    EXPECT_EQ(told, step.told);
    if (alert && alert->kind != AlertKind::kCleared) {
      EXPECT_EQ(alert->kind, step.kind);
    }
  }
}

TEST(AlertEvents, ArgumentsAreFourWordsOnOneLine) {
  const Alert alert{AlertKind::kUnprinted, 3, "kept as /x/a\r\nb\tc\x7f.spl"};
  EXPECT_EQ(AlertArguments(alert, "/srv/tolvan/PreLabel"),
            (std::vector<std::string>{"unprinted", "3", "/srv/tolvan/PreLabel",
                                      "kept as /x/a??b?c?.spl"}));
}

}  // namespace
}  // namespace cratemark
