// Tests of the one line-break rule, both ways of reading a final break.
#include "ui/line_breaks.h"

#include <gtest/gtest.h>

namespace cratemark::ui {
namespace {

TEST(LineBreaksTest, CrLfLoneCrAndLoneLfEachBreakOnce) {
  using Lines = std::vector<std::string_view>;
  struct Case {
    std::string_view text;
    Lines log, editor;  // kEndsLine, kStartsEmptyLine
  };
  const Case cases[] = {
      {"", {}, {""}},
      {"a", {"a"}, {"a"}},
      {"a\r\n", {"a"}, {"a", ""}},
      {"a\r\nb", {"a", "b"}, {"a", "b"}},
      {"a\rb\nc", {"a", "b", "c"}, {"a", "b", "c"}},
      {"a\n\r", {"a", ""}, {"a", "", ""}},  // LF CR is two breaks
      {"\r\n\r\n", {"", ""}, {"", "", ""}},
      {"Gr\xC3\xB6\xC3\x9F"
       "e\r\n",
       {"Gr\xC3\xB6\xC3\x9F"
        "e"},
       {"Gr\xC3\xB6\xC3\x9F"
        "e",
        ""}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitAtLineBreaks(c.text, FinalBreak::kEndsLine), c.log) << c.text;
    EXPECT_EQ(SplitAtLineBreaks(c.text, FinalBreak::kStartsEmptyLine), c.editor) << c.text;
  }
  EXPECT_EQ(WithCrLfBreaks("a\rb\nc\r\n"), "a\r\nb\r\nc\r\n");
  EXPECT_EQ(WithCrLfBreaks(""), "");
}

}  // namespace
}  // namespace cratemark::ui
