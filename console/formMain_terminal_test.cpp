// The console on the terminal toolkit, drawn on a fake screen and driven by
// keys as a user drives it: every page and window at the sizes a terminal
// has, the focus, message boxes, the about box, the preview and resizing.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "console/formMain.h"
#include "console/testing/fake_console_tables.h"
#include "platform/scoped_temp_dir.h"
#include "shared/printed_folder.h"
#include "ui/clock_text.h"
#include "ui/terminal/terminal_toolkit.h"
#include "ui/terminal/testing/fake_screen.h"

namespace cratemark {
namespace {

using ui::terminal::AltKey;
using ui::terminal::CharKey;
using ui::terminal::FakeClock;
using ui::terminal::FakeScreen;
using ui::terminal::FunctionKey;
using ui::terminal::KeyName;
using ui::terminal::NamedKey;
using namespace std::chrono_literals;

// What each page and window must show whole: every caption, button text and
// help sentence.
const std::vector<std::string> kTabCaptions = {"Log Info", "Label Editor", "Setup", "History",
                                               "Veltrane's Cratemark"};
const std::vector<std::string> kLabelEditorTexts = {"&Save Design", "&Revert to Last",
                                                    "Test &Print", "Pre&view"};
const std::vector<std::string> kPreviewTexts = {
    "Label Preview", "The label of a test print, as the label printer prints it:", "Tag check:"};
const std::vector<std::string> kSetupTexts = {
    "Source Printer:", "Destination Printer:", "Backup Label Printer:",
    "Labels Text:",    "Time Text:",           "Map Code Text:",
    "Total Text:",     "&Save && Activate",    "Setup Tolvan Labels"};
const std::vector<std::string> kHistoryTexts = {"Re&print", "Reprint &Label", "Re&move",
                                                "Re&fresh"};
// In a frame that scrolls where the terminal is too small for all of it.
const std::vector<std::string> kSetupHelpTexts = {
    "Source Printer:",
    "This is the printer that will be used in TolvanWin as a Prep Printer. All items required "
    "to print on labels will be using this Prep Printer.",
    "Destination Printer:",
    "This is the printer that will actually send the label to the label printer. It must be "
    "setup properly for use with TolvanSpool.",
    "Backup Printer:",
    "Like the Destination Printer, this printer must be setup correctly as it will be used as "
    "a backup in case the primary printer fails assuming there is a backup printer."};
constexpr char kScrollHint[] = "Up, Down, PgUp, PgDn: more of the text";
const std::vector<std::string> kAboutTexts = {"Cratemark", "CratemarkService", "OK"};
const std::vector<std::string> kQuestionTexts = {
    "WARNING!!!!", "This will reset the Label Setup in Tolvan. Are you sure?", "Yes", "No"};

std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class ConsoleOnTerminalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tables_.tables["TolvanSpool.DBF"] = {{"Name", "SubDir"},
                                         {{"a", "PreLabel"}, {"b", "Label1"}, {"c", "Label2"}}};
    testing::FakeTableData definition;
    // Appended: GCC 12 takes "F" + a temporary for an overlapping copy (-Wrestrict).
    for (int i = 1; i <= 39; ++i)
      definition.fields.push_back(std::string("F").append(std::to_string(i)));
    definition.records.emplace_back(39, "old");
    tables_.tables["LBLPRDEF.DBF"] = definition;
    std::ofstream(dir_.path() + "LabelDesign.txt", std::ios::binary)
        << "Ref: <Reference>\r\nItem: <Item Name>\r\n";
  }
  void TearDown() override {
    form_.reset();
    toolkit_.reset();
  }

  // The console on a screen of `rows` x `cols`; the script is written on
  // screen() before Run plays it.
  void Start(int rows, int cols) {
    auto screen = std::make_unique<FakeScreen>(rows, cols, clock_);
    screen_ = screen.get();
    toolkit_ = ui::MakeTerminalToolkit(std::move(screen), clock_);
    form_ = std::make_unique<TfrmMain>(
        *toolkit_, ConsoleContext{dir_.path(), &tables_, [this] { return clock_.LocalNow(); }});
  }
  FakeScreen& screen() { return *screen_; }
  void Run() { toolkit_->Run(form_->window()); }
  // A check of the screen at this point of the script.
  void Expect(std::function<void(const FakeScreen&)> check) {
    screen_->Then([this, check] { check(*screen_); });
  }
  void ExpectShown(const std::string& text) {
    Expect([text](const FakeScreen& shown) {
      EXPECT_TRUE(shown.Shows(text)) << "not shown: " << text << "\n" << shown.Text();
    });
  }
  void ExpectGone(const std::string& text) {
    Expect([text](const FakeScreen& shown) {
      EXPECT_FALSE(shown.Shows(text)) << "still shown: " << text << "\n" << shown.Text();
    });
  }
  void ExpectWhole(const std::string& where, const std::vector<std::string>& texts) {
    Expect([where, texts](const FakeScreen& shown) {
      const std::vector<std::string> missing = shown.MissingWords(texts);
      std::string list;
      for (const std::string& word : missing) list += " \"" + word + "\"";
      EXPECT_TRUE(missing.empty()) << where << " at " << shown.Cols() << "x" << shown.Rows()
                                   << ": cut or dropped:" << list << "\n"
                                   << shown.Text();
    });
  }

  // Presses Tab until the hint line says `hint`.
  void TabUntilHint(const std::string& hint) {
    screen_->Then([this, hint] { TabOn(hint, 20); });
  }
  void TabOn(const std::string& hint, int tabs_left) {
    if (screen_->Shows(hint) || tabs_left == 0) return;
    screen_->PressNext(NamedKey(KeyName::kTab),
                       [this, hint, tabs_left] { TabOn(hint, tabs_left - 1); });
  }
  // What a frame that scrolls holds, read with Down from its top to its end.
  struct Reading {
    std::string text, view;
    int downs_left = 100;
  };
  void ReadOn(const std::shared_ptr<Reading>& reading) {
    const ui::terminal::CellBox view =
        screen_->ToBorderFrom(screen_->cursor_row(), screen_->cursor_col());
    const std::string now = screen_->TextIn(view);
    if (reading->text.empty()) {
      reading->text = now;
    } else if (now == reading->view || --reading->downs_left == 0) {
      return;  // at its end
    } else {
      reading->text += now.substr(now.rfind('\n', now.size() - 2) + 1);  // the row it brought in
    }
    reading->view = now;
    screen_->PressNext(NamedKey(KeyName::kDown), [this, reading] { ReadOn(reading); });
  }
  // From the Setup page's backup list: the help texts, read by scrolling
  // when their frame scrolls, else as the screen shows them.
  void ExpectHelpWhole() {
    auto help = std::make_shared<Reading>();
    screen_->Then([this, help] {
      screen_->PressNext(NamedKey(KeyName::kTab), [this, help] {
        if (screen_->Shows(kScrollHint)) {
          ReadOn(help);
        } else {
          help->text = screen_->Text();
        }
      });
    });
    Expect([help](const FakeScreen& shown) {
      std::string list;
      for (const std::string& word : ui::terminal::MissingWords(help->text, kSetupHelpTexts)) {
        list += " \"" + word + "\"";
      }
      EXPECT_TRUE(list.empty()) << "help at " << shown.Cols() << "x" << shown.Rows()
                                << ": cut or dropped:" << list << "\n"
                                << help->text;
    });
  }

  ScopedTempDir dir_;
  testing::FakeConsoleTables tables_;
  FakeClock clock_;
  FakeScreen* screen_ = nullptr;
  std::unique_ptr<ui::Toolkit> toolkit_;
  std::unique_ptr<TfrmMain> form_;
};

struct Size {
  int cols, rows;
};

class EverySize : public ConsoleOnTerminalTest, public ::testing::WithParamInterface<Size> {};

// Every page and window, walked through as in the end-to-end test; at every
// size each word of what they say is on the screen whole.
TEST_P(EverySize, EveryPageAndWindowShowsEveryWordWhole) {
  const Size size = GetParam();
  Start(size.rows, size.cols);
  FakeScreen& keys = screen();
  ExpectWhole("Log Info", kTabCaptions);
  ExpectShown("F1-F4 page  Tab next  Alt+key button  F10 quit");

  keys.Press(FunctionKey(2));
  ExpectShown("<Reference>");
  ExpectShown("Ref: <Reference>");
  ExpectWhole("Label Editor", Joined(kTabCaptions, kLabelEditorTexts));

  keys.Press(AltKey(U'v'));
  keys.Pass(400ms);  // the preview follows after its delay
  ExpectShown("Ref: Customer Name");
  if (size.cols >= 140) ExpectShown("F1-F4 page  Tab next  F6 window  F10 quit");
  ExpectWhole("Label Preview", kPreviewTexts);
  keys.Press(FunctionKey(6));
  keys.Press(NamedKey(KeyName::kEscape));
  ExpectGone("Label Preview");

  keys.Press(FunctionKey(4));
  ExpectShown("0 orders printed in the last 24 hours");
  ExpectWhole("History", Joined(kTabCaptions, kHistoryTexts));

  keys.Press(FunctionKey(3));
  ExpectShown("PreLabel");
  ExpectWhole("Setup", Joined(kTabCaptions, kSetupTexts));

  keys.Press(NamedKey(KeyName::kTab));
  keys.Press(NamedKey(KeyName::kTab));  // the backup list
  ExpectHelpWhole();
  // On to the picture, which opens the about box.
  TabUntilHint("Double click for info.");
  keys.Press(NamedKey(KeyName::kEnter));
  ExpectWhole("About", kAboutTexts);
  keys.Press(NamedKey(KeyName::kEnter));
  ExpectGone("CratemarkService");

  // The page's last button, past the tab line: "Setup Tolvan Labels".
  keys.Press(FunctionKey(3));
  keys.Press(NamedKey(KeyName::kBackTab));
  keys.Press(NamedKey(KeyName::kBackTab));
  keys.Press(NamedKey(KeyName::kEnter));
  ExpectWhole("The question", kQuestionTexts);
  keys.Press(CharKey(U'n'));
  ExpectShown("Aborted modification");
  keys.Press(NamedKey(KeyName::kEnter));
  ExpectGone("Aborted modification");
  keys.Press(FunctionKey(10));
  Run();
  EXPECT_FALSE(form_->window().IsShown());
}

INSTANTIATE_TEST_SUITE_P(Terminals, EverySize,
                         ::testing::Values(Size{80, 24}, Size{100, 30}, Size{140, 40}),
                         [](const ::testing::TestParamInfo<Size>& info) {
                           return std::to_string(info.param.cols) + "x" +
                                  std::to_string(info.param.rows);
                         });

TEST_F(ConsoleOnTerminalTest, TabMovesThroughTheSetupPageInOrder) {
  Start(24, 80);
  FakeScreen& keys = screen();
  keys.Press(FunctionKey(3));
  keys.Type(U"L");  // the source list: type-ahead
  keys.Press(NamedKey(KeyName::kTab));
  keys.Type(U"LL");                        // the destination list: the second item with L
  TabUntilHint("Double click for info.");  // past the backup list and the help
  keys.Press(NamedKey(KeyName::kTab));     // the first caption
  keys.Type(U"Boxes");
  keys.Press(NamedKey(KeyName::kTab));
  keys.Type(U"At:");
  keys.Press(NamedKey(KeyName::kBackTab));
  keys.Press(NamedKey(KeyName::kBackspace));
  ExpectShown("Boxe");
  keys.Press(AltKey(U's'));  // Save & Activate
  keys.Press(FunctionKey(10));
  Run();
  EXPECT_EQ(form_->SPLDirSource(), "Label1");
  EXPECT_EQ(form_->SPLDirDest(), "Label2");
  EXPECT_EQ(form_->editLabelsText->Text(), "Boxe");
  EXPECT_EQ(form_->editTimeText->Text(), "At:");
}

TEST_F(ConsoleOnTerminalTest, SetupTolvanLabelsAsksWithYesAsTheDefault) {
  Start(24, 80);
  FakeScreen& keys = screen();
  keys.Press(FunctionKey(3));
  keys.Press(NamedKey(KeyName::kBackTab));
  keys.Press(NamedKey(KeyName::kBackTab));
  keys.Press(NamedKey(KeyName::kEnter));
  ExpectShown("Are you sure?");
  keys.Press(NamedKey(KeyName::kEscape));  // Yes or No must be chosen
  ExpectShown("Are you sure?");
  keys.Press(NamedKey(KeyName::kEnter));
  ExpectShown("Changes applied");
  keys.Press(NamedKey(KeyName::kEscape));  // a box with one button may be dismissed
  ExpectGone("Changes applied");
  keys.Press(FunctionKey(10));
  Run();
  const std::vector<std::string>& record = tables_.tables["LBLPRDEF.DBF"].records.at(0);
  EXPECT_EQ(record.at(0), "99");
  EXPECT_EQ(record.at(22), "F");
  EXPECT_EQ(tables_.open_now, 0);
}

TEST_F(ConsoleOnTerminalTest, TheNotRunningMessageBlinksOnTheClock) {
  Start(24, 80);
  FakeScreen& keys = screen();
  ExpectGone("Cratemark Service is not running!!!");
  keys.Pass(500ms);  // the status timer's first tick: no log, so no service
  int lit = 0, dark = 0;
  for (int i = 0; i < 4; ++i) {
    Expect([&](const FakeScreen& shown) {
      ++(shown.Shows("Cratemark Service is not running!!!") ? lit : dark);
    });
    keys.Pass(500ms);
  }
  ExpectShown(ui::ClockText(clock_.LocalNow()));  // the clock pane, from the clock
  keys.Press(FunctionKey(10));
  Run();
  EXPECT_EQ(lit, 2);
  EXPECT_EQ(dark, 2);
}

// The news a Windows console tells in a balloon goes on the status line,
// beside the status message, once it is new.
TEST_F(ConsoleOnTerminalTest, NewsShowsOnTheStatusLine) {
  const auto write_log = [this](bool with_alert) {
    std::ofstream log(dir_.path() + "Cratemark.txt", std::ios::binary);
    log << "11/12/2026 09:00:00 : -> Loading from 1.spl\r\n";
    if (with_alert) {
      log << "11/12/2026 10:00:00 : ! Alert backup: Labels for Label1 print on the backup "
             "printer Label2\r\n";
    }
  };
  write_log(false);
  Start(40, 140);
  FakeScreen& keys = screen();
  keys.Pass(500ms);
  ExpectGone("Labels at the backup printer");
  Expect([&](const FakeScreen&) { write_log(true); });
  keys.Pass(500ms);
  ExpectShown("Labels at the backup printer: Labels for Label1 print on the backup printer Label2");
  keys.Press(FunctionKey(10));
  Run();
}

// A long log opens at its newest lines and follows the ones the service
// adds; after the user scrolls up, new lines leave the view where it is.
TEST_F(ConsoleOnTerminalTest, LogInfoOpensAtTheNewestLinesAndFollowsThem) {
  const auto write_log = [this](int lines) {
    std::ofstream log(dir_.path() + "Cratemark.txt", std::ios::binary);
    for (int i = 0; i < lines; ++i) log << "log line " << i << "\r\n";
  };
  write_log(300);
  Start(24, 80);
  FakeScreen& keys = screen();
  keys.Pass(500ms);
  ExpectShown("log line 299");
  ExpectGone("log line 0 ");
  Expect([&](const FakeScreen&) { write_log(301); });
  keys.Pass(500ms);
  ExpectShown("log line 300");
  // Into the view, then a page up: the user reads older lines.
  keys.Click(5, 10);
  keys.Press(NamedKey(KeyName::kPageUp));
  Expect([&](const FakeScreen&) { write_log(302); });
  keys.Pass(500ms);
  ExpectGone("log line 301");
  keys.Press(NamedKey(KeyName::kEnd));
  Expect([&](const FakeScreen&) { write_log(303); });
  keys.Pass(500ms);
  ExpectShown("log line 302");
  keys.Press(FunctionKey(10));
  Run();
}

TEST_F(ConsoleOnTerminalTest, TheHistoryPageChoosesAnOrderWithTheKeys) {
  std::string job;
  for (int i = 0; i < 200; ++i) {
    job += (i == 0     ? "Ann Smith"
            : i == 20  ? "Soup"
            : i == 21  ? "no salt"
            : i == 120 ? "Bread"
                       : "");
    job += "\r\n";
  }
  const std::int64_t now_ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                  std::chrono::system_clock::now().time_since_epoch())
                                  .count();
  PrintedFolder printed(SystemFileSystem(), dir_.path());
  ASSERT_FALSE(printed.Keep({now_ns, "1001.spl", PrintedWhere::kPrinter, "Label1"}, job));
  std::filesystem::create_directories(dir_.path() + "Unprinted");
  std::ofstream(dir_.path() + "Unprinted/1000.spl", std::ios::binary) << "Bob\r\nTea\r\n";
  Start(24, 80);
  FakeScreen& keys = screen();
  keys.Press(FunctionKey(4));
  ExpectShown("1 order waits in Unprinted");
  keys.Press(NamedKey(KeyName::kDown));
  keys.Press(NamedKey(KeyName::kDown));  // the second row: the order printed
  ExpectShown("1: Soup (no salt)");
  ExpectShown("2: Bread");
  ExpectWhole("History", Joined(kTabCaptions, kHistoryTexts));
  keys.Press(FunctionKey(10));
  Run();
}

TEST_F(ConsoleOnTerminalTest, TooSmallSaysSoAndDrawsAgainWhenLarger) {
  Start(24, 80);
  FakeScreen& keys = screen();
  keys.Press(FunctionKey(3));
  keys.Resize(20, 60);
  ExpectShown("The terminal is too small for Cratemark");
  ExpectGone("Setup Tolvan Labels");
  keys.Press(FunctionKey(1));  // keys other than F10 do nothing while it is too small
  keys.Resize(30, 100);
  ExpectGone("too small");
  ExpectWhole("Setup after a resize", Joined(kTabCaptions, kSetupTexts));
  keys.Resize(20, 60);
  keys.Press(FunctionKey(10));  // quits even from here
  Run();
  EXPECT_EQ(form_->pageMain->ActivePage(), 2);
}

}  // namespace
}  // namespace cratemark
