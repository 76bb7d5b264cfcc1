#include "console/history_view.h"

#include <gtest/gtest.h>

namespace cratemark {
namespace {

TEST(HistoryView, LocalTimeFollowsTheClocksOffsetAcrossDaysAndYears) {
  // 2026-01-01 00:30:00 UTC, with the clock two hours ahead of UTC.
  const std::int64_t now_ns = 1'767'227'400LL * 1'000'000'000;
  const LocalTime now{2026, 1, 1, 2, 30, 0, 0};
  const struct {
    std::int64_t seconds_before;
    LocalTime expected;
  } cases[] = {
      {0, {2026, 1, 1, 2, 30, 0, 0}},
      {3 * 3600, {2025, 12, 31, 23, 30, 0, 0}},
      {59 * 86400 + 1, {2025, 11, 3, 2, 29, 59, 0}},
  };
  for (const auto& c : cases) {
    const LocalTime at = LocalTimeAt(now_ns - c.seconds_before * 1'000'000'000, now, now_ns);
    EXPECT_EQ(std::tuple(at.year, at.month, at.day, at.hour, at.minute, at.second),
              std::tuple(c.expected.year, c.expected.month, c.expected.day, c.expected.hour,
                         c.expected.minute, c.expected.second))
        << c.seconds_before;
  }
}

TEST(HistoryView, RowsNeverBreakOnWhatTheHostWrote) {
  HistoryOrder order;
  order.job_name = "a\nb.spl";
  order.job_bytes = "Ann\rSmith\r\n";  // two lines: of another layout
  order.unprinted = true;
  const LocalTime time{2026, 1, 1, 2, 30, 0, 0};
  const std::string row = HistoryRowText(order, time, time);
  EXPECT_EQ(row.find_first_of("\r\n"), std::string::npos) << row;
  EXPECT_NE(row.find("a?b.spl  Ann  2 lines  not printed"), std::string::npos) << row;
}

}  // namespace
}  // namespace cratemark
