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

TEST(StatusDisplayTest, EveryCodeTheServiceWritesHasAText) {
  const PrinterNames printers{"PreLabel", "Label1", "Label2"};
  const std::pair<std::int16_t, const char*> texts[] = {
      {1, "Printer \"PreLabel\" NOT configured"},
      {2, "Printer \"Label1\" NOT configured"},
      {3, "Cannot open or create LockSPL.dbf"},
      {4, "Printer \"Label2\" NOT configured"},
      {5, "LabelDesign.txt does not exist."},
      {7, "Cratemark.cfg cannot be read"},
      {8, "Tolvan's spooler still serves PreLabel"},
      {9, "Settings could not be applied; see the log"},
  };
  for (const auto& [code, text] : texts) {
    EXPECT_EQ(StatusDisplayFor(code, printers, {}), (StatusDisplay{text, true, true})) << code;
  }
  EXPECT_EQ(StatusDisplayFor(42, printers, {}).text, "") << "an unknown code shows nothing";
}

}  // namespace
}  // namespace cratemark
