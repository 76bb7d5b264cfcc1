#include "platform/wildcard.h"

#include <gtest/gtest.h>

namespace cratemark {
namespace {

struct PatternCase {
  const char* name;
  const char* pattern;
  bool matches;
};

TEST(WildcardTest, MatchesLikeAWindowsDirectorySearch) {
  const PatternCase cases[] = {
      {"order1.spl", "*.spl", true},
      {"ORDER1.SPL", "*.spl", true},
      {"Order1.Spl", "*.SPL", true},
      {"order1.splx", "*.spl", false},
      {"order1.spl.tmp", "*.spl", false},
      {".spl", "*.spl", true},
      {"spl", "*.spl", false},
      {"a.b.spl", "*.spl", true},
      {"LOCKSPL.DBF", "lockspl.dbf", true},
      {"ab", "a?", true},
      {"a", "a?", false},
      {"anything", "*", true},
      {"noext", "*.*", true},
      {"\xC3\x89T\xC3\x89.txt", "\xC3\xA9t\xC3\xA9.TXT", true},  // ÉTÉ.txt / été.TXT
      {"aXbXc", "a*b*c", true},
      {"aXbXd", "a*b*c", false},
  };
  for (const PatternCase& c : cases) {
    EXPECT_EQ(MatchesPattern(c.name, c.pattern), c.matches) << c.name << " ~ " << c.pattern;
  }
}

}  // namespace
}  // namespace cratemark
