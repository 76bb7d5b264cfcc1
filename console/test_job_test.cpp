#include "console/test_job.h"

#include <gtest/gtest.h>

namespace cratemark {
namespace {

TEST(TestJobTest, TimeShowsTheTwelveHourClockAndTheSecondsNotTheMinutes) {
  struct Case {
    int hour, minute, second;
    const char* expected;
  };
  const Case cases[] = {
      {14, 5, 9, "02:09 PM"}, {0, 30, 0, "12:00 AM"},   {12, 0, 59, "12:59 PM"},
      {9, 41, 7, "09:07 AM"}, {23, 59, 58, "11:58 PM"}, {11, 0, 1, "11:01 AM"},
  };
  for (const Case& c : cases) {
    LocalTime time{2026, 2, 3, c.hour, c.minute, c.second, 0};
    EXPECT_EQ(TestJobTime(time, "AM", "PM"), c.expected) << c.hour << ":" << c.minute;
  }
}

TEST(TestJobTest, OneBlockOfAHundredLines) {
  const Lines lines = BuildTestJobLines({2026, 2, 3, 14, 5, 9, 0}, "vorm.", "nachm.");
  ASSERT_EQ(lines.size(), 100u);
  const Lines head = {"Customer Name",
                      "*** Revenue Center ***",
                      "Employee Name (Number)",
                      "Trans. Desc.",
                      "Total:12345.67",
                      "Time: 02:09 nachm.",
                      "99 of 99 Labels",
                      "Address Line 1 Looooooooong",
                      "City and Town",
                      "202-111-2222",
                      "Map: G3"};
  EXPECT_EQ(Lines(lines.begin(), lines.begin() + 11), head);
  for (int i = 11; i <= 15; ++i) EXPECT_EQ(lines[i], "Directions Line 1") << i;
  for (int i = 16; i <= 24; ++i) EXPECT_EQ(lines[i], "") << i;
  EXPECT_EQ(lines[25], "99 Item Name Goes Here");
  for (int i = 1; i <= 10; ++i) EXPECT_EQ(lines[25 + i], "Mod Line " + std::to_string(i));
  for (int i = 36; i < 100; ++i) EXPECT_EQ(lines[i], "") << i;
}

}  // namespace
}  // namespace cratemark
