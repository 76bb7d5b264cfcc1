// The console driven as a user drives it, through the headless toolkit,
// against files in a temporary program folder.
#include "console/formMain.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>

#include "console/label_preview.h"
#include "console/testing/fake_console_tables.h"
#include "platform/file_system.h"
#include "platform/version_info.h"
#include "shared/activity_log.h"
#include "shared/printed_folder.h"
#include "ui/headless/headless_toolkit.h"

namespace cratemark {
namespace {

using ui::MessageAnswer;
using ui::MessageIcon;
using ui::headless::As;

class ConsoleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    dir_ =
        std::filesystem::temp_directory_path() / ("cratemark-console-" + std::to_string(random()));
    std::filesystem::create_directories(dir_);
    program_dir_ = dir_.string() + kPathSeparator;
    tables_.tables["TolvanSpool.DBF"] = {{"Name", "SubDir"}, {}};
  }
  void TearDown() override {
    form_.reset();
    std::filesystem::remove_all(dir_);
  }

  TfrmMain& Start() {
    form_ = std::make_unique<TfrmMain>(
        toolkit_, ConsoleContext{program_dir_, &tables_, [this] { return now_; }});
    return *form_;
  }
  void AddPrinter(const std::string& sub_dir) {
    tables_.tables["TolvanSpool.DBF"].records.push_back({"printer", sub_dir});
  }
  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }
  std::string Read(const std::string& name) {
    std::ifstream file(dir_ / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  }
  bool Exists(const std::string& name) { return std::filesystem::exists(dir_ / name); }
  std::vector<std::string> MessageTexts() {
    std::vector<std::string> texts;
    for (const auto& shown : toolkit_.shown_messages()) texts.push_back(shown.options.text);
    return texts;
  }
  void ShowPage(const char* caption) { As(form_->pageMain).ClickPage(caption); }
  std::string SelectedItem(ui::ListBox* list) {
    return list->Selected() == ui::ListBox::kNoSelection ? "<none>" : list->Item(list->Selected());
  }

  std::filesystem::path dir_;
  std::string program_dir_;
  testing::FakeConsoleTables tables_;
  ui::headless::HeadlessToolkit toolkit_;
  LocalTime now_{2026, 2, 3, 14, 5, 9, 0};
  std::unique_ptr<TfrmMain> form_;
};

// --- start and Setup page ---

TEST_F(ConsoleTest, FirstStartWritesSevenEmptyKeysAndShowsLogInfo) {
  AddPrinter("Label1");
  TfrmMain& form = Start();
  EXPECT_EQ(Read("Cratemark.cfg"),
            "SPLDirSource=\r\nSPLDirDest=\r\nSPLDirBackup=\r\nLabelsText=\r\nTimeText=\r\n"
            "MapText=\r\nTotalText=\r\n");
  EXPECT_EQ(form.pageMain->PageCaption(form.pageMain->ActivePage()), "Log Info");
  EXPECT_FALSE(form.txtErrorLabel->IsVisible());
  ShowPage("Setup");
  EXPECT_EQ(form.editLabelsText->Text(), "");
  EXPECT_EQ(form.editTotalText->Text(), "");
  EXPECT_EQ(SelectedItem(form.listPrnSource), "<none>");
  EXPECT_TRUE(toolkit_.shown_messages().empty());
}

TEST_F(ConsoleTest, EmptySettingsFileIsNotRewrittenAndFirstSaveWritesOnlyWhatIsSet) {
  Write("Cratemark.cfg", "");
  AddPrinter("Label1");
  TfrmMain& form = Start();
  EXPECT_EQ(Read("Cratemark.cfg"), "");
  ShowPage("Setup");
  As(form.listPrnDest).Click(0);
  As(form.editTimeText).Type("Time:");
  As(form.btnSetupSave).Click();
  EXPECT_EQ(Read("Cratemark.cfg"), "SPLDirDest=Label1\r\nTimeText=Time:\r\n");
}

TEST_F(ConsoleTest, PreselectionIgnoresCaseAndSavingUsesTheItemsSpelling) {
  Write("Cratemark.cfg",
        "spldirsource=Kitchen\r\nSPLDirDest=Gone\r\nSPLDirBackup=label2\r\n"
        "LabelsText=Labels\r\nMapText=Map:\r\nTimeText=Time:\r\nTotalText=\r\n"
        "# note\r\n");
  for (const char* printer : {"Label2", "KITCHEN", "bar", "Label2", "kitchen"}) AddPrinter(printer);
  TfrmMain& form = Start();
  ShowPage("Setup");
  EXPECT_EQ(As(form.listPrnSource).items(),
            (std::vector<std::string>{"bar", "KITCHEN", "kitchen", "Label2", "Label2"}));
  EXPECT_EQ(form.listPrnSource->Selected(), 1);         // the first equal item
  EXPECT_EQ(SelectedItem(form.listPrnDest), "<none>");  // not in the host's table
  EXPECT_EQ(form.listPrnBackup->Selected(), 3);
  EXPECT_EQ(form.editLabelsText->Text(), "Labels");
  EXPECT_EQ(form.editMapText->Text(), "Map:");

  As(form.btnSetupSave).Click();
  const std::string expected =
      "SPLDirSource=KITCHEN\r\nSPLDirDest=Gone\r\nSPLDirBackup=Label2\r\nLabelsText=Labels\r\n"
      "MapText=Map:\r\nTimeText=Time:\r\n# note\r\n";
  EXPECT_EQ(Read("Cratemark.cfg"), expected);
  EXPECT_EQ(Read("CratemarkConfigChanged"), expected);
  EXPECT_EQ(form.SPLDirSource(), "KITCHEN");
  EXPECT_EQ(tables_.open_now, 0);
  EXPECT_TRUE(toolkit_.shown_messages().empty());
}

TEST_F(ConsoleTest, ClearingACaptionRemovesItsLineAndRetypingAppendsIt) {
  Write("Cratemark.cfg", "TotalText=Total:\r\nLabelsText=Labels\r\n");
  TfrmMain& form = Start();
  ShowPage("Setup");
  As(form.editTotalText).ClearText();
  As(form.btnSetupSave).Click();
  EXPECT_EQ(Read("Cratemark.cfg"), "LabelsText=Labels\r\n");

  ShowPage("Log Info");
  ShowPage("Setup");
  EXPECT_EQ(form.editTotalText->Text(), "");
  As(form.editTotalText).Type(" Sum: ");  // kept exactly as typed
  As(form.btnSetupSave).Click();
  EXPECT_EQ(Read("Cratemark.cfg"), "LabelsText=Labels\r\nTotalText= Sum: \r\n");
}

TEST_F(ConsoleTest, SettingsReadWithUtf8MarkAreWrittenBackWithIt) {
  const std::string mark = "\xEF\xBB\xBF";
  Write("Cratemark.cfg", mark +
                             "SPLDirSource=K\xC3\xBC"
                             "che\r\nLabelsText=Labels\r\n");
  AddPrinter(
      "K\xC3\xBC"
      "che");
  TfrmMain& form = Start();
  ShowPage("Setup");
  EXPECT_EQ(SelectedItem(form.listPrnSource),
            "K\xC3\xBC"
            "che");
  As(form.btnSetupSave).Click();
  EXPECT_EQ(Read("Cratemark.cfg"), mark +
                                       "SPLDirSource=K\xC3\xBC"
                                       "che\r\nLabelsText=Labels\r\n");
  EXPECT_EQ(Read("CratemarkConfigChanged"), Read("Cratemark.cfg"));
}

TEST_F(ConsoleTest, SaveAndActivateAppendsTwoLogLinesAndWritesTheMarker) {
  Write("Cratemark.cfg", "SPLDirSource=PreLabel\r\n");
  TfrmMain& form = Start();
  ShowPage("Setup");
  As(form.btnSetupSave).Click();
  EXPECT_EQ(form.memoLogInfo->Text(),
            "-> Configuration file saved!\r\n*** Restarting Application ***\r\n");
  EXPECT_TRUE(Exists("CratemarkConfigChanged"));
}

TEST_F(ConsoleTest, SettingsThatCannotBeWrittenShowTheErrorBoxWithAFullStop) {
  std::filesystem::create_directory(dir_ / "Cratemark.cfg");  // unreadable and unwritable
  TfrmMain& form = Start();
  ASSERT_EQ(toolkit_.shown_messages().size(), 1u);
  const auto& box = toolkit_.shown_messages()[0].options;
  EXPECT_EQ(box.caption, "Veltrane's Cratemark");
  EXPECT_EQ(box.icon, MessageIcon::kError);
  EXPECT_TRUE(box.text.starts_with("Cannot create file \"" + program_dir_ + "Cratemark.cfg\"."))
      << box.text;

  ShowPage("Setup");
  As(form.btnSetupSave).Click();
  EXPECT_EQ(toolkit_.shown_messages().size(), 2u);
  EXPECT_EQ(form.memoLogInfo->Text(), "");  // stopped before the log lines
  EXPECT_FALSE(Exists("CratemarkConfigChanged"));
}

TEST_F(ConsoleTest, PrinterTableFailuresShowTheErrorBoxAndLeaveTheTableClosed) {
  Write("Cratemark.cfg", "LabelsText=Labels\r\n");
  tables_.tables.erase("TolvanSpool.DBF");
  TfrmMain& form = Start();
  ShowPage("Setup");
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Table TolvanSpool.DBF does not exist."});
  EXPECT_EQ(form.editLabelsText->Text(), "Labels");  // filled before the failure

  toolkit_.ClearShownMessages();
  tables_.tables["TolvanSpool.DBF"] = {{"Name"}, {{"a"}}};  // no "SubDir" field
  ShowPage("Log Info");
  ShowPage("Setup");
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Field 'SubDir' not found."});
  EXPECT_EQ(tables_.open_now, 0);
}

TEST_F(ConsoleTest, TheErrorBoxAddsAFullStopAfterCharactersThatSortAfterIt) {
  struct Case {
    const char* failure;
    const char* shown;
  };
  const Case cases[] = {
      {"Table is busy", "Table is busy."},
      {"Ends with a stop.", "Ends with a stop."},
      {"Error 5", "Error 5."},
      {"Disk full!", "Disk full!"},                   // '!' sorts before '.'
      {"(reason)", "(reason)"},                       // so does ')'
      {"A-", "A-"},                                   // and '-'
      {"C:/", "C:/."},                                // '/' sorts after it
      {"Gr\xC3\xBC\xC3\x9F", "Gr\xC3\xBC\xC3\x9F."},  // a letter beyond ASCII
  };
  TfrmMain& form = Start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failure);
    tables_.tables["TolvanSpool.DBF"].open_error = c.failure;
    toolkit_.ClearShownMessages();
    ShowPage("Log Info");
    ShowPage("Setup");
    ASSERT_EQ(toolkit_.shown_messages().size(), 1u);
    const auto& box = toolkit_.shown_messages()[0].options;
    EXPECT_EQ(box.text, c.shown);
    EXPECT_EQ(box.caption, "Veltrane's Cratemark");
    EXPECT_EQ(box.icon, MessageIcon::kError);
    EXPECT_EQ(box.buttons, ui::MessageButtons::kOk);
  }
  EXPECT_EQ(form.listPrnSource->Count(), 0);
  EXPECT_EQ(tables_.open_now, 0);
}

// --- Label Editor page ---

TEST_F(ConsoleTest, EnteringTheEditorWithoutADesignShowsTheMessage) {
  TfrmMain& form = Start();
  ShowPage("Label Editor");
  ASSERT_EQ(toolkit_.shown_messages().size(), 1u);
  const auto& box = toolkit_.shown_messages()[0].options;
  EXPECT_EQ(box.text,
            "LabelDesign.txt was not found. Please create your own or get the sample from the "
            "installation files");
  EXPECT_EQ(box.icon, MessageIcon::kNone);
  EXPECT_EQ(box.caption, "Veltrane's Cratemark");

  // Revert reports the failure in the error box instead.
  As(form.btnLoadLast).Click();
  ASSERT_EQ(toolkit_.shown_messages().size(), 2u);
  EXPECT_EQ(toolkit_.shown_messages()[1].options.icon, MessageIcon::kError);
  EXPECT_EQ(form.memoLogInfo->Text(), "");
}

TEST_F(ConsoleTest, TagsAreInsertedAtTheCaretOrBeforeTheSelection) {
  struct Case {
    const char* name;
    std::string design;
    ui::TextPosition from, to;
    const char* tag;
    std::string expected;
  };
  const Case cases[] = {
      {"column 0 of the third line",
       "one\ntwo\nthree\n",
       {2, 0},
       {2, 0},
       "<Phone>",
       "one\r\ntwo\r\n<Phone>three\r\n"},
      {"end of a line", "one\ntwo", {0, 3}, {0, 3}, "<Address>", "one<Address>\r\ntwo"},
      {"before a selection",
       "Name: Smith",
       {0, 4},
       {0, 9},
       "<Reference>",
       "Name<Reference>: Smith"},
      {"selection made backwards",
       "Name: Smith",
       {0, 9},
       {0, 4},
       "<Reference>",
       "Name<Reference>: Smith"},
      {"empty editor", "", {0, 0}, {0, 0}, "<Phone>", "<Phone>"},
      {"after a non-ASCII character", "\xFCx", {0, 1}, {0, 1}, "<Phone>", "\xC3\xBC<Phone>x"},
  };
  TfrmMain& form = Start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Write("LabelDesign.txt", c.design);
    ShowPage("Log Info");
    ShowPage("Label Editor");
    auto& editor = As(form.reLabelDesign);
    editor.LoseFocus();
    editor.SelectRange(c.from, c.to);
    auto& tags = As(form.listTags);
    tags.DoubleClick(static_cast<int>(std::find(tags.items().begin(), tags.items().end(), c.tag) -
                                      tags.items().begin()));
    EXPECT_EQ(editor.Text(), c.expected);
    EXPECT_TRUE(editor.HasFocus());
  }
}

TEST_F(ConsoleTest, TagListKeepsItsOrderAndADoubleClickWithoutSelectionDoesNothing) {
  TfrmMain& form = Start();
  auto& tags = As(form.listTags);
  ASSERT_EQ(tags.Count(), 20);
  EXPECT_EQ(tags.Item(0), "<Address>");
  EXPECT_EQ(tags.Item(1), "<Backup>");
  EXPECT_EQ(tags.Item(7), "<Label Header (Parsed)>");
  EXPECT_EQ(tags.Item(16), "<Reprint>");
  EXPECT_EQ(tags.Item(19), "<Transaction Description>");
  EXPECT_EQ(tags.hint(), "Double click on a tag to insert in the editor");

  form.reLabelDesign->SetText("keep");
  tags.DoubleClickEmptyArea();
  EXPECT_EQ(form.reLabelDesign->Text(), "keep");
  EXPECT_TRUE(toolkit_.shown_messages().empty());
}

TEST_F(ConsoleTest, SavingAndRevertingTheDesign) {
  const std::string mark = "\xEF\xBB\xBF";
  Write("LabelDesign.txt", mark + "<Reference>\r<Phone>\n");
  TfrmMain& form = Start();
  ShowPage("Label Editor");
  EXPECT_EQ(form.reLabelDesign->Text(), "<Reference>\r\n<Phone>\r\n");  // ends with an empty line

  form.reLabelDesign->SetText("<Reference>\r\nLast line");
  As(form.btnSaveDesign).Click();
  EXPECT_EQ(Read("LabelDesign.txt"), mark + "<Reference>\r\nLast line");  // no break added
  EXPECT_EQ(form.memoLogInfo->Text(),
            "-> Label Design saved on " + program_dir_ + "LabelDesign.txt\r\n");
  EXPECT_TRUE(Exists("CratemarkConfigChanged"));

  form.reLabelDesign->SetText("unsaved");
  As(form.btnLoadLast).Click();
  EXPECT_EQ(form.reLabelDesign->Text(), "<Reference>\r\nLast line");
  EXPECT_TRUE(form.memoLogInfo->Text().ends_with(program_dir_ + "<- LabelDesign.txt loaded\r\n"));
}

TEST_F(ConsoleTest, TestPrintWritesOneBlockIntoTheSourceSpoolFolder) {
  Write("Cratemark.cfg", "SPLDirSource=PreLabel\r\nSPLDirDest=Label1\r\n");
  std::filesystem::create_directory(dir_ / "PreLabel");
  TfrmMain& form = Start();
  As(form.btnTestDesign).Click();
  EXPECT_EQ(form.memoLogInfo->Text(),
            "++ Sending TEST file to " + program_dir_ + "Label1\\TestLabel.spl\r\n");
  const std::string job = Read("PreLabel/TestLabel.spl");
  const Lines lines = SplitLines(job);
  ASSERT_EQ(lines.size(), 100u);
  EXPECT_EQ(job.substr(0, 15), "Customer Name\r\n");  // no byte-order mark
  EXPECT_TRUE(job.ends_with("\r\n\r\n"));
  EXPECT_EQ(lines[5], "Time: 02:09 " + DayPeriodDesignator(true));
  EXPECT_EQ(lines[15], "Directions Line 1");
  EXPECT_EQ(lines[16], "");
  EXPECT_EQ(lines[25], "99 Item Name Goes Here");
  EXPECT_EQ(lines[35], "Mod Line 10");
  EXPECT_EQ(lines[36], "");
}

TEST_F(ConsoleTest, TestPrintIntoAMissingFolderShowsTheErrorAfterTheLogLine) {
  Write("Cratemark.cfg", "SPLDirSource=Missing\r\n");
  TfrmMain& form = Start();
  As(form.btnTestDesign).Click();
  ASSERT_EQ(toolkit_.shown_messages().size(), 1u);
  EXPECT_EQ(toolkit_.shown_messages()[0].options.icon, MessageIcon::kError);
  EXPECT_TRUE(form.memoLogInfo->Text().starts_with("++ Sending TEST file to "));
}

// Files of the program folder by name and content, to show that nothing was
// written.
std::map<std::string, std::string> FolderFiles(const std::filesystem::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    if (entry.is_directory()) continue;
    std::ifstream file(entry.path(), std::ios::binary);
    files[entry.path().string()] = {std::istreambuf_iterator<char>(file),
                                    std::istreambuf_iterator<char>()};
  }
  return files;
}

TEST_F(ConsoleTest, PreviewFollowsTheUnsavedTextOnceTheTypingPauses) {
  Write("Cratemark.cfg", "SPLDirSource=PreLabel\r\nTotalText=Total\r\nTimeText=Time:\r\n");
  std::filesystem::create_directory(dir_ / "PreLabel");
  Write("LabelDesign.txt", "<Reference> <Order Total>\r\n");
  TfrmMain& form = Start();
  ShowPage("Label Editor");
  // The page keeps its three buttons; the fourth comes last.
  EXPECT_EQ(As(form.btnLoadLast).caption(), "&Revert to Last");
  EXPECT_EQ(As(form.btnPreview).caption(), "Pre&view");
  EXPECT_EQ(form.frmPreview, nullptr);

  As(form.btnPreview).Click();
  ASSERT_NE(form.frmPreview, nullptr);
  EXPECT_TRUE(form.frmPreview->IsShown());
  // Captions come from the console's settings: "Total" leaves the colon.
  EXPECT_EQ(form.memoPreviewLabel->Text(), "Customer Name :12345.67{CR}{LF}");
  EXPECT_EQ(form.memoPreviewWarnings->Text(), kNoTagWarnings);
  const auto files_before = FolderFiles(dir_);

  auto& editor = As(form.reLabelDesign);
  editor.MoveCaret({1, 0});
  editor.Type("<Order Time (Parsed)>\r\n<Adress>");
  toolkit_.AdvanceMs(200);
  editor.Type("\t");  // typing again puts the refresh off
  toolkit_.AdvanceMs(299);
  EXPECT_EQ(form.memoPreviewLabel->Text(), "Customer Name :12345.67{CR}{LF}");
  toolkit_.AdvanceMs(1);
  EXPECT_EQ(form.memoPreviewLabel->Text(), "Customer Name :12345.67{CR}{LF}\r\n02:09 " +
                                               DayPeriodDesignator(true) +
                                               "{CR}{LF}\r\n<Adress>{HT}{CR}{LF}");
  EXPECT_EQ(form.memoPreviewWarnings->Text(),
            "Line 3, column 1: <Adress>: unknown tag, did you mean <Address>?");
  // Once, not again until the next change.
  EXPECT_FALSE(form.tmrPreview->IsEnabled());

  // Unsaved text is previewed, never written; Test Print writes only its job.
  EXPECT_EQ(FolderFiles(dir_), files_before);
  As(form.btnTestDesign).Click();
  EXPECT_EQ(Read("LabelDesign.txt"), "<Reference> <Order Total>\r\n");
  EXPECT_TRUE(Exists("PreLabel/TestLabel.spl"));
  // The warnings never stand in the way of saving.
  As(form.btnSaveDesign).Click();
  EXPECT_EQ(Read("LabelDesign.txt"), form.reLabelDesign->Text());
  EXPECT_TRUE(toolkit_.shown_messages().empty());

  // Closed, it does not follow; shown again, it is up to date at once.
  dynamic_cast<ui::headless::HeadlessWindow&>(*form.frmPreview).Close();
  editor.SetText("<Phone>");
  EXPECT_FALSE(form.tmrPreview->IsEnabled());
  As(form.btnPreview).Click();
  EXPECT_EQ(form.memoPreviewLabel->Text(), "202-111-2222{CR}{LF}");
  EXPECT_EQ(toolkit_.modal_count(), 0);  // it never blocks the main window

  // Reverting follows the saved design again.
  Write("LabelDesign.txt", "<Reference> <Order Total>\r\n");
  As(form.btnLoadLast).Click();
  toolkit_.AdvanceMs(300);
  EXPECT_EQ(form.memoPreviewLabel->Text(), "Customer Name :12345.67{CR}{LF}");
}

TEST_F(ConsoleTest, PreviewShowsAZplLabelAsItsPictureAndItsTextOneClickAway) {
  Write("Cratemark.cfg", "SPLDirSource=PreLabel\r\n");
  Write("LabelDesign.txt",
        "^XA^PW400^LL200\r\n^FO10,10^GB380,180,4^FS\r\n^FO30,40^A0N,40,40^FD<Reference>^FS\r\n"
        "^BZN^FDx^FS\r\n^XZ\r\n");
  TfrmMain& form = Start();
  ShowPage("Label Editor");
  As(form.btnPreview).Click();
  const ui::MonoImage& image = As(form.imgPreviewLabel).image();
  EXPECT_EQ(image.width, 400);
  EXPECT_EQ(image.height, 200);
  EXPECT_EQ(image.dots[10 * 400 + 10], 1);  // the box's corner
  EXPECT_TRUE(form.imgPreviewLabel->IsVisible());
  EXPECT_FALSE(form.memoPreviewLabel->IsVisible());
  // What the renderer cannot draw joins the tag check.
  EXPECT_EQ(form.memoPreviewWarnings->Text(), "Label picture: ^BZ at line 4: not drawn");

  As(form.btnPreviewShowText).Click();
  EXPECT_FALSE(form.imgPreviewLabel->IsVisible());
  EXPECT_TRUE(form.memoPreviewLabel->IsVisible());
  EXPECT_EQ(form.memoPreviewLabel->Text().substr(0, 25), "^XA^PW400^LL200{CR}{LF}\r\n");
  As(form.btnPreviewShowText).Click();
  EXPECT_TRUE(form.imgPreviewLabel->IsVisible());

  // A design that asks for UTF-8 with characters beyond ASCII is warned of.
  As(form.reLabelDesign).SetText("^XA^CI28^FO0,0^FD\xc3\xa9t\xc3\xa9^FS^XZ");
  toolkit_.AdvanceMs(300);
  EXPECT_EQ(form.memoPreviewWarnings->Text(), kUtf8DesignWarning);
}

// --- status monitor ---

TEST_F(ConsoleTest, StatusMessagesFollowTheStatusFile) {
  Write("Cratemark.cfg", "SPLDirSource=PreLabel\r\nSPLDirDest=Label1\r\nSPLDirBackup=Label2\r\n");
  Write("Cratemark.txt", "01/02/2026 10:00:00 : ! Starting service...\r\n");
  TfrmMain& form = Start();
  struct Case {
    const char* status_file;  // nullptr: no file
    const char* expected;     // nullptr: hidden
  };
  const Case cases[] = {
      {"1\r\n", "Printer \"PreLabel\" NOT configured"},
      {"2\r\n", "Printer \"Label1\" NOT configured"},
      {"0\r\n", nullptr},
      {"3\r\n", "Cannot open or create LockSPL.dbf"},
      {"4\r\n", "Printer \"Label2\" NOT configured"},
      {"5\r\n", "LabelDesign.txt does not exist."},
      {"65537\r\n", "Printer \"PreLabel\" NOT configured"},
      {"7\r\n", "Cratemark.cfg cannot be read"},
      {"8\r\n", "Tolvan's spooler still serves PreLabel"},
      {"42\r\n", ""},  // unknown: shown blank
      {"-1\r\n", ""},
      {"65536\r\n", nullptr},
      {"65542\r\n", "Cratemark Service is not running!!!"},
      {"-65534\r\n", "Printer \"Label1\" NOT configured"},  // low 16 bits: 2
      {"+4\r\n", "Printer \"Label2\" NOT configured"},
      {" 3\r\n", "Cannot open or create LockSPL.dbf"},
      {"3x\r\n", "Cannot open or create LockSPL.dbf"},  // ignored: stays as it was
      {"3 \r\n", "Cannot open or create LockSPL.dbf"},
      {"\r\n5\r\n", "Cannot open or create LockSPL.dbf"},  // only the first line counts
      {"99999999999\r\n", "Cannot open or create LockSPL.dbf"},
      {"", "Cannot open or create LockSPL.dbf"},
      {nullptr, "Cannot open or create LockSPL.dbf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status_file ? c.status_file : "(no file)");
    if (c.status_file) {
      Write("Cratemark.err", c.status_file);
    } else {
      std::filesystem::remove(dir_ / "Cratemark.err");
    }
    toolkit_.AdvanceMs(500);
    if (c.expected) {
      EXPECT_TRUE(form.txtErrorLabel->IsVisible());
      EXPECT_TRUE(form.txtErrorLabel->IsBlinking());
      EXPECT_EQ(form.txtErrorLabel->Text(), c.expected);
    } else {
      EXPECT_FALSE(form.txtErrorLabel->IsVisible());
      EXPECT_FALSE(form.txtErrorLabel->IsBlinking());
    }
  }
  EXPECT_TRUE(toolkit_.shown_messages().empty());
}

TEST_F(ConsoleTest, AMissingLogFileMeansTheServiceIsNotRunning) {
  Write("Cratemark.txt", "line one\r\n");
  Write("Cratemark.err", "0\r\n");
  TfrmMain& form = Start();
  toolkit_.AdvanceMs(500);
  EXPECT_EQ(form.memoLogInfo->Text(), "line one\r\n");
  EXPECT_FALSE(form.txtErrorLabel->IsVisible());

  std::filesystem::remove(dir_ / "Cratemark.txt");
  toolkit_.AdvanceMs(500);
  EXPECT_EQ(form.txtErrorLabel->Text(), "Cratemark Service is not running!!!");
  EXPECT_TRUE(form.txtErrorLabel->IsVisible());
  EXPECT_EQ(form.memoLogInfo->Text(), "line one\r\n");  // keeps the last text

  // The text flashes on the console-wide half-second rhythm.
  auto& label = As(form.txtErrorLabel);
  bool lit = label.IsLit();
  toolkit_.AdvanceMs(500);
  EXPECT_NE(label.IsLit(), lit);

  Write("Cratemark.txt", "line one\r\nline two\r\n");
  toolkit_.AdvanceMs(500);
  EXPECT_FALSE(form.txtErrorLabel->IsVisible());
  EXPECT_EQ(form.memoLogInfo->Text(), "line one\r\nline two\r\n");
}

TEST_F(ConsoleTest, AnUnchangedLogKeepsTheScrollPositionAndAppendedLinesAreReplaced) {
  Write("Cratemark.txt", "a\nb\rc\r\nd\r\n");
  TfrmMain& form = Start();
  toolkit_.AdvanceMs(500);
  auto& view = As(form.memoLogInfo);
  EXPECT_EQ(view.Text(), "a\r\nb\r\nc\r\nd\r\n");
  view.ScrollTo(1);
  toolkit_.AdvanceMs(1000);
  EXPECT_EQ(view.TopLine(), 1);

  ShowPage("Setup");
  As(form.btnSetupSave).Click();
  EXPECT_TRUE(view.Text().ends_with("*** Restarting Application ***\r\n"));
  toolkit_.AdvanceMs(500);
  EXPECT_EQ(view.Text(), "a\r\nb\r\nc\r\nd\r\n");
  EXPECT_EQ(view.TopLine(), 3);  // a new text shows its end
}

// Like a terminal: the view opens at the newest line and stays with the
// newest lines as the service writes them, unless the user has scrolled up;
// back at the end, it follows again.
TEST_F(ConsoleTest, LogViewOpensAtTheEndAndFollowsNewLinesUnlessScrolledUp) {
  Write("Cratemark.err", "0\r\n");
  auto service = std::make_unique<ActivityLog>(SystemFileSystem(), program_dir_);
  for (int i = 0; i < 5; ++i) service->WriteAt(now_, "line " + std::to_string(i));
  TfrmMain& form = Start();
  toolkit_.AdvanceMs(500);
  auto& view = As(form.memoLogInfo);
  EXPECT_TRUE(view.IsFollowing());
  EXPECT_EQ(view.TopLine(), 4);

  service->WriteAt(now_, "line 5");
  toolkit_.AdvanceMs(500);
  EXPECT_EQ(view.AppendTextCount(), 1);
  EXPECT_EQ(view.TopLine(), 5);

  view.ScrollTo(2);
  service->WriteAt(now_, "line 6");
  toolkit_.AdvanceMs(500);
  EXPECT_FALSE(view.IsFollowing());
  EXPECT_EQ(view.TopLine(), 2);

  view.ScrollTo(6);
  service->WriteAt(now_, "line 7");
  toolkit_.AdvanceMs(500);
  EXPECT_TRUE(view.IsFollowing());
  EXPECT_EQ(view.TopLine(), 7);
}

// The service's log through a start, jobs, a pause, a continue, a stop and a
// new process: after every tick the view holds exactly what reading the whole
// file shows, while growth reaches it as appended lines and an idle tick
// touches nothing.
TEST_F(ConsoleTest, LogViewFollowsTheServiceLogThroughItsWholeLife) {
  Write("Cratemark.err", "0\r\n");
  TfrmMain& form = Start();
  auto& view = As(form.memoLogInfo);
  const std::string log_path = program_dir_ + "Cratemark.txt";
  std::string last_file_text;
  const auto tick_and_check = [&](const char* what) {
    SCOPED_TRACE(what);
    toolkit_.AdvanceMs(500);
    if (Exists("Cratemark.txt")) {
      last_file_text = JoinLines(ReadTextFile(SystemFileSystem(), log_path).lines);
      EXPECT_FALSE(form.txtErrorLabel->IsVisible());
    } else {
      EXPECT_EQ(form.txtErrorLabel->Text(), "Cratemark Service is not running!!!");
    }
    EXPECT_EQ(view.Text(), last_file_text);  // a missing file leaves the last text
  };

  auto service = std::make_unique<ActivityLog>(SystemFileSystem(), program_dir_);
  service->WriteAt(now_, "! Starting service...");
  service->WriteAt(now_, "! Source Spool Directory is: \"x\"");
  tick_and_check("start");
  for (int job = 0; job < 3; ++job) {
    service->WriteAt(now_, "-> Loading from job" + std::to_string(job));
    service->WriteAt(now_, "++ Sending to job" + std::to_string(job));
    tick_and_check("a job");
  }
  const int set_texts = view.SetTextCount();
  EXPECT_GE(view.AppendTextCount(), 3);

  view.ScrollTo(2);
  const int appends = view.AppendTextCount();
  for (int tick = 0; tick < 4; ++tick) tick_and_check("idle");
  EXPECT_EQ(view.SetTextCount(), set_texts);
  EXPECT_EQ(view.AppendTextCount(), appends);
  EXPECT_EQ(view.TopLine(), 2);
  service->WriteAt(now_, "-- Deleting job2");
  tick_and_check("one more line");
  EXPECT_EQ(view.SetTextCount(), set_texts);
  EXPECT_EQ(view.TopLine(), 2);  // new lines below leave the user where they were

  service->WriteAt(now_, "! Stopping service...");
  service->RemoveFile();
  tick_and_check("paused");
  service->WriteAt(now_, "! Starting service...");
  tick_and_check("continued");
  EXPECT_TRUE(view.Text().starts_with(JoinLines({LogLineText(now_, "! Starting service...")})));

  service->WriteAt(now_, "! Stopping service...");
  service->RemoveFile();
  tick_and_check("stopped");
  service = std::make_unique<ActivityLog>(SystemFileSystem(), program_dir_);  // a new process
  service->WriteAt(now_, "! Starting service...");
  tick_and_check("a new process replaces the log");
  EXPECT_EQ(view.Text(), JoinLines({LogLineText(now_, "! Starting service...")}));

  Write("Cratemark.txt", "replaced by hand\r\n");
  tick_and_check("replaced in place");
  service->WriteAt(now_, "after it");
  tick_and_check("appended to the replaced file");
}

// --- notification area ---

TEST_F(ConsoleTest, NewsGoesToTheNotificationAreaOnceAndOnlyForWhatIsNew) {
  using Shown = ui::headless::HeadlessNotificationArea::Shown;
  Write("Cratemark.cfg", "SPLDirSource=PreLabel\r\nSPLDirDest=Label1\r\nSPLDirBackup=Label2\r\n");
  // Over before the console started: history, not news.
  const std::string old_backup =
      "11/12/2026 09:00:00 : ! Alert backup: Labels for Label1 print on "
      "the backup printer Label2\r\n11/12/2026 09:05:00 : ! Alert "
      "cleared: Labels print at Label1 again (over: backup)\r\n";
  Write("Cratemark.txt", old_backup);
  Write("Cratemark.err", "0\r\n");
  TfrmMain& form = Start();
  auto& tray = *As(form.window()).notification_area();
  EXPECT_EQ(tray.tip(), "Veltrane's Cratemark");
  toolkit_.AdvanceMs(500);
  EXPECT_TRUE(tray.shown().empty());

  // Many alert lines in one tick are one balloon: the service's own words.
  std::string burst = old_backup;
  for (int i = 0; i < 50; ++i) {
    burst +=
        "11/12/2026 10:00:00 : ! Alert backup: Labels for Label1 print on the backup printer "
        "Label2\r\n11/12/2026 10:00:00 : -> Loading from " +
        std::to_string(i) + ".spl\r\n";
  }
  Write("Cratemark.txt", burst);
  toolkit_.AdvanceMs(5000);
  EXPECT_EQ(tray.shown(), (std::vector<Shown>{{"Labels at the backup printer",
                                               "Labels for Label1 print on the backup printer "
                                               "Label2"}}));

  Write("Cratemark.err", "2\r\n");
  std::filesystem::create_directories(dir_ / "Unprinted");
  Write("Unprinted/7.spl", "not a label job");
  toolkit_.AdvanceMs(5000);
  // The status at once, the orders at the next count of Unprinted.
  EXPECT_EQ(tray.shown(),
            (std::vector<Shown>{
                tray.shown().front(),
                {"Labels stopped", "Printer \"Label1\" NOT configured"},
                {"Order not printed", "1 order waits in Unprinted: see the History page."}}));
  toolkit_.AdvanceMs(10000);
  EXPECT_EQ(tray.shown().size(), 3u);
}

TEST_F(ConsoleTest, ClosingWhileTheServiceRunsKeepsTheConsoleInTheNotificationArea) {
  Write("Cratemark.txt", "line one\r\n");
  Write("Cratemark.err", "0\r\n");
  TfrmMain& form = Start();
  auto& window = As(form.window());
  auto& tray = *window.notification_area();
  window.Show();
  toolkit_.AdvanceMs(500);
  window.CloseMain();
  EXPECT_FALSE(window.has_quit());
  EXPECT_FALSE(window.IsShown());
  tray.ChooseOpen();
  EXPECT_TRUE(window.IsShown());
  tray.ChooseQuit();
  EXPECT_TRUE(window.has_quit());

  // Nothing to watch: closing ends it, as it does where nothing can hold it.
  form_.reset();
  TfrmMain& again = Start();
  auto& second = As(again.window());
  std::filesystem::remove(dir_ / "Cratemark.txt");
  toolkit_.AdvanceMs(500);
  second.CloseMain();
  EXPECT_TRUE(second.has_quit());
  form_.reset();
  TfrmMain& third = Start();
  auto& terminal_like = As(third.window());
  terminal_like.notification_area()->SetHoldsProgram(false);
  Write("Cratemark.txt", "line one\r\n");
  toolkit_.AdvanceMs(500);
  terminal_like.CloseMain();
  EXPECT_TRUE(terminal_like.has_quit());

  // There the status message tells the status; only the other news go beside it.
  Write("Cratemark.err", "2\r\n");
  Write("Cratemark.txt",
        "line one\r\n11/12/2026 10:00:00 : ! Alert stopped: No printer prints\r\n");
  toolkit_.AdvanceMs(500);
  using Shown = ui::headless::HeadlessNotificationArea::Shown;
  EXPECT_EQ(terminal_like.notification_area()->shown(),
            (std::vector<Shown>{{"No printer prints", "No printer prints"}}));
  EXPECT_EQ(third.txtErrorLabel->Text(), "Printer \"\" NOT configured");
}

TEST_F(ConsoleTest, StartedAtLogonOnlyTheNotificationAreaShows) {
  for (bool at_logon : {false, true}) {
    form_ = std::make_unique<TfrmMain>(toolkit_,
                                       ConsoleContext{.program_dir = program_dir_,
                                                      .tables = &tables_,
                                                      .start_in_notification_area = at_logon});
    EXPECT_EQ(As(form_->window()).hide_count(), at_logon ? 1 : 0);
    form_.reset();
  }
}

// --- "Setup Tolvan Labels" ---

class SetupTolvanLabelsTest : public ConsoleTest {
 protected:
  void MakeDefinitionTable(int field_count, int record_count) {
    testing::FakeTableData table;
    for (int i = 1; i <= field_count; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "F%d", i);
      table.fields.emplace_back(name);
    }
    for (int r = 0; r < record_count; ++r) table.records.emplace_back(field_count, "old");
    tables_.tables["LBLPRDEF.DBF"] = table;
  }
  const std::vector<std::string>& FirstRecord() {
    return tables_.tables["LBLPRDEF.DBF"].records.at(0);
  }
};

TEST_F(SetupTolvanLabelsTest, AnsweringNoOpensNothing) {
  MakeDefinitionTable(45, 1);
  TfrmMain& form = Start();
  toolkit_.QueueAnswer(MessageAnswer::kNo);
  As(form.btn).Click();
  ASSERT_EQ(toolkit_.shown_messages().size(), 2u);
  const auto& question = toolkit_.shown_messages()[0].options;
  EXPECT_EQ(question.text, "This will reset the Label Setup in Tolvan. Are you sure?");
  EXPECT_EQ(question.caption, "WARNING!!!!");
  EXPECT_EQ(question.buttons, ui::MessageButtons::kYesNo);
  EXPECT_EQ(question.icon, MessageIcon::kNone);
  EXPECT_EQ(question.default_button, 0);
  const auto& aborted = toolkit_.shown_messages()[1].options;
  EXPECT_EQ(aborted.text, "Aborted modification");
  EXPECT_EQ(aborted.caption, "Veltrane's Cratemark");
  EXPECT_EQ(aborted.icon, MessageIcon::kNone);
  EXPECT_EQ(aborted.buttons, ui::MessageButtons::kOk);
  EXPECT_EQ(tables_.opens, 0);
}

TEST_F(SetupTolvanLabelsTest, FortyFiveFieldsGetTheValuesAndKeepTheRest) {
  MakeDefinitionTable(45, 2);
  TfrmMain& form = Start();
  for (int run = 0; run < 2; ++run) {  // a second run gives the same record
    toolkit_.QueueAnswer(MessageAnswer::kYes);
    As(form.btn).Click();
    EXPECT_EQ(toolkit_.shown_messages().back().options.text, "Changes applied");
    EXPECT_EQ(toolkit_.shown_messages().back().options.icon, MessageIcon::kNone);
    // The host's label setup, field by field ("F": logical false).
    const std::vector<std::string> expected = {
        "99", "21", "120", "0",   "55",  "1",   "0",   "11",  "0",  "10", "0", "8",
        "0",  "9",  "12",  "0",   "1",   "1",   "1",   "1",   "2",  "0",  "F", "5",
        "0",  "6",  "0",   "7",   "0",   "4",   "0",   "F",   "3",  "0",  "F", "1",
        "0",  "F",  "F",   "old", "old", "old", "old", "old", "old"};
    EXPECT_EQ(FirstRecord(), expected);
  }
  EXPECT_EQ(tables_.tables["LBLPRDEF.DBF"].records[1][0], "old");
  EXPECT_EQ(tables_.open_now, 0);
}

TEST_F(SetupTolvanLabelsTest, FailuresShowOneMessageAndLeaveNothingOpenOrLocked) {
  struct Case {
    const char* name;
    int fields;  // -1: no table
    bool host_lock;
  };
  for (const Case& c : {Case{"38 fields", 38, false}, Case{"no table", -1, false},
                        Case{"record held by the host", 45, true}}) {
    SCOPED_TRACE(c.name);
    tables_.tables.erase("LBLPRDEF.DBF");
    if (c.fields >= 0) MakeDefinitionTable(c.fields, 1);
    if (c.host_lock) tables_.tables["LBLPRDEF.DBF"].record_locked_by_host = true;
    toolkit_.ClearShownMessages();
    Start();
    toolkit_.QueueAnswer(MessageAnswer::kYes);
    As(form_->btn).Click();
    ASSERT_EQ(toolkit_.shown_messages().size(), 2u);
    // The fixed text first, then the table's own reason.
    EXPECT_EQ(toolkit_.shown_messages()[1].options.text.rfind(
                  "Failed to set values. Run REBASER\r\n\r\n", 0),
              0u);
    EXPECT_GT(toolkit_.shown_messages()[1].options.text.size(), 38u);
    EXPECT_EQ(toolkit_.shown_messages()[1].options.icon, MessageIcon::kNone);
    EXPECT_EQ(tables_.open_now, 0);
    EXPECT_EQ(tables_.locks_held, 0);
    if (c.fields >= 0)
      EXPECT_EQ(FirstRecord()[0], "old");
    else
      EXPECT_EQ(tables_.tables.count("LBLPRDEF.DBF"), 0u);
  }
}

TEST_F(SetupTolvanLabelsTest, AnEmptyTableGetsOneRecord) {
  MakeDefinitionTable(39, 0);
  TfrmMain& form = Start();
  As(form.btn).Click();  // Enter answers Yes
  EXPECT_EQ(toolkit_.shown_messages().back().options.text, "Changes applied");
  ASSERT_EQ(tables_.tables["LBLPRDEF.DBF"].records.size(), 1u);
  EXPECT_EQ(FirstRecord()[1], "21");
}

// --- about box ---

namespace about {

// The built program when there is one beside the tests, else a file
// carrying the version marker as the programs embed it.
void PlaceProgram(const std::filesystem::path& dir, const std::string& base,
                  const std::string& marker_version) {
  const char* bin_dir = std::getenv("CRATEMARK_BIN_DIR");
  const std::filesystem::path built = std::filesystem::path(bin_dir ? bin_dir : ".") /
                                      (base + (kExecutableSuffix[0] ? ".exe" : ""));
  const std::filesystem::path placed = dir / (base + kExecutableSuffix);
  if (std::filesystem::exists(built)) {
    std::filesystem::copy_file(built, placed, std::filesystem::copy_options::overwrite_existing);
  } else {
    std::ofstream(placed, std::ios::binary)
        << std::string(
               "\x7f"
               "ELF\0\0",
               6)
        << "CRATEMARK-FILEVERSION=" << marker_version << std::string("\0\0", 2);
  }
}

}  // namespace about

TEST_F(ConsoleTest, AboutBoxShowsTheVersionsReadFromTheProgramFiles) {
  TfrmMain& form = Start();
  TAboutBox& box = form.about_box();
  const auto& options = dynamic_cast<ui::headless::HeadlessWindow&>(box.window()).options();
  EXPECT_EQ(options.kind, ui::WindowKind::kTool);
  EXPECT_EQ(options.client_width, 402);
  EXPECT_EQ(options.client_height, 219);
  EXPECT_TRUE(As(box.OKButton).is_default());
  EXPECT_EQ(As(form.ProgramIcon).hint(), "Double click for info.");

  // Without the programs the names stay as designed.
  As(form.ProgramIcon).DoubleClick();
  EXPECT_EQ(toolkit_.modal_count(), 1);
  EXPECT_EQ(box.lblCratemark->Text(), "Cratemark");
  EXPECT_EQ(box.lblCratemarkS->Text(), "CratemarkService");

  about::PlaceProgram(dir_, "Cratemark", "1.1.1.5");
  As(form.ProgramIcon).DoubleClick();
  EXPECT_EQ(box.lblCratemark->Text(), "Cratemark v1.1.1.5");
  EXPECT_EQ(box.lblCratemarkS->Text(), "CratemarkService");

  about::PlaceProgram(dir_, "CratemarkService", "1.0.0.0");
  std::filesystem::remove(dir_ / (std::string("Cratemark") + kExecutableSuffix));
  As(form.ProgramIcon).DoubleClick();
  EXPECT_EQ(box.lblCratemarkS->Text(), "CratemarkService v1.0.0.0");
  EXPECT_EQ(box.lblCratemark->Text(), "Cratemark v1.1.1.5");  // once set, kept
  EXPECT_TRUE(toolkit_.shown_messages().empty());
}

}  // namespace
}  // namespace cratemark

namespace cratemark {
namespace {

// --- History page ---

// A job of `blocks` labels for `reference`, item i+1 on label i.
std::string HistoryJob(const std::string& reference, int blocks) {
  std::string job;
  for (int b = 0; b < blocks; ++b) {
    for (int i = 0; i < 100; ++i) {
      if (i == 0) job += reference;
      if (i == 20) job += "Item " + std::to_string(b + 1);
      if (i == 21 && b == 0) job += "no salt";
      job += "\r\n";
    }
  }
  return job;
}

class HistoryPageTest : public ConsoleTest {
 protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    Write("Cratemark.cfg", "SPLDirSource=PreLabel\r\nSPLDirDest=Label1\r\nSPLDirBackup=Label2\r\n");
    std::filesystem::create_directories(dir_ / "PreLabel");
    // What the service kept: two orders delivered, the newer one to the backup.
    PrintedFolder printed(SystemFileSystem(), program_dir_);
    const std::int64_t now_ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                    std::chrono::system_clock::now().time_since_epoch())
                                    .count();
    ASSERT_FALSE(
        printed.Keep({now_ns - 2'000'000'000, "1001.spl", PrintedWhere::kPrinter, "Label1"},
                     HistoryJob("Ann", 2)));
    ASSERT_FALSE(printed.Keep({now_ns - 1'000'000'000, "1002.spl", PrintedWhere::kBackup, "Label2"},
                              HistoryJob("Bob", 1)));
    std::filesystem::create_directories(dir_ / "Unprinted");
    Write("Unprinted/odd.spl", "Cy\r\nSoup\r\n");
  }
  std::string Source(const std::string& name) { return Read("PreLabel/" + name); }
};

TEST_F(HistoryPageTest, ListsWaitingOrdersFirstThenTheNewestAndTheirLabels) {
  TfrmMain& form = Start();
  ShowPage("History");
  const auto& rows = As(form.listHistory).items();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_TRUE(rows[0].starts_with("* NOT PRINTED  ")) << rows[0];
  EXPECT_NE(rows[0].find("odd.spl  Cy  2 lines"), std::string::npos) << rows[0];
  EXPECT_NE(rows[1].find("1002.spl  Bob  Item 1  1 label  Label2 (backup)"), std::string::npos)
      << rows[1];
  EXPECT_NE(rows[2].find("1001.spl  Ann  Item 1, Item 2  2 labels  Label1"), std::string::npos)
      << rows[2];
  EXPECT_EQ(form.lblHistoryStatus->Text(),
            "1 order waits in Unprinted, first below  -  2 orders printed in the last 24 hours");

  As(form.listHistory).Click(2);
  EXPECT_EQ(As(form.listHistoryLabels).items(),
            (std::vector<std::string>{"1: Item 1 (no salt)", "2: Item 2"}));
  As(form.listHistory).Click(0);  // a waiting order: its text, to be read
  EXPECT_TRUE(As(form.listHistoryLabels).items().empty());
  EXPECT_NE(form.memoHistoryOrder->Text().find("\r\nCy\r\nSoup\r\n"), std::string::npos)
      << form.memoHistoryOrder->Text();
}

TEST_F(HistoryPageTest, ReprintAndReprintLabelWriteNewJobsIntoTheSourceFolder) {
  TfrmMain& form = Start();
  ShowPage("History");
  As(form.listHistory).Click(2);
  As(form.btnReprint).Click();
  EXPECT_EQ(Source("Reprint-1001-1.spl"), HistoryJob("Ann", 2));
  As(form.btnReprint).Click();  // never replaces the first
  EXPECT_EQ(Source("Reprint-1001-2.spl"), HistoryJob("Ann", 2));

  As(form.listHistoryLabels).Click(1);
  As(form.btnReprintLabel).Click();
  const std::string second = HistoryJob("Ann", 2).substr(HistoryJob("Ann", 1).size());
  EXPECT_EQ(Source("Reprint-1001-3.spl"), second);
  EXPECT_NE(Read("Reprint-1001-3.spl"), second);  // nothing in the program folder itself

  // A waiting order is of another layout: it is not sent.
  As(form.listHistory).Click(0);
  As(form.btnReprint).Click();
  EXPECT_EQ(MessageTexts().back(),
            "This order is not in the label layout, so it cannot be printed.");
  EXPECT_FALSE(Exists("PreLabel/Reprint-odd-1.spl"));
}

TEST_F(HistoryPageTest, AWaitingOrderIsRemovedOnlyAfterYes) {
  TfrmMain& form = Start();
  ShowPage("History");
  As(form.listHistory).Click(0);
  toolkit_.QueueAnswer(MessageAnswer::kNo);
  As(form.btnRemoveUnprinted).Click();
  EXPECT_TRUE(Exists("Unprinted/odd.spl"));
  toolkit_.QueueAnswer(MessageAnswer::kYes);
  As(form.btnRemoveUnprinted).Click();
  EXPECT_FALSE(Exists("Unprinted/odd.spl"));
  EXPECT_EQ(As(form.listHistory).items().size(), 2u);
  // A kept order cannot be removed from here.
  As(form.listHistory).Click(0);
  As(form.btnRemoveUnprinted).Click();
  EXPECT_EQ(MessageTexts().back(),
            "Only an order waiting in Unprinted can be removed; choose one first.");
}

}  // namespace
}  // namespace cratemark
