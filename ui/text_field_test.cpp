// Tests of the editing model: typing, line breaks, caret moves, selection and scrolling.
#include "ui/text_field.h"

#include <gtest/gtest.h>

#include <functional>

namespace cratemark::ui {
namespace {

struct EditCase {
  const char* name;
  const char* text;
  std::function<void(TextField&)> act;
  const char* expected;
  TextPosition caret;
};

TEST(TextFieldTest, EditsTheTextAsAnEditorDoes) {
  const EditCase cases[] = {
      {"typing at the caret",
       "ab\r\ncd",
       [](TextField& f) {
         f.MoveTo({1, 1}, false);
         f.Type(U"Xé");
       },
       "ab\r\ncXéd",
       {1, 3}},
      {"Enter splits the line",
       "abcd",
       [](TextField& f) {
         f.MoveTo({0, 2}, false);
         f.Break();
       },
       "ab\r\ncd",
       {1, 0}},
      {"Backspace at a line's start joins it to the one above",
       "ab\r\ncd",
       [](TextField& f) {
         f.MoveTo({1, 0}, false);
         f.Backspace();
       },
       "abcd",
       {0, 2}},
      {"Delete at a line's end joins the next line",
       "ab\r\ncd",
       [](TextField& f) {
         f.MoveTo({0, 2}, false);
         f.Delete();
       },
       "abcd",
       {0, 2}},
      {"typing replaces a selection across lines",
       "abc\r\ndef\r\nghi",
       [](TextField& f) {
         f.MoveTo({2, 1}, false);
         f.MoveTo({0, 1}, true);
         f.Type(U"-");
       },
       "a-hi",
       {0, 2}},
      {"a selection made backwards starts at its earlier end",
       "abc\r\ndef",
       [](TextField& f) {
         f.MoveTo({1, 2}, false);
         f.Left(true);
         f.Up(1, true);
         f.Backspace();
       },
       "af",
       {0, 1}},
      {"up and down keep the column through a short line",
       "abcdef\r\nx\r\nabcdef",
       [](TextField& f) {
         f.MoveTo({0, 5}, false);
         f.Down(1, false);
         f.Down(1, false);
       },
       "abcdef\r\nx\r\nabcdef",
       {2, 5}},
      {"pasted CR LF is one break, a lone CR or LF one each",
       "ab",
       [](TextField& f) {
         f.End(false);
         f.Type(U"1\r\n2\r3\n");
       },
       "ab1\r\n2\r\n3\r\n",
       {3, 0}},
      {"a one-line field keeps breaks out",
       "ab",
       [](TextField& f) {
         f.End(false);
         f.Break();
         f.Type(U"c\r\nd");
       },
       "abcd",
       {0, 4}},
  };
  for (const EditCase& c : cases) {
    TextField field(std::string(c.name).starts_with("a one-line") ? false : true);
    field.SetText(c.text);
    c.act(field);
    EXPECT_EQ(field.Text(), c.expected) << c.name;
    EXPECT_EQ(field.Caret().line, c.caret.line) << c.name;
    EXPECT_EQ(field.Caret().column, c.caret.column) << c.name;
  }
}

TEST(TextFieldTest, ReplacingALineLeavesTheCaretAtItsEndAndDropsTheSelection) {
  TextField field(true);
  field.SetText("one\r\ntwo\r\n");
  EXPECT_EQ(field.LineCount(), 3);  // a final break ends in an empty line
  field.MoveTo({1, 1}, false);
  field.MoveTo({1, 3}, true);
  EXPECT_EQ(field.SelectionStart().column, 1);
  field.ReplaceLine(1, "t<Phone>wo");
  EXPECT_EQ(field.Text(), "one\r\nt<Phone>wo\r\n");
  EXPECT_EQ(field.Caret().column, 10);
  EXPECT_FALSE(field.HasSelection());
}

TEST(TextFieldTest, ScrollsOnlyAsFarAsTheCaretNeeds) {
  TextField field(true);
  std::string text;
  for (int i = 0; i < 30; ++i) text += "line " + std::to_string(i) + "\r\n";
  field.SetText(text);
  field.MoveTo({12, 0}, false);
  field.ScrollToCaret(10, 20);
  EXPECT_EQ(field.top_line(), 3);
  field.MoveTo({5, 0}, false);
  field.ScrollToCaret(10, 20);
  EXPECT_EQ(field.top_line(), 3);  // still in view: no jump
  field.ScrollBy(100, 10);
  EXPECT_EQ(field.top_line(), 21);  // the last page, not beyond
}

}  // namespace
}  // namespace cratemark::ui
