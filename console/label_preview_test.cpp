#include "console/label_preview.h"

#include <gtest/gtest.h>

#include "console/test_job.h"
#include "platform/code_page.h"

namespace cratemark {
namespace {

const LabelCaptions kCaptions{"Labels", "Time:", "Map:", "Total:"};

Lines TestJob() { return BuildTestJobLines(LocalTime{2026, 12, 10, 14, 5, 9, 0}, "AM", "PM"); }

TEST(LabelPreview, ControlCharactersAreSpeltOutAndLineBreaksEndLines) {
  struct Case {
    std::string text;
    Lines shown;
  } cases[] = {
      {"", {}},
      {"A\r\nB\r\n", {"A{CR}{LF}", "B{CR}{LF}"}},
      {"\x1b"
       "A\tB\x7f\x02",
       {"{ESC}A{HT}B{DEL}{STX}"}},
      {"x\ry\nz", {"x{CR}", "y{LF}", "z"}},
      {"\r\n\r\n", {"{CR}{LF}", "{CR}{LF}"}},
      {std::string("a\0b", 3), {"a{NUL}b"}},
      {"Größe € {CR}", {"Größe € {CR}"}},  // only real control characters
  };
  for (const Case& c : cases) EXPECT_EQ(ShowControlCharacters(c.text), c.shown) << c.text;
}

TEST(LabelPreview, ShowsTheTestJobsLabelAsTheFileThePrinterGets) {
  const std::string design =
      "\x1b"
      "A<Reference> 'q'\r\n"
      "<Order Time (Parsed)>|<ORDER TOTAL>|<Label Header (Parsed)>|<Map Code (Parsed)>\r\n"
      "<Item Name>: <Item Mod[1]>, <Item Mod[10]>, <Item Mod[11]>.\r\n"
      "<Adress> <Item Mod[01]> Ω €\r\n";
  const LabelPreview preview = PreviewLabel(design, TextEncoding::kAnsi, TestJob(), kCaptions);
  EXPECT_EQ(preview.label_lines,
            (Lines{"{ESC}ACustomer Name 'q'{CR}{LF}", "02:09 PM|12345.67|99 of 99|G3{CR}{LF}",
                   "99 Item Name Goes Here: Mod Line 1, Mod Line 10, .{CR}{LF}",
                   "<Adress> <Item Mod[01]> ? €{CR}{LF}"}));
  EXPECT_EQ(preview.warnings,
            (Lines{"Line 4, column 1: <Adress>: unknown tag, did you mean <Address>?",
                   "Line 4, column 10: <Item Mod[01]>: leading zero in the modifier number, never "
                   "filled"}));
  EXPECT_TRUE(preview.LabelText().starts_with("{ESC}ACustomer Name 'q'{CR}{LF}\r\n02:09 PM|"));
}

TEST(LabelPreview, TheFileTextIsWhatTheComposerGivesInTheAnsiCodePage) {
  // A quote in a job line is escaped as the service escapes it; the design's
  // own quote is not. Characters outside the code page arrive as "?", also
  // when the design keeps them in UTF-8.
  Lines job = TestJob();
  job[0] = "O'Brien";
  for (TextEncoding encoding : {TextEncoding::kAnsi, TextEncoding::kUtf8, TextEncoding::kUtf16LE}) {
    EXPECT_EQ(ComposeLabelFileText("'<Reference>' Ω\r\n<Phone>", encoding, job, kCaptions),
              "'O\\'Brien' ?\r\n202-111-2222\r\n");
  }
  // No block layout, no label, as the service delivers an empty file then.
  job.pop_back();
  EXPECT_EQ(ComposeLabelFileText("<Reference>", TextEncoding::kAnsi, job, kCaptions), "");
}

TEST(LabelPreview, WithoutFindingsTheWarningsSaySo) {
  const LabelPreview preview =
      PreviewLabel("<Reference>\r\n<Item Mod[2]>", TextEncoding::kAnsi, TestJob(), kCaptions);
  EXPECT_TRUE(preview.warnings.empty());
  EXPECT_EQ(preview.WarningsText(), kNoTagWarnings);
  EXPECT_EQ(preview.label_lines, (Lines{"Customer Name{CR}{LF}", "Mod Line 2{CR}{LF}"}));
}

TEST(LabelPreview, TheMarkTagsAreKnownAndEmptyOnATestPrint) {
  const LabelPreview preview =
      PreviewLabel("<reprint>|<BACKUP>|<Reference>", TextEncoding::kAnsi, TestJob(), kCaptions);
  EXPECT_EQ(preview.label_lines, (Lines{"||Customer Name{CR}{LF}"}));
  EXPECT_EQ(preview.warnings,
            (Lines{"<Reprint>: empty on a first print such as this; REPRINT on a reprint from the "
                   "History page",
                   "<Backup>: empty on a test print such as this; BACKUP for <label printer> on "
                   "labels the backup printer prints"}));
}

}  // namespace
}  // namespace cratemark
