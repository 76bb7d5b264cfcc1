// Tests of what the status message shows for each code, from what it shows.
#include "console/status_display.h"

#include <gtest/gtest.h>

namespace cratemark {
namespace {

TEST(StatusDisplayTest, ZeroHidesAndOthersShowBlinkingOnlyWhenTheyAppear) {
  const PrinterNames printers{"PreLabel", "Label1", "Label2"};
  const std::string not_running = "Cratemark Service is not running!!!";
  struct Case {
    std::int16_t code;
    StatusDisplay shown, wanted;
  };
  const Case cases[] = {
      {0, {not_running, true, true}, {"", false, false}},
      {6, {"", false, false}, {not_running, true, true}},
      // Already visible: the text changes, the blinking stays as it is.
      {6, {"other", true, false}, {not_running, true, false}},
      {6, {"other", true, true}, {not_running, true, true}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StatusDisplayFor(c.code, printers, c.shown), c.wanted) << c.code;
    EXPECT_TRUE(IsStatusShown(c.code, printers, c.wanted)) << c.code;
  }
  EXPECT_FALSE(IsStatusShown(6, printers, {not_running, false, false}));
  EXPECT_FALSE(IsStatusShown(0, printers, {"", false, true}));
}

}  // namespace
}  // namespace cratemark
