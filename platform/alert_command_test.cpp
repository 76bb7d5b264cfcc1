#include "platform/alert_command.h"

#include <gtest/gtest.h>

namespace cratemark {
namespace {

TEST(AlertCommand, WordsSplitOnBlanksWithQuotesGrouping) {
  const struct {
    const char* command;
    std::vector<std::string> words;
  } cases[] = {
      {"/usr/local/bin/alert", {"/usr/local/bin/alert"}},
      {"  /bin/mail   -s  x\tops@example.com ", {"/bin/mail", "-s", "x", "ops@example.com"}},
      {"\"/opt/my tools/alert\" --to \"the kitchen\"",
       {"/opt/my tools/alert", "--to", "the kitchen"}},
      {"a\"b c\"d", {"ab cd"}},
      {"a \"\" b", {"a", "", "b"}},
      {"a \"unpaired b", {"a", "unpaired b"}},
      {"", {}},
      {"   ", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    EXPECT_EQ(SplitCommandWords(c.command), c.words);
  }
}

TEST(AlertCommand, WindowsArgumentsQuotedSoTheProgramReadsThemBack) {
  const struct {
    const char* arg;
    const char* quoted;
  } cases[] = {
      {"backup", "backup"},
      {"", "\"\""},
      {"C:\\Tolvan\\PreLabel", "C:\\Tolvan\\PreLabel"},
      {"C:\\Tolvan Pos\\PreLabel\\", "\"C:\\Tolvan Pos\\PreLabel\\\\\""},
      {"say \"hi\"", "\"say \\\"hi\\\"\""},
      {"a\\\"b", "\"a\\\\\\\"b\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arg);
    EXPECT_EQ(QuoteWindowsArgument(c.arg), c.quoted);
  }
}

}  // namespace
}  // namespace cratemark
