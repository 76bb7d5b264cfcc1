#include "render/label_renderer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/barcode_symbol.h"
#include "render/printer_fonts.h"

namespace cratemark::render {
namespace {

const PrinterFonts& Fonts() {
  static const PrinterFonts fonts = LoadPrinterFonts();
  return fonts;
}

RenderedLabels Render(std::string_view file, int dpmm = 8) {
  RenderOptions options;
  options.dots_per_mm = dpmm;
  return RenderLabelFile(file, options, Fonts());
}

Raster RenderOne(std::string_view zpl) {
  RenderedLabels r = Render(zpl);
  EXPECT_EQ(r.labels.size(), 1u) << zpl;
  return r.labels.empty() ? Raster() : std::move(r.labels[0]);
}

// Lengths of the runs of equal dots along a line of `count` dots, white
// first, where `black(i)` tells whether dot i is black.
template <typename IsBlack>
std::vector<int> Runs(int count, IsBlack black) {
  std::vector<int> runs;
  bool in_black = false;
  int length = 0;
  for (int i = 0; i < count; ++i) {
    if (black(i) != in_black) {
      runs.push_back(length);
      in_black = !in_black;
      length = 0;
    }
    ++length;
  }
  runs.push_back(length);
  return runs;
}

// Along row `y` from x = 0, and along column `x` from y = 0.
std::vector<int> RowRuns(const Raster& r, int y) {
  return Runs(r.width(), [&](int x) { return r.IsBlack(x, y); });
}

std::vector<int> ColumnRuns(const Raster& r, int x) {
  return Runs(r.height(), [&](int y) { return r.IsBlack(x, y); });
}

struct Box {
  int left, top, right, bottom;  // inclusive; left > right when empty
};

Box InkBox(const Raster& r) {
  Box box{r.width(), r.height(), -1, -1};
  for (int y = 0; y < r.height(); ++y) {
    for (int x = 0; x < r.width(); ++x) {
      if (!r.IsBlack(x, y)) continue;
      box.left = std::min(box.left, x), box.right = std::max(box.right, x);
      box.top = std::min(box.top, y), box.bottom = std::max(box.bottom, y);
    }
  }
  return box;
}

TEST(LabelRenderer, BoxEdgesAndThicknessAtOriginFromLabelHome) {
  const Raster r = RenderOne("^XA^PW200^LL100^LH10,5^FO20,10^GB50,30,4^FS^XZ");
  ASSERT_EQ(r.width(), 200);
  ASSERT_EQ(r.height(), 100);
  // The box covers x 30..79, y 15..44, with 4-dot edges.
  EXPECT_EQ(RowRuns(r, 15), (std::vector<int>{30, 50, 120}));
  EXPECT_EQ(RowRuns(r, 30), (std::vector<int>{30, 4, 42, 4, 120}));
  EXPECT_EQ(ColumnRuns(r, 50), (std::vector<int>{15, 4, 22, 4, 55}));
  EXPECT_EQ(r.BlackCount(), 50 * 30 - 42 * 22);
}

TEST(LabelRenderer, ThickBoxIsSolidAndReverseFieldFlipsDots) {
  const Raster r = RenderOne("^XA^PW100^LL100^FO10,10^GB40,40,40^FS^FO30,30^FR^GB40,40,40^FS^XZ");
  EXPECT_TRUE(r.IsBlack(10, 10));
  EXPECT_FALSE(r.IsBlack(35, 35));  // both boxes: flipped back to white
  EXPECT_TRUE(r.IsBlack(60, 60));
  EXPECT_EQ(r.BlackCount(), 2 * 1600 - 2 * 400);
}

TEST(LabelRenderer, TypesetBoxStandsOnItsOrigin) {
  const Raster r = RenderOne("^XA^PW100^LL100^FT10,50^GB20,20,20^FS^XZ");
  const Box ink = InkBox(r);
  EXPECT_EQ(ink.top, 30);
  EXPECT_EQ(ink.bottom, 49);
}

TEST(LabelRenderer, BarModulesTakeTheWidthOfBarcodeDefaults) {
  if (!HasBarcodeLibrary()) GTEST_SKIP() << "no barcode library in this build";
  // Code 128 starts with a 2-module bar, a 1-module space and a 1-module bar.
  for (int module : {1, 2, 3, 4, 5}) {
    const std::string zpl =
        "^XA^PW800^LL200^FO10,10^BY" + std::to_string(module) + "^BCN,50,N^FDAB12^FS^XZ";
    const std::vector<int> runs = RowRuns(RenderOne(zpl), 30);
    ASSERT_GE(runs.size(), 4u);
    EXPECT_EQ(runs[0], 10);
    EXPECT_EQ(runs[1], 2 * module) << module;
    EXPECT_EQ(runs[2], module);
    EXPECT_EQ(runs[3], module);
    for (std::size_t i = 1; i + 1 < runs.size(); ++i) EXPECT_EQ(runs[i] % module, 0);
  }
}

TEST(LabelRenderer, Code39WideElementsFollowTheRatio) {
  if (!HasBarcodeLibrary()) GTEST_SKIP() << "no barcode library in this build";
  for (auto [ratio, wide] :
       std::vector<std::pair<std::string, int>>{{"2.0", 4}, {"3.0", 6}, {"2.5", 5}}) {
    const std::vector<int> runs =
        RowRuns(RenderOne("^XA^PW900^LL200^FO0,0^BY2," + ratio + "^B3N,N,50,N^FDAB1^FS^XZ"), 20);
    for (std::size_t i = 1; i + 1 < runs.size(); ++i) {
      EXPECT_TRUE(runs[i] == 2 || runs[i] == wide) << ratio << ": " << runs[i];
    }
  }
}

TEST(LabelRenderer, BarcodesTakeThePrintersEncodingAndSize) {
  if (!HasBarcodeLibrary()) GTEST_SKIP() << "no barcode library in this build";
  // Ink extents at ^FO50,50 with ^BY2, as the printer prints them.
  const struct {
    const char* field;
    int width, height;
  } cases[] = {
      // Mode N stays in subset B for digits; asking for C, or mode A, packs them.
      {"^BCN,100,N,N,N^FD123456", 202, 100},
      {"^BCN,100,N,N,N^FD>;123456", 136, 100},
      {"^BCN,100,N,N,N,A^FD123456", 136, 100},
      // EAN and UPC guard bars reach below the others.
      {"^B8N,100,N,N^FD1234567", 134, 113},
      {"^BEN,100,N,N^FD123456789012", 190, 113},
      {"^BUN,100,N,N,Y^FD01234567890", 190, 113},
      {"^B2N,100,N,N,N^FD12345678", 162, 100},
      {"^B7N,10,1,4^FD1234567890", 274, 30},
      {"^BXN,5,200^FDDataMatrixTest", 90, 90},
      {"^BXN,5,200,24,24^FDDataMatrixTest", 120, 120},
  };
  for (const auto& c : cases) {
    const RenderedLabels r = Render(std::string("^XA^BY2^FO50,50") + c.field + "^FS^XZ");
    ASSERT_EQ(r.labels.size(), 1u) << c.field;
    EXPECT_TRUE(r.warnings.empty()) << c.field << ": " << r.warnings.front();
    const Box ink = InkBox(r.labels[0]);
    EXPECT_EQ(ink.left, 50) << c.field;
    EXPECT_EQ(ink.top, 50) << c.field;
    EXPECT_EQ(ink.right - ink.left + 1, c.width) << c.field;
    EXPECT_EQ(ink.bottom - ink.top + 1, c.height) << c.field;
  }
}

TEST(LabelRenderer, HexEscapesAndReverseFields) {
  // ^FH: "_41" is "A"; the same text either way.
  EXPECT_EQ(RenderOne("^XA^FO10,10^A0N,40^FH^FD_41_42^FS^XZ").dots(),
            RenderOne("^XA^FO10,10^A0N,40^FDAB^FS^XZ").dots());
  // ^FR: text over a black box comes out white.
  const Raster r = RenderOne("^XA^FO0,0^GB300,100,100^FS^FO20,20^FR^A0N,60^FDH^FS^XZ");
  const Box plain = InkBox(RenderOne("^XA^FO20,20^A0N,60^FDH^FS^XZ"));
  EXPECT_FALSE(r.IsBlack(plain.left, (plain.top + plain.bottom) / 2));
  EXPECT_TRUE(r.IsBlack(5, 5));
}

TEST(LabelRenderer, FieldOrientationTurnsBars) {
  if (!HasBarcodeLibrary()) GTEST_SKIP() << "no barcode library in this build";
  // ^FWR turns the barcode a quarter clockwise: bars run across, and the
  // start character is at the top.
  const Raster r = RenderOne("^XA^PW300^LL800^FWR^FO20,10^BY3^BC,60,N^FDAB12^FS^XZ");
  const std::vector<int> runs = ColumnRuns(r, 50);
  ASSERT_GE(runs.size(), 4u);
  EXPECT_EQ(runs[0], 10);
  EXPECT_EQ(runs[1], 6);
  EXPECT_EQ(runs[2], 3);
  EXPECT_EQ(runs[3], 3);
  const Box ink = InkBox(r);
  EXPECT_EQ(ink.left, 20);
  EXPECT_EQ(ink.right, 79);
}

TEST(LabelRenderer, FieldBlockJustifiesEachLine) {
  struct Case {
    char justify;
    int expected_left, expected_right;  // of the ink, within a few dots
  };
  const Raster left = RenderOne("^XA^PW600^LL100^FO100,10^A0N,40,40^FB400,1,0,L^FDMMM^FS^XZ");
  const Raster centre = RenderOne("^XA^PW600^LL100^FO100,10^A0N,40,40^FB400,1,0,C^FDMMM^FS^XZ");
  const Raster right = RenderOne("^XA^PW600^LL100^FO100,10^A0N,40,40^FB400,1,0,R^FDMMM^FS^XZ");
  const Box l = InkBox(left), c = InkBox(centre), r = InkBox(right);
  const int width = l.right - l.left;
  EXPECT_NEAR(l.left, 100, 4);
  EXPECT_NEAR(r.right, 500, 4);
  EXPECT_NEAR((c.left + c.right) / 2, 300, 3);
  EXPECT_EQ(c.right - c.left, width);
  EXPECT_EQ(r.right - r.left, width);
}

TEST(LabelRenderer, JustifiedBlockFillsItsWidthButNotItsLastLine) {
  const Raster r =
      RenderOne("^XA^PW600^LL200^FO100,0^A0N,40,40^FB400,2,0,J^FDaa bb cc dd ee ff gg hh ii^FS^XZ");
  const Box first_line = [&] {
    Raster top(600, 40);
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 600; ++x) {
        if (r.IsBlack(x, y)) top.Fill(x, y, 1, 1, true, false);
      }
    }
    return InkBox(top);
  }();
  EXPECT_NEAR(first_line.left, 100, 4);
  EXPECT_NEAR(first_line.right, 500, 4);
  const Box single =
      InkBox(RenderOne("^XA^PW600^LL200^FO100,0^A0N,40,40^FB400,1,0,J^FDaa bb^FS^XZ"));
  EXPECT_LT(single.right, 300);  // a paragraph's last line is not spread
}

TEST(LabelRenderer, FieldBlockWrapsWordsIntoItsLines) {
  const Raster r =
      RenderOne("^XA^PW400^LL400^FO0,0^A0N,40,40^FB200,3,10,L^FDone two three four five^FS^XZ");
  const Box ink = InkBox(r);
  EXPECT_LE(ink.right, 200);
  EXPECT_GT(ink.bottom, 2 * 50);  // three lines of 40 dots, 10 apart
  EXPECT_LT(ink.bottom, 3 * 50);
}

// A 16 x 8 logo, and the dots it must give, drawn at (10, 20).
const char* const kLogoRows[] = {"0110000000000110", "1111000000001111", "0110011111100110",
                                 "0000100000010000", "0001000110001000", "0001000110001000",
                                 "0000100000010000", "0000011111100000"};

void ExpectLogoAt(const Raster& r, int left, int top, int magnify, const std::string& what) {
  for (int y = 0; y < r.height(); ++y) {
    for (int x = 0; x < r.width(); ++x) {
      const int u = (x - left) / magnify, v = (y - top) / magnify;
      const bool inside = x >= left && y >= top && u < 16 && v < 8;
      const bool want = inside && kLogoRows[v][u] == '1';
      ASSERT_EQ(r.IsBlack(x, y), want) << what << " at " << x << "," << y;
    }
  }
}

TEST(LabelRenderer, GraphicFieldsDrawEveryDotInEachEncoding) {
  const struct {
    const char* what;
    std::string zpl;
  } cases[] = {
      {"ASCII hex", "^GFA,16,16,2,6006F00F67E6081011881188081007E0^FS"},
      {"compressed hex", "^GFA,16,16,2,6H06FH0F67E608101188:081007E,^FS"},
      {"Z64", "^GFA,16,16,2,:Z64:eJxLYPvAn/6MQ0CwQ7CDQ4D9AQAsbwT8:0AB6^FS"},
      {"B64", "^GFA,16,16,2,:B64:YAbwD2fmCBARiBGICBAH4A==:580B^FS"},
  };
  for (const auto& c : cases) {
    const RenderedLabels r = Render("^XA^PW40^LL40^FO10,20" + c.zpl + "^XZ");
    ASSERT_EQ(r.labels.size(), 1u) << c.what;
    ExpectLogoAt(r.labels[0], 10, 20, 1, c.what);
    EXPECT_TRUE(r.warnings.empty()) << c.what;
  }
  // Stored with ~DG, recalled doubled with ^XG, and as it is with ^IM.
  const std::string stored = "~DGR:LOGO.GRF,16,2,6006F00F67E6081011881188081007E0\r\n";
  ExpectLogoAt(RenderOne(stored + "^XA^PW60^LL40^FO4,6^XGR:LOGO.GRF,2,2^FS^XZ"), 4, 6, 2, "^XG");
  ExpectLogoAt(RenderOne(stored + "^XA^PW40^LL40^FO10,20^IMR:LOGO.GRF^FS^XZ"), 10, 20, 1, "^IM");
}

TEST(LabelRenderer, DamagedGraphicsWarnAndDrawWhatTheyCan) {
  const struct {
    std::string zpl;
    std::string warning;
  } cases[] = {
      {"^GFA,16,16,2,:Z64:eJxLYPvAn/6MQ0CwQ7CDQ4D9AQAsbwT8:1234^FS",
       "CRC does not match, drawn as far as it goes"},
      {"^GFA,16,16,2,:Z64:AAAAAAAA^FS", "damaged compressed data, drawn as far as it goes"},
      {"^GFA,16,16,2,:Z64:@@@@^FS", "not base64 data, drawn as far as it goes"},
      {"^GFA,16,16,2,60#^FS", "not hex data, drawn as far as it goes"},
      {"^XGR:NONE.GRF,1,1^FS", "no graphic of that name stored"},
  };
  for (const auto& c : cases) {
    const RenderedLabels r = Render("^XA^PW40^LL40^FO10,20" + c.zpl + "^XZ");
    ASSERT_EQ(r.labels.size(), 1u) << c.zpl;
    ASSERT_EQ(r.warnings.size(), 1u) << c.zpl;
    EXPECT_NE(r.warnings[0].find(c.warning), std::string::npos) << r.warnings[0];
  }
  // Sizes beyond any label are cut, not allocated, and a file's graphics
  // together are bounded.
  std::string huge = "^XA";
  for (int i = 0; i < 70; ++i) huge += "^FO0,0^GFA,2000000000,2000000000,1,FF^FS";
  const RenderedLabels r = Render(huge + "^XZ");
  ASSERT_EQ(r.labels.size(), 1u);
  EXPECT_TRUE(r.labels[0].IsBlack(0, 0));
  ASSERT_FALSE(r.warnings.empty());
  EXPECT_EQ(r.warnings.back(),
            "^GF at line 1: not drawn (the file's graphics are too large together)");
}

TEST(LabelRenderer, SeveralLabelsAndTheirSettings) {
  const RenderedLabels r =
      Render("^XA^PW100^LL50^FO0,0^GB10,10,10^FS^XZ\r\n^XA^PW300^LL60^XZ\r\n~JA\r\n");
  ASSERT_EQ(r.labels.size(), 2u);
  EXPECT_EQ(r.labels[0].width(), 100);
  EXPECT_EQ(r.labels[1].width(), 300);
  EXPECT_EQ(r.labels[1].height(), 60);
  EXPECT_TRUE(r.warnings.empty());
}

TEST(LabelRenderer, CommandsNotDrawnAreWarnedWithTheirLine) {
  const RenderedLabels r = Render("^XA\r\n^FO10,10^FDok^FS\r\n^MMT^PQ2\r\n^BZN,10^FDx^FS\r\n^XZ");
  EXPECT_EQ(r.warnings, std::vector<std::string>{"^BZ at line 4: not drawn"});
}

TEST(LabelRenderer, SizeWithoutWidthOrLengthComesFromTheOptions) {
  // The dots that fit, as the printer counts: 4 in at 8 dots/mm is 812.
  EXPECT_EQ(Render("^XA^XZ").labels.at(0).width(), 812);
  EXPECT_EQ(Render("^XA^XZ").labels.at(0).height(), 609);
  EXPECT_EQ(Render("^XA^XZ", 12).labels.at(0).width(), 1219);
  EXPECT_EQ(Render("^XA^XZ", 24).labels.at(0).height(), 1828);
}

TEST(LabelRenderer, PlainTextIsDrawnInTheFixedFont) {
  const RenderedLabels r = Render("Table 12\r\nAlice\x1b\r\n");
  ASSERT_EQ(r.labels.size(), 1u);
  const Box ink = InkBox(r.labels[0]);
  EXPECT_LT(ink.left, 10);
  // Two lines, 6 to the inch; "{ESC}" makes the second the longer.
  EXPECT_GT(ink.bottom, 34);
  EXPECT_LT(ink.bottom, 3 * 34);
  EXPECT_GT(ink.right, 8 * 20);
}

TEST(LabelRenderer, MalformedInputGivesWarningsAndBoundedImages) {
  const std::string big_qr = "^XA^FO0,0^BQN,2,10^FDQA," + std::string(10000, 'x') + "^FS^XZ";
  const std::string big_text = "^XA^FO0,0^A0N,30,30^FD" + std::string(20000, 'W') + "^FS^XZ";
  // Each gives a warning, except the last two, which are only large.
  const std::vector<std::string> inputs = {
      "^XA^FO10,10^GB30000,30000,30000^FS^XZ",
      "^XA^PW99999999^LL99999999^XZ",
      "^XA^FO-99999,-99999^GB99999,20,5^FS^XZ",
      "^XA^FO10,10^A0N,99999,99999^FDhuge^FS^XZ",
      "^XA^FO10,10^FDunterminated",
      "^XA^FO10,10^GC30000,30000^FS^FO0,0^GD30000,30000,30000^FS^XZ",
      "^XA^BY999,99,99999^FO0,0^BC^FD" + std::string(5000, '1') + "^FS^XZ",
      big_qr,
      // A NUL for a font name once read past the bitmap fonts' table.
      std::string("^XA^FO0,0^A\0N,60,60^FDx^FS^CF\0^FO0,0^FDy^FS^XZ", 46),
      "^XA^FH^FD_4^FS^FO0,0^FB-5,-5,-99999,Q,-3^FDa b^FS^XZ",
      big_text,
  };
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    const std::string& input = inputs[i];
    const RenderedLabels r = Render(input);
    ASSERT_EQ(r.labels.size(), 1u) << input.substr(0, 60);
    EXPECT_LE(r.labels[0].width(), kMaxLabelDots);
    EXPECT_LE(r.labels[0].height(), kMaxLabelDots);
    if (i + 2 < inputs.size()) {
      EXPECT_FALSE(r.warnings.empty()) << input.substr(0, 60);
    }
  }
}

TEST(LabelRenderer, ManyLabelsStopAtTheBound) {
  std::string file;
  for (int i = 0; i < 150; ++i) file += "^XA^PW4000^LL4000^XZ";
  const RenderedLabels r = Render(file);
  EXPECT_LT(r.labels.size(), 100u);
  EXPECT_FALSE(r.warnings.empty());
}

}  // namespace
}  // namespace cratemark::render
