#include "shared/label_composer.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/error.h"
#include "platform/text.h"
#include "shared/label_design.h"
#include "shared/order_job.h"

namespace cratemark {
namespace {

// One 100-line block with the given lines set, the others empty.
Lines Block(const std::map<int, std::string>& set) {
  Lines block(kJobBlockLines);
  for (const auto& [position, text] : set) block[position] = text;
  return block;
}

// "m" followed by the number (appended: GCC 12 misreports "m" + to_string).
std::string Mod(std::size_t n) {
  std::string text = "m";
  text += std::to_string(n);
  return text;
}

Lines Concat(std::initializer_list<Lines> blocks) {
  Lines all;
  for (const Lines& b : blocks) all.insert(all.end(), b.begin(), b.end());
  return all;
}

const LabelCaptions kCaptions{"Labels", "Time:", "Map:", "Total:"};

Lines Compose(Lines job, const Lines& design, const LabelCaptions& captions = kCaptions) {
  EscapeQuotes(job);
  return ComposeBlocks(job, captions, [&] { return std::optional<Lines>(design); });
}

// Two blocks; the first block's item has `count` modifiers, running on into
// the second block.
Lines Mods(int count) {
  Lines job(2 * kJobBlockLines);
  job[20] = "Item";
  for (int i = 1; i <= count; ++i) job[20 + i] = Mod(i);
  return job;
}

struct Case {
  const char* name;
  Lines job;
  Lines design;
  Lines expected;
};

TEST(LabelComposer, ComposesBlocksByTheTagRules) {
  const Case cases[] = {
      {"two blocks in order",
       Concat({Block({{0, "Ann"}, {20, "Soup"}}), Block({{0, "Bob"}, {20, "Tea"}})}),
       {"<Reference>: <Item Name>"},
       {"Ann: Soup", "Bob: Tea"}},
      {"item right at position 20, trimmed, modifiers trimmed",
       Block({{20, "  2 Pizza "}, {21, " extra cheese"}, {22, "no olives "}}),
       {"<Item Name>", "<Item Mod[1]>", "<Item Mod[2]>", "<Item Mod[3]>"},
       {"2 Pizza", "extra cheese", "no olives", ""}},
      {"item after empty lines; one modifier leaves an empty line",
       Block({{25, "Burger"}, {26, "rare"}}),
       {"<Item Name>", "<Item Mod[1]>", "<Item Mod[2]>"},
       {"Burger", "rare", ""}},
      {"a line of blanks is not empty",
       Block({{20, " "}, {21, "x"}}),
       {"[<Item Name>][<Item Mod[1]>]"},
       {"[][x]"}},
      {"no modifiers removes every tag 1 to 100, not 101 or a leading zero",
       Block({{20, "Cake"}}),
       {"<Item Mod[1]><Item Mod[100]>|<Item Mod[101]>|<Item Mod[01]>|<Item Mod[ 1]>"},
       {"|<Item Mod[101]>|<Item Mod[01]>|<Item Mod[ 1]>"}},
      {"quotes in job lines escaped, in the design not",
       Block({{0, "O'Brien"}, {20, "x"}}),
       {"'<Reference>'"},
       {"'O\\'Brien'"}},
      {"a value holding a later tag is replaced by it",
       Block({{0, "call <Phone>"}, {9, "555"}, {20, "x"}}),
       {"<Reference>"},
       {"call 555"}},
      {"tags without regard to case, every occurrence",
       Block({{0, "Ann"}, {20, "Soup"}}),
       {"<reference> <REFERENCE>", "<item name>"},
       {"Ann Ann", "Soup"}},
      {"parsed tags strip captions in any case and trim",
       Block({{4, "Total: 12.50 total:"},
              {5, "Time: 18:30"},
              {6, "1 of 2 Labels"},
              {10, "MAP: G3"},
              {20, "x"}}),
       {"<Order Total>|<Total Text>", "<Order Time (Parsed)>|<Order Time>",
        "<Label Header (Parsed)>|<Label Header>", "<Map Code (Parsed)>|<Map Code>"},
       {"12.50|Total: 12.50 total:", "18:30|Time: 18:30", "1 of 2|1 of 2 Labels", "G3|MAP: G3"}},
      {"every fixed line reaches its tag",
       Block(
           {{1, "RC"}, {2, "Emp"}, {3, "Desc"}, {7, "Addr"}, {8, "Town"}, {11, "Dir"}, {20, "x"}}),
       {"<Revenue Center>,<Employee>,<Transaction Description>,<Address>,<City and "
        "Town>,<Directions>"},
       {"RC,Emp,Desc,Addr,Town,Dir"}},
      {"unknown tags and tagless designs pass through",
       Concat({Block({{20, "a"}}), Block({{20, "b"}})}),
       {"<Nothing> here"},
       {"<Nothing> here", "<Nothing> here"}},
      {"an all-empty middle item area takes the next block's first lines",
       Concat({Block({{0, "Ann"}}), Block({{0, "Bob"}, {1, "Bar"}})}),
       {"<Item Name>/<Item Mod[1]>"},
       {"Bob/Bar", "/"}},
      {"an all-empty last item area gives an empty item name",
       Block({{0, "Ann"}}),
       {"<Reference>:<Item Name>."},
       {"Ann:."}},
      {"a modifier run ends at the job's end",
       [] {
         Lines b = Block({{0, "Ann"}});
         for (std::size_t i = 20; i < kJobBlockLines; ++i) b[i] = Mod(i);
         return b;
       }(),
       {"<Item Name>|<Item Mod[79]>|<Item Mod[80]>"},
       {"m20|m99|"}},
      {"an empty job gives no label", {}, {"<Reference>"}, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Compose(c.job, c.design), c.expected) << c.name;
  }
}

TEST(LabelComposer, TagsAbove100AreFilledOnlyWhenTheItemHasThatManyModifiers) {
  EXPECT_EQ(Compose(Mods(101), {"<Item Mod[101]>"})[0], "m101");
  EXPECT_EQ(Compose(Mods(100), {"<Item Mod[101]>"})[0], "<Item Mod[101]>");
}

TEST(LabelComposer, EmptyCaptionStripsNothingButTrims) {
  LabelCaptions captions = kCaptions;
  captions.labels_text = "";
  EXPECT_EQ(
      Compose(Block({{6, " 1 of 2 Labels "}, {20, "x"}}), {"<Label Header (Parsed)>"}, captions),
      Lines{"1 of 2 Labels"});
}

TEST(LabelComposer, ReadsTheDesignAfreshForEveryBlock) {
  Lines job = Concat({Block({{0, "A"}}), Block({{0, "B"}}), Block({{0, "C"}, {20, "x"}})});
  int reads = 0;
  Lines labels = ComposeBlocks(job, kCaptions, [&]() -> std::optional<Lines> {
    ++reads;
    if (reads == 1) return Lines{"first <Reference>"};
    if (reads == 2) return Lines{"second <Reference>"};
    return std::nullopt;  // gone: the working text keeps the label before
  });
  EXPECT_EQ(reads, 3);
  EXPECT_EQ(labels, (Lines{"first A", "second B", "second B"}));
}

// The modifier tags applied one number after the other, as written in the
// rules, without skipping: the reference the composer must agree with.
Lines ComposeEveryNumber(Lines job, const Lines& design) {
  EscapeQuotes(job);
  Lines labels;
  for (std::size_t b = 0; b < job.size(); b += kJobBlockLines) {
    std::string text = JoinLines(design);
    std::size_t item = b + kJobItemAreaFirst;
    while (item < job.size() && job[item].empty()) ++item;
    std::size_t k = 0;
    while (!JobLine(job, item + k + 1).empty()) {
      ++k;
      text = ReplaceAllNoCase(text, ItemModTag(static_cast<int>(k)), Trim(JobLine(job, item + k)));
    }
    for (int n = 1; n <= 100; ++n) text = ReplaceAllNoCase(text, ItemModTag(n), "");
    Lines block = SplitLines(text);
    labels.insert(labels.end(), block.begin(), block.end());
  }
  return labels;
}

TEST(LabelComposer, SkippingAbsentModifierTagsChangesNothing) {
  struct Case {
    const char* name;
    Lines job;
    Lines design;
  };
  const Case cases[] = {
      {"a value holding the next tag",
       Block({{20, "x"}, {21, "a<Item Mod[2]>"}, {22, "b"}}),
       {"<Item Mod[1]>"}},
      {"a value holding an earlier tag, which stays, and one above 100",
       Block({{20, "x"}, {21, "<Item Mod[1]>"}, {22, "<item mod[101]>"}}),
       {"<Item Mod[1]>|<Item Mod[2]>"}},
      {"a tag made of a value and the text after it",
       Block({{20, "x"}, {21, "<Item Mod["}, {22, "b"}}),
       {"<Item Mod[1]>2]>"}},
      {"removing a tag joins another",
       Block({{20, "x"}}),
       {"<Item Mod[<Item Mod[5]>1]>|<Item Mod[<Item Mod[1]>7]>"}},
      {"a run across blocks, tags in any case",
       [] {
         Lines job(3 * kJobBlockLines);
         job[20] = "x";
         for (std::size_t i = 21; i < job.size(); ++i) job[i] = Mod(i);
         return job;
       }(),
       {"<ITEM MOD[150]>|<item mod[2]>|<Item Mod[0]>|<Item Mod[99]>"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Compose(c.job, c.design), ComposeEveryNumber(c.job, c.design)) << c.name;
  }
}

TEST(LabelComposer, ValuesThatMultiplyTagsAreRefusedBeforeTheyExhaustMemory) {
  // Each value holds the next tag 60 times: 60^4 copies of the map code.
  const auto times60 = [](std::string_view tag) {
    std::string text;
    for (int i = 0; i < 60; ++i) text += tag;
    return text;
  };
  const Lines job = Block({{kJobReference, times60("<Address>")},
                           {kJobAddress, times60("<City and Town>")},
                           {kJobCityAndTown, times60("<Phone>")},
                           {kJobPhone, times60("<Map Code>")}});
  try {
    Compose(job, {"<Reference>"});
    FAIL() << "composed";
  } catch (const Error& error) {
    EXPECT_EQ(error.kind(), ErrorKind::kTooLarge);
  }
}

}  // namespace
}  // namespace cratemark

namespace cratemark {
namespace {

TEST(LabelComposer, ReprintAndBackupTagsMarkOnlyTheirLabels) {
  const Lines design{"<Reprint> <Reference>", "<REPRINT>", "<backup>"};
  Lines job = Block({{0, "Ann <Reprint><Backup>"}, {20, "Soup"}});
  const auto read = [&] { return std::optional<Lines>(design); };
  const struct {
    const char* job_name;
    const char* backup_for;
    Lines expected;
  } cases[] = {
      {"Reprint-1234-1.spl", "", {"REPRINT Ann <Reprint><Backup>", "REPRINT", ""}},
      {"reprint-7-2.spl", "", {"REPRINT Ann <Reprint><Backup>", "REPRINT", ""}},
      {"1234.spl", "", {" Ann <Reprint><Backup>", "", ""}},
      {"MyReprint-1.spl", "", {" Ann <Reprint><Backup>", "", ""}},
      {"", "", {" Ann <Reprint><Backup>", "", ""}},
      {"1234.spl", "Label1", {" Ann <Reprint><Backup>", "", "BACKUP for Label1"}},
      {"Reprint-1234-1.spl",
       "Label1",
       {"REPRINT Ann <Reprint><Backup>", "REPRINT", "BACKUP for Label1"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.job_name) + " / " + c.backup_for);
    // Filled first: a reference that spells a tag stays as the host wrote it.
    EXPECT_EQ(ComposeBlocks(job, kCaptions, read, c.job_name, c.backup_for), c.expected);
  }
}

}  // namespace
}  // namespace cratemark
