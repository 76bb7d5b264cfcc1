#include "shared/label_design.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/file_system.h"
#include "platform/scoped_temp_dir.h"

namespace cratemark {
namespace {

TEST(LabelDesignTest, TwentyDistinctTagsInTheConsolesOrder) {
  EXPECT_EQ(std::set<std::string_view>(kLabelTagForms.begin(), kLabelTagForms.end()).size(), 20u);
  EXPECT_EQ(kLabelTagForms.front(), "<Address>");
  EXPECT_EQ(kLabelTagForms[1], "<Backup>");
  EXPECT_EQ(kLabelTagForms[5], "<Item Mod[n]>");
  EXPECT_EQ(kLabelTagForms.back(), "<Transaction Description>");
  EXPECT_EQ(kLabelTagForms[16], "<Reprint>");
  EXPECT_EQ(ItemModTag(1), "<Item Mod[1]>");
  EXPECT_EQ(ItemModTag(101), "<Item Mod[101]>");
}

TEST(LabelDesignTest, SavedInTheEncodingReadWithoutAFinalBreak) {
  ScopedTempDir dir;
  WriteWholeFile(LabelDesignPath(dir.path()), std::string("\xFE\xFF\0<\0A\0>\0\n\0x", 12));
  TextFileContent design = ReadLabelDesign(SystemFileSystem(), dir.path());
  EXPECT_EQ(design.encoding, TextEncoding::kUtf16BE);
  EXPECT_EQ(design.lines, (Lines{"<A>", "x"}));

  SaveLabelDesign(SystemFileSystem(), dir.path(), "<Item Name>\r\nend", design.encoding);
  EXPECT_EQ(ReadWholeFile(LabelDesignPath(dir.path())),
            std::string("\xFE\xFF\0<\0I\0t\0e\0m\0 \0N\0a\0m\0e\0>\0\r\0\n\0e\0n\0d", 34));

  SaveLabelDesign(SystemFileSystem(), dir.path(), "^XA\r\n^XZ", TextEncoding::kAnsi);
  EXPECT_EQ(ReadWholeFile(LabelDesignPath(dir.path())), "^XA\r\n^XZ");
}

TEST(LabelDesignTest, LoneLineFeedsReadAsLines) {
  ScopedTempDir dir;
  WriteWholeFile(LabelDesignPath(dir.path()), "<Item Name>\n<Item Mod[1]>\n<Item Mod[2]>\n");
  EXPECT_EQ(JoinLines(ReadLabelDesign(SystemFileSystem(), dir.path()).lines),
            "<Item Name>\r\n<Item Mod[1]>\r\n<Item Mod[2]>\r\n");
}

}  // namespace
}  // namespace cratemark
