#include "service/job_settle.h"

#include <gtest/gtest.h>

#include <vector>

#include "service/testing/manual_clock.h"

namespace cratemark {
namespace {

using std::chrono::milliseconds;
using testing::ManualClock;

TEST(JobSettleWatch, MeasuresHowLongTheSameStampWasSeenOnThisMachinesClock) {
  // One look: the clock moves by `advance_ms`, then the job `path` is seen
  // with `size` and modification time `time_ns`.
  struct Look {
    std::int64_t advance_ms;
    const char* path;
    std::uint64_t size;
    std::int64_t time_ns;
    std::int64_t unchanged_ms;
    bool exists = true;
  };
  struct Case {
    const char* name;
    std::vector<Look> looks;
  };
  // A time far in the past or future says nothing: only looks count.
  constexpr std::int64_t kHourAgo = -3'600'000'000'000;
  const Case cases[] = {
      {"a first look: unchanged for no time, however old its time",
       {{0, "a.spl", 10, kHourAgo, 0}}},
      {"the same stamp: the time since the first look",
       {{0, "a.spl", 10, 1, 0}, {499, "a.spl", 10, 1, 499}, {4600, "a.spl", 10, 1, 5099}}},
      {"a new size, or a new time with the same size, starts again",
       {{0, "a.spl", 10, 1, 0},
        {400, "a.spl", 20, 1, 0},
        {400, "a.spl", 20, 2, 0},
        {300, "a.spl", 20, 2, 300}}},
      {"missing: forgotten",
       {{0, "a.spl", 10, 1, 0}, {900, "a.spl", 0, 0, 0, false}, {100, "a.spl", 10, 1, 0}}},
      {"jobs are watched side by side",
       {{0, "a.spl", 10, 1, 0},
        {400, "b.spl", 10, 1, 0},
        {100, "a.spl", 10, 1, 500},
        {100, "b.spl", 10, 1, 200}}},
  };
  for (const Case& c : cases) {
    ManualClock clock;
    JobSettleWatch watch(clock);
    int index = 0;
    for (const Look& look : c.looks) {
      clock.Advance(look.advance_ms);
      const FileStamp stamp =
          look.exists ? FileStamp{true, look.size, look.time_ns, 7, look.time_ns} : FileStamp{};
      EXPECT_EQ(watch.Look(look.path, stamp), milliseconds(look.unchanged_ms))
          << c.name << ", look " << index++;
    }
  }
}

TEST(JobSettleWatch, ForgetsJobsNoLongerInTheFolder) {
  ManualClock clock;
  JobSettleWatch watch(clock);
  const FileStamp stamp{true, 10, 1, 7, 1};
  watch.Look("a.spl", stamp);
  watch.Look("b.spl", stamp);
  clock.Advance(1000);
  watch.KeepOnly({"b.spl"});
  EXPECT_EQ(watch.Look("a.spl", stamp), milliseconds(0)) << "the wait starts again";
  EXPECT_EQ(watch.Look("b.spl", stamp), milliseconds(1000));
}

}  // namespace
}  // namespace cratemark
