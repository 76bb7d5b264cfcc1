#include "service/job_settle.h"

#include <gtest/gtest.h>

#include <vector>

#include "service/testing/manual_clock.h"

namespace cratemark {
namespace {

using std::chrono::milliseconds;

constexpr std::int64_t kMs = 1000000;  // nanoseconds

using testing::ManualClock;

// One look at a job: the clock moves by `advance_ms`, then the job is seen
// with `size` and a modification time `age_ms` before now (or missing).
struct Look {
  std::int64_t advance_ms;
  std::uint64_t size;
  std::int64_t age_ms;
  bool settled;
  const char* path = "a.spl";
  bool exists = true;
};

TEST(JobSettleWatch, TakesAJobOnlyOnceItStoppedChangingForTheSettleTime) {
  struct Case {
    const char* name;
    std::vector<Look> looks;
  };
  const Case cases[] = {
      {"written long ago: taken at the first look", {{0, 10, 600, true}}},
      {"written just now: waits, then taken once unchanged for 500 ms",
       {{0, 10, 0, false}, {499, 10, 499, false}, {1, 10, 500, true}}},
      {"unchanged for 500 ms by the watch although its time is in the future",
       {{0, 10, -5000, false}, {300, 10, -4700, false}, {200, 10, -4500, true}}},
      {"growing: each change starts the wait again",
       {{0, 10, 0, false},
        {400, 20, 0, false},
        {400, 30, 0, false},
        {499, 30, 499, false},
        {1, 30, 500, true}}},
      {"a new time with the same size starts the wait again",
       {{0, 10, -5000, false},
        {400, 10, -3000, false},
        {400, 10, -2600, false},
        {100, 10, -2500, true}}},
      {"missing: never settled", {{0, 0, 600, false, "a.spl", false}}},
      {"jobs are watched side by side",
       {{0, 10, -5000, false},
        {400, 10, -4600, false, "b.spl"},
        {100, 10, -4500, true},
        {399, 10, -4101, false, "b.spl"},
        {1, 10, -4100, true, "b.spl"}}},
  };
  for (const Case& c : cases) {
    ManualClock clock;
    JobSettleWatch watch(milliseconds(500), clock);
    int index = 0;
    for (const Look& look : c.looks) {
      clock.Advance(look.advance_ms);
      const FileStamp stamp{look.exists, look.size, (clock.now_ms() - look.age_ms) * kMs};
      EXPECT_EQ(watch.IsSettled(look.path, stamp), look.settled) << c.name << ", look " << index;
      ++index;
    }
  }
}

TEST(JobSettleWatch, ALongerQuietTimeIsCountedFromTheSameLooks) {
  ManualClock clock;
  JobSettleWatch watch(milliseconds(500), clock);
  const FileStamp stamp{true, 10, clock.FileTimeNowNs()};
  ASSERT_FALSE(watch.IsSettled("a.spl", stamp));
  clock.Advance(500);
  ASSERT_TRUE(watch.IsSettled("a.spl", stamp));
  EXPECT_FALSE(watch.IsSettled("a.spl", stamp, milliseconds(5000)));
  clock.Advance(4500);
  EXPECT_TRUE(watch.IsSettled("a.spl", stamp, milliseconds(5000)));
  EXPECT_FALSE(
      watch.IsSettled("a.spl", FileStamp{true, 11, clock.FileTimeNowNs()}, milliseconds(5000)))
      << "a change starts the quiet time again";
}

TEST(JobSettleWatch, AJobGoneFromTheFolderIsForgotten) {
  ManualClock clock;
  JobSettleWatch watch(milliseconds(500), clock);
  const FileStamp future{true, 10, clock.FileTimeNowNs() + 5000 * kMs};
  ASSERT_FALSE(watch.IsSettled("a.spl", future));
  ASSERT_FALSE(watch.IsSettled("b.spl", future));
  clock.Advance(500);
  watch.KeepOnly({"b.spl"});
  EXPECT_FALSE(watch.IsSettled("a.spl", future)) << "the wait starts again";
  EXPECT_TRUE(watch.IsSettled("b.spl", future));
}

TEST(JobSettleWatch, WithoutASettleTimeEveryJobIsSettled) {
  ManualClock clock;
  JobSettleWatch watch(milliseconds(0), clock);
  const FileStamp fresh{true, 10, clock.FileTimeNowNs()};
  EXPECT_TRUE(watch.IsSettled("a.spl", fresh));
}

}  // namespace
}  // namespace cratemark
