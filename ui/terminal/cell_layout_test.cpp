// Tests of the pixel-to-cell mapping, captions and word wrapping.
#include "ui/terminal/cell_layout.h"

#include <gtest/gtest.h>

namespace cratemark::ui::terminal {
namespace {

TEST(CellLayoutTest, MapsPixelsOntoCellsWithoutGapsOrOverlaps) {
  // The Setup page's three printer lists, 121 pixels wide, 8 apart.
  const Surface page{{1, 0, 21, 80}, 625, 394};
  const CellBox lists[] = {page.Map({8, 20, 121, 314}), page.Map({137, 20, 121, 314}),
                           page.Map({266, 20, 121, 314})};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(lists[i].row, 2) << i;
    EXPECT_GE(lists[i].cols, 15) << i;
    if (i > 0) {
      EXPECT_EQ(lists[i].col, lists[i - 1].right() + 1) << i;  // one blank between
    }
  }
  // Tiny or outlying controls keep a cell and stay on the surface.
  const CellBox tiny = page.Map({620, 390, 1, 1});
  EXPECT_EQ(tiny.rows, 1);
  EXPECT_EQ(tiny.cols, 1);
  EXPECT_LT(tiny.row, page.cells.bottom());
  const CellBox outside = page.Map({700, 500, 50, 50});
  EXPECT_TRUE(page.cells.Contains(outside.row, outside.col));
  EXPECT_LE(outside.bottom(), page.cells.bottom());
  EXPECT_LE(outside.right(), page.cells.right());
}

TEST(CellLayoutTest, ReadsAccessKeys) {
  struct Case {
    const char* caption;
    const char* text;
    int key_index;
    char32_t key;
  };
  const Case cases[] = {
      {"&Save && Activate", "Save & Activate", 0, U'S'},
      {"Test &Print", "Test Print", 5, U'P'},
      {"Setup Tolvan Labels", "Setup Tolvan Labels", -1, 0},
      {"a && b &c", "a & b c", 6, U'C'},
  };
  for (const Case& c : cases) {
    const Caption caption = ParseCaption(c.caption);
    EXPECT_EQ(caption.text, c.text) << c.caption;
    EXPECT_EQ(caption.key_index, c.key_index) << c.caption;
    EXPECT_EQ(caption.key, c.key) << c.caption;
  }
}

TEST(CellLayoutTest, WrapsAtBlanksAndCutsOverlongWords) {
  EXPECT_EQ(WrapWords(U"Revert to Last", 8), (std::vector<std::u32string>{U"Revert", U"to Last"}));
  EXPECT_EQ(WrapWords(U"Save  Design", 20), (std::vector<std::u32string>{U"Save  Design"}));
  EXPECT_EQ(WrapWords(U"abcdefghij kl", 4),
            (std::vector<std::u32string>{U"abcd", U"efgh", U"ij", U"kl"}));
  EXPECT_TRUE(WrapWords(U"   ", 4).empty());
  EXPECT_TRUE(WrapWords(U"text", 0).empty());
}

}  // namespace
}  // namespace cratemark::ui::terminal
