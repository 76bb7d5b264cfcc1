#include "platform/code_page.h"

#include <gtest/gtest.h>

#include "platform/windows_1252.h"

namespace cratemark {
namespace {

TEST(UnicodeTest, Utf16RoundTripIncludingSurrogatePairs) {
  const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x93\xA6";  // a é € 📦
  const std::u16string units = Utf8ToUtf16(text);
  EXPECT_EQ(units, (std::u16string{u'a', 0x00E9, 0x20AC, 0xD83D, 0xDCE6}));
  EXPECT_EQ(Utf16ToUtf8(units), text);
  EXPECT_EQ(CodePointsToUtf8(Utf8ToCodePoints(text)), text);
}

TEST(UnicodeTest, InvalidInputBecomesReplacementCharacter) {
  EXPECT_EQ(Utf8ToCodePoints("a\xFF"
                             "b"),
            (std::u32string{U'a', 0xFFFD, U'b'}));
  EXPECT_EQ(Utf8ToCodePoints("\xC3"), std::u32string{0xFFFD});  // cut short
  EXPECT_EQ(Utf8ToCodePoints("\xC0\xAF"), std::u32string(2, 0xFFFD));
  EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD800, u'x'}), "\xEF\xBF\xBDx");  // lone surrogate
}

TEST(Windows1252Test, EveryByteRoundTrips) {
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(byte)), byte) << "byte " << b;
  }
  EXPECT_EQ(Windows1252ToUtf8("\x80\x81\x9F\xE9"), "\xE2\x82\xAC\xC2\x81\xC5\xB8\xC3\xA9");
}

TEST(Windows1252Test, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToWindows1252("a\xE2\x82\xAC\xC4\x80\xE4\xB8\xAD\xC2\x80z"),
            "a\x80??"
            "?z");
}

}  // namespace
}  // namespace cratemark
