#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/local_time.h"

namespace cratemark {
namespace {

// Sets one environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(LocalTimePosixTest, FormatsFollowTheLcTimeLocale) {
  ScopedEnv all("LC_ALL", nullptr);
  ScopedEnv time("LC_TIME", "C");
  EXPECT_EQ(DateTimeText({2026, 2, 3, 14, 5, 9, 0}), "02/03/26 14:05:09");
  EXPECT_EQ(DateTimeText({2026, 2, 3, 0, 0, 0, 0}), "02/03/26");
  EXPECT_EQ(DateTimeText({2026, 2, 3, 0, 0, 0, 500}), "02/03/26 00:00:00");
  EXPECT_EQ(DayPeriodDesignator(false), "AM");
  EXPECT_EQ(DayPeriodDesignator(true), "PM");
}

}  // namespace
}  // namespace cratemark
