#include "platform/text.h"

#include <gtest/gtest.h>

namespace cratemark {
namespace {

struct ReplaceCase {
  const char* text;
  const char* pattern;
  const char* replacement;
  const char* expected;
};

TEST(ReplaceAllNoCaseTest, FollowsTheReplaceAllRules) {
  const ReplaceCase cases[] = {
      {"<Item Name> and <ITEM NAME>", "<item name>", "Soup", "Soup and Soup"},
      {"aaa", "aa", "x", "xa"},            // no overlap, scan resumes after a match
      {"abab", "ab", "abab", "abababab"},  // the replacement is never rescanned
      {"aXa", "a", "aa", "aaXaa"},         // replacement containing the pattern
      {"Keep Case <Tag> here", "<TAG>", "v", "Keep Case v here"},  // outside keeps its case
      {"unchanged", "", "x", "unchanged"},                         // empty pattern
      {"", "a", "x", ""},
      {"Total: 12 total: 3", "TOTAL:", "", " 12  3"},
      {"it's", "'", "\\'", "it\\'s"},
      {"straße <TAG>", "<tag>", "v", "straße v"},  // ß has no one-letter upper case
      {"ıx <Tag>", "<tag>", "v", "ıx v"},          // ı upper-cases to a shorter I
      {"ÄÖÜ äöü", "äöü", "x", "x x"},
      {"no match", "zzz", "x", "no match"},
  };
  for (const ReplaceCase& c : cases) {
    EXPECT_EQ(ReplaceAllNoCase(c.text, c.pattern, c.replacement), c.expected)
        << "text \"" << c.text << "\" pattern \"" << c.pattern << "\"";
  }
}

TEST(TrimTest, RemovesEveryCharacterOfCode32OrBelowAtBothEnds) {
  EXPECT_EQ(Trim(" \t\r\n\x01 a b \x1f "), "a b");
  EXPECT_EQ(Trim(std::string("\0x\0", 3)), "x");
  EXPECT_EQ(Trim("\xC2\xA0x\xC2\xA0"), "\xC2\xA0x\xC2\xA0");  // no-break space is above 32
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Trim(""), "");
}

TEST(CaseTest, UpperCasingMapsEachCharacterToOne) {
  EXPECT_EQ(ToUpper("abc xyz éñ"), "ABC XYZ ÉÑ");
  EXPECT_EQ(ToUpper("ß"), "ß");
  EXPECT_TRUE(EqualsNoCase("SPLDirSource", "spldirsource"));
  EXPECT_TRUE(EqualsNoCase("Crème", "CRÈME"));
  EXPECT_FALSE(EqualsNoCase("SPLDirSource", " SPLDirSource"));
  EXPECT_FALSE(EqualsNoCase("abc", "abd"));
}

}  // namespace
}  // namespace cratemark
