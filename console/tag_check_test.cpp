#include "console/tag_check.h"

#include <gtest/gtest.h>

namespace cratemark {
namespace {

// A finding as "line:column text problem suggestion", compact for tables.
std::string Show(const TagFinding& f) {
  static const char* const kNames[] = {"unknown", "literal-n", "leading-zero", "blank",
                                       "zero",    "nan",       "above-100"};
  std::string shown = std::to_string(f.line) + ":" + std::to_string(f.column) + " " + f.text + " " +
                      kNames[static_cast<int>(f.problem)];
  if (!f.suggestion.empty()) shown += " " + f.suggestion;
  return shown;
}

std::vector<std::string> ShowAll(std::string_view design) {
  std::vector<std::string> shown;
  for (const TagFinding& f : CheckTags(design)) shown.push_back(Show(f));
  return shown;
}

TEST(TagCheck, ReasonsForATableOfDesigns) {
  struct Case {
    std::string design;
    std::vector<std::string> findings;
  } cases[] = {
      // Every tag form with a usable number, in any case: nothing to say.
      {"<Address><City and Town><Directions><Employee><Item Name>\r\n"
       "<Label Header (Parsed)><Label Header><Map Code (Parsed)><Map Code>\r\n"
       "<Order Time (Parsed)><Order Time><Order Total><Phone><Reference>\r\n"
       "<Revenue Center><Total Text><Transaction Description>\r\n"
       "<item mod[1]><ITEM MOD[100]><Item Mod[42]><ITEM NAME>",
       {}},
      {"", {}},
      {"No tags: a > sign, then a < sign and an unclosed <Phone", {}},
      {"Two < signs > apart", {"1:5 < signs > unknown"}},
      // Misspelt tags, with the nearest form when it is near.
      {"To: <Adress>\r\nTel <Phon>",
       {"1:5 <Adress> unknown <Address>", "2:5 <Phon> unknown <Phone>"}},
      {"<OrderTotal> <Order Time(Parsed)> <Item Mod(1)>",
       {"1:1 <OrderTotal> unknown <Order Total>",
        "1:14 <Order Time(Parsed)> unknown <Order Time (Parsed)>",
        "1:35 <Item Mod(1)> unknown <Item Mod[n]>"}},
      // Printer control text is far from every tag: no suggestion.
      {"<STX>L\r\n<ESC>", {"1:1 <STX> unknown", "2:1 <ESC> unknown"}},
      // The modifier number.
      {"<Item Mod[n]>", {"1:1 <Item Mod[n]> literal-n"}},
      {"<Item Mod[01]> <Item Mod[007]>",
       {"1:1 <Item Mod[01]> leading-zero", "1:16 <Item Mod[007]> leading-zero"}},
      {"<Item Mod[ 1]><Item Mod[1 ]><Item Mod[1 2]>",
       {"1:1 <Item Mod[ 1]> blank", "1:15 <Item Mod[1 ]> blank", "1:29 <Item Mod[1 2]> blank"}},
      {"<Item Mod[0]><Item Mod[]><Item Mod[x]><Item Mod[+1]><Item Mod[ ]>",
       {"1:1 <Item Mod[0]> zero", "1:14 <Item Mod[]> nan", "1:26 <Item Mod[x]> nan",
        "1:39 <Item Mod[+1]> nan", "1:53 <Item Mod[ ]> nan"}},
      {"<Item Mod[101]> <Item Mod[99999999999999999999999]>",
       {"1:1 <Item Mod[101]> above-100", "1:17 <Item Mod[99999999999999999999999]> above-100"}},
      // The innermost "<" starts a candidate; columns count characters, not
      // bytes; every line break form counts.
      {"<<Phone>> <a <Adress>", {"1:14 <Adress> unknown <Address>"}},
      {"Größe: <Adress>", {"1:8 <Adress> unknown <Address>"}},
      {"a\rb\n<X>\r\n\r\n<Y>", {"3:1 <X> unknown", "5:1 <Y> unknown"}},
  };
  for (const Case& c : cases) EXPECT_EQ(ShowAll(c.design), c.findings) << c.design;
}

TEST(TagCheck, DescriptionsNameThePlaceTheTextAndTheReason) {
  std::vector<TagFinding> findings =
      CheckTags("x\r\n  <Adress> <STX> <Item Mod[n]> <Item Mod[02]>");
  ASSERT_EQ(findings.size(), 4u);
  EXPECT_EQ(DescribeTagFinding(findings[0]),
            "Line 2, column 3: <Adress>: unknown tag, did you mean <Address>?");
  EXPECT_EQ(DescribeTagFinding(findings[1]), "Line 2, column 12: <STX>: unknown tag");
  EXPECT_EQ(DescribeTagFinding(findings[2]),
            "Line 2, column 18: <Item Mod[n]>: replace n by the modifier's number");
  EXPECT_EQ(DescribeTagFinding(findings[3]),
            "Line 2, column 32: <Item Mod[02]>: leading zero in the modifier number, never filled");
}

}  // namespace
}  // namespace cratemark
