#include "platform/single_instance.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace cratemark {
namespace {

TEST(SingleInstanceTest, ASecondClaimFailsUntilTheFirstIsReleased) {
  const std::string name = "CratemarkTest-" + std::to_string(std::random_device{}());
  std::unique_ptr<InstanceClaim> first = ClaimSingleInstance(name);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(ClaimSingleInstance(name), nullptr);
  first.reset();
  EXPECT_NE(ClaimSingleInstance(name), nullptr);
}

}  // namespace
}  // namespace cratemark
