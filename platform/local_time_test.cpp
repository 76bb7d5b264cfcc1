#include "platform/local_time.h"

#include <gtest/gtest.h>

namespace cratemark {
namespace {

TEST(LocalTimeTest, MidnightExactlyGivesTheDateAlone) {
  const LocalTime midnight{2026, 2, 3, 0, 0, 0, 0};
  EXPECT_FALSE(ShortDateText(midnight).empty());
  EXPECT_EQ(DateTimeText(midnight), ShortDateText(midnight));

  for (const LocalTime& t : {LocalTime{2026, 2, 3, 0, 0, 0, 1}, LocalTime{2026, 2, 3, 0, 0, 1, 0},
                             LocalTime{2026, 2, 3, 14, 5, 9, 0}}) {
    EXPECT_EQ(DateTimeText(t), ShortDateText(t) + " " + LongTimeText(t));
  }
}

TEST(LocalTimeTest, NowIsAPlausibleLocalTime) {
  const LocalTime now = NowLocal();
  EXPECT_GE(now.year, 2024);
  EXPECT_TRUE(now.month >= 1 && now.month <= 12);
  EXPECT_TRUE(now.millisecond >= 0 && now.millisecond < 1000);
}

}  // namespace
}  // namespace cratemark
