// The Label Editor's preview against the real service: the label that the
// service delivers for the console's Test Print is the label the preview
// shows for the same design, captions and moment.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

#include "console/formMain.h"
#include "console/label_preview.h"
#include "console/testing/fake_console_tables.h"
#include "platform/code_page.h"
#include "tests/service_e2e_harness.h"
#include "ui/headless/headless_toolkit.h"

namespace cratemark::e2e {
namespace {

using ui::headless::As;

std::string Joined(const Lines& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\r\n") + line;
  return text;
}

TEST(LabelPreviewE2e, ThePreviewShowsTheLabelTheServiceDeliversForTestPrint) {
  setenv("CRATEMARK_JOB_SETTLE_MS", "0", 1);
  ProgramFolder folder;
  folder.SetUp();
  // Captions that differ from the defaults, one in another case than the
  // job's line; a design in UTF-8 with lone LF breaks, printer control
  // characters, a quote, a character the ANSI code page lacks and tags that
  // stay as written.
  folder.WriteFile("Cratemark.cfg",
                   "SPLDirSource=PreLabel\r\nSPLDirDest=Label1\r\nSPLDirBackup=Label2\r\n"
                   "LabelsText=labels\r\nTimeText=Time:\r\nMapText=Map\r\nTotalText=Total\r\n");
  folder.WriteFile("LabelDesign.txt",
                   "\xEF\xBB\xBF\x02L\nH<Label Header (Parsed)> <Reference> 'x' \xCE\xA9\n"
                   "<Order Time>|<Order Time (Parsed)>|<Order Total>|<Map Code (Parsed)>\n"
                   "<Item Name>\t<Item Mod[1]>/<Item Mod[10]>/<Item Mod[11]>\n"
                   "<Adress> <Item Mod[01]> <Item Mod[n]>\n\x1b"
                   "E\n");
  Child service = folder.StartService();
  ASSERT_TRUE(WaitUntil([&] { return folder.Status() == "0"; }));
  // The destination's spooler holds its lock, so the label stays there.
  const std::string spooler_messages = folder.Path("Label1.spooler");
  Child spooler(folder.Sim({"serve", folder.Path("Label1"), "--hold"}), "/dev/null",
                spooler_messages);
  ASSERT_TRUE(WaitUntil([&] {
    return folder.ReadFile("Label1.spooler").find("tolvansim: serving") != std::string::npos;
  }));

  ui::headless::HeadlessToolkit toolkit;
  testing::FakeConsoleTables tables;
  const LocalTime moment{2026, 12, 10, 9, 41, 7, 0};
  TfrmMain form(toolkit, ConsoleContext{folder.dir(), &tables, [&] { return moment; }});
  As(form.pageMain).ClickPage("Label Editor");
  As(form.btnTestDesign).Click();
  ASSERT_TRUE(WaitUntil([&] { return folder.Exists("Label1/TestLabel.spl"); }))
      << Joined(folder.LogMessages());
  const std::string delivered = folder.ReadFile("Label1/TestLabel.spl");

  As(form.btnPreview).Click();
  EXPECT_EQ(form.memoPreviewLabel->Text(), Joined(ShowControlCharacters(AnsiToUtf8(delivered))));
  // Not an empty or trivial label: the composition really ran on both sides.
  EXPECT_NE(delivered.find("\x02L\r\nH99 of 99 Customer Name 'x' ?\r\n"), std::string::npos)
      << delivered;
  EXPECT_NE(delivered.find("\x1b"
                           "E\r\n"),
            std::string::npos)
      << delivered;
  EXPECT_EQ(form.memoPreviewWarnings->Text(),
            "Line 5, column 1: <Adress>: unknown tag, did you mean <Address>?\r\n"
            "Line 5, column 10: <Item Mod[01]>: leading zero in the modifier number, never "
            "filled\r\n"
            "Line 5, column 25: <Item Mod[n]>: replace n by the modifier's number");
  spooler.Signal(SIGTERM);
  spooler.Wait();
}

}  // namespace
}  // namespace cratemark::e2e
