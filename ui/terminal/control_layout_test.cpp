// Tests of the layout rules on a fake screen: a caption too long for its
// room wraps and pushes what lies under it down, and a frame of texts that
// do not fit scrolls them.
#include "ui/terminal/control_layout.h"

#include <gtest/gtest.h>

#include "ui/terminal/terminal_toolkit.h"
#include "ui/terminal/testing/fake_screen.h"

namespace cratemark::ui::terminal {
namespace {

constexpr char kCaption[] = "A caption far longer than its little room";
constexpr char kHelp[] =
    "One two three four five six seven eight nine ten eleven twelve thirteen fourteen "
    "fifteen sixteen seventeen eighteen nineteen twenty twenty-one twenty-two twenty-three "
    "twenty-four twenty-five twenty-six twenty-seven twenty-eight twenty-nine thirty.";

// A window of 800 x 480 pixels on 80 x 24 cells: 10 x 20 pixels a cell.
struct Page {
  FakeClock clock;
  FakeScreen* screen = nullptr;
  std::unique_ptr<Toolkit> toolkit;
  std::unique_ptr<Window> window;
  Page() {
    auto fake = std::make_unique<FakeScreen>(24, 80, clock);
    screen = fake.get();
    toolkit = MakeTerminalToolkit(std::move(fake), clock);
    window = toolkit->NewWindow({WindowKind::kMain, "Test", 800, 480});
  }
};

TEST(ControlLayoutTest, ACaptionTooLongWrapsAndTheListUnderItMovesDown) {
  Page page;
  page.window->AddLabel({0, 0, 150, 20}, kCaption);
  page.window->AddListBox({0, 20, 150, 200}).Add("Item");
  page.window->AddLabel({160, 0, 150, 20}, "Short");  // ends the first one's run-on
  page.screen->Then([&] {
    EXPECT_TRUE(page.screen->MissingWords({kCaption, "Short"}).empty()) << page.screen->Text();
    // Three lines of at most 15 characters, then the list's top border.
    EXPECT_EQ(page.screen->Find("\u250C").first, 3) << page.screen->Text();
  });
  page.toolkit->Run(*page.window);
}

TEST(ControlLayoutTest, AFrameOfTextsThatDoNotFitScrollsThem) {
  Page page;
  Container& frame = page.window->AddFrame({0, 0, 300, 120}, "");
  frame.AddLabel({10, 10, 280, 20}, "Heading", {.bold = true});
  frame.AddLabel({10, 30, 280, 80}, kHelp, {.word_wrap = true});
  page.screen->Then([&] {
    EXPECT_TRUE(page.screen->Shows("Heading")) << page.screen->Text();
    EXPECT_TRUE(page.screen->Shows("One two three")) << page.screen->Text();
    EXPECT_FALSE(page.screen->Shows("thirty.")) << page.screen->Text();
    EXPECT_TRUE(page.screen->Shows("v")) << page.screen->Text();
  });
  page.screen->Press(NamedKey(KeyName::kTab));  // the frame takes the keyboard
  page.screen->Press(NamedKey(KeyName::kEnd));
  page.screen->Then([&] {
    EXPECT_TRUE(page.screen->Shows("thirty.")) << page.screen->Text();
    EXPECT_TRUE(page.screen->Shows("^")) << page.screen->Text();
    EXPECT_FALSE(page.screen->Shows("Heading")) << page.screen->Text();
  });
  page.toolkit->Run(*page.window);
}

}  // namespace
}  // namespace cratemark::ui::terminal
