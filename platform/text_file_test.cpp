#include "platform/text_file.h"

#include <gtest/gtest.h>

#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/scoped_temp_dir.h"

namespace cratemark {
namespace {

struct DecodeCase {
  std::string bytes;
  TextEncoding encoding;
  std::string text;
};

TEST(TextFileTest, ByteOrderMarkSelectsTheDecodingAndIsDropped) {
  const DecodeCase cases[] = {
      {"\xEF\xBB\xBFK=\xC3\xA9", TextEncoding::kUtf8, "K=\xC3\xA9"},
      {std::string("\xFF\xFEK\0=\0\xE9\0", 8), TextEncoding::kUtf16LE, "K=\xC3\xA9"},
      {std::string("\xFE\xFF\0K\0=\0\xE9", 8), TextEncoding::kUtf16BE, "K=\xC3\xA9"},
      {std::string("\xFF\xFE\x3D\xD8\xE6\xDC", 6), TextEncoding::kUtf16LE, "\xF0\x9F\x93\xA6"},
      {"K=\xE9\x80", TextEncoding::kAnsi, "K=\xC3\xA9\xE2\x82\xAC"},  // Windows-1252 on Linux too
      {"\xEF\xBB", TextEncoding::kAnsi, "\xC3\xAF\xC2\xBB"},          // half a mark is text
      {"", TextEncoding::kAnsi, ""},
      {"\xEF\xBB\xBF", TextEncoding::kUtf8, ""},
  };
  for (const DecodeCase& c : cases) {
    TextEncoding found = TextEncoding::kAnsi;
    EXPECT_EQ(DecodeText(c.bytes, &found), c.text);
    EXPECT_EQ(found, c.encoding) << c.text;
  }
}

TEST(TextFileTest, EncodeWritesTheMarkAndRoundTrips) {
  const std::string text = "Caf\xC3\xA9 \xE2\x82\xAC\r\n";
  for (TextEncoding encoding :
       {TextEncoding::kAnsi, TextEncoding::kUtf8, TextEncoding::kUtf16LE, TextEncoding::kUtf16BE}) {
    TextEncoding found;
    EXPECT_EQ(DecodeText(EncodeText(text, encoding), &found), text);
    EXPECT_EQ(found, encoding);
  }
  EXPECT_EQ(EncodeText("A", TextEncoding::kUtf16LE), std::string("\xFF\xFE"
                                                                 "A\0",
                                                                 4));
  EXPECT_EQ(EncodeText("A", TextEncoding::kUtf16BE), std::string("\xFE\xFF\0A", 4));
  EXPECT_EQ(EncodeText("A\xE2\x82\xAC", TextEncoding::kAnsi), "A\x80");
}

struct SplitCase {
  const char* text;
  Lines lines;
};

TEST(TextFileTest, LinesEndAtCrLfLoneCrAndLoneLf) {
  const SplitCase cases[] = {
      {"a\r\nb\r\n", {"a", "b"}},   {"a\r\nb", {"a", "b"}},      // no final break: same lines
      {"a\rb\nc", {"a", "b", "c"}}, {"a\n\rb", {"a", "", "b"}},  // LF then CR is two breaks
      {"a\r\r\nb", {"a", "", "b"}}, {"\r\n", {""}},
      {"a\r\n\r\n", {"a", ""}},     {"", {}},
      {" \t ", {" \t "}},
  };
  for (const SplitCase& c : cases) EXPECT_EQ(SplitLines(c.text), c.lines) << c.text;
  EXPECT_EQ(JoinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
  EXPECT_EQ(JoinLines({}), "");
}

TEST(TextFileTest, ReadsAndWritesFilesInTheirEncoding) {
  ScopedTempDir dir;
  const std::string path = dir.path() + "design.txt";
  WriteTextFile(SystemFileSystem(), path, {"<Item Name>", "Caf\xC3\xA9"}, TextEncoding::kUtf16BE);
  EXPECT_EQ(ReadWholeFile(path).substr(0, 4), std::string("\xFE\xFF\0<", 4));
  TextFileContent content = ReadTextFile(SystemFileSystem(), path);
  EXPECT_EQ(content.lines, (Lines{"<Item Name>", "Caf\xC3\xA9"}));
  EXPECT_EQ(content.encoding, TextEncoding::kUtf16BE);

  WriteTextFile(SystemFileSystem(), path, {"x", "y"});
  EXPECT_EQ(ReadWholeFile(path), "x\r\ny\r\n");
  WriteTextFileExact(SystemFileSystem(), path, "x\r\ny", TextEncoding::kUtf8);
  EXPECT_EQ(ReadWholeFile(path), "\xEF\xBB\xBFx\r\ny");
}

TEST(TextFileTest, MissingFileThrowsNotFound) {
  ScopedTempDir dir;
  try {
    ReadTextFile(SystemFileSystem(), dir.path() + "missing.txt");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.kind(), ErrorKind::kNotFound);
    EXPECT_EQ(
        std::string(e.what()).rfind("Cannot open file \"" + dir.path() + "missing.txt\". ", 0), 0u)
        << e.what();
  }
}

}  // namespace
}  // namespace cratemark
