// Drawing a 4 x 6 in label at 8 dots/mm with text, boxes, a Code 128 and a
// QR code, against the preview's 300 ms typing pause (goal: at most a tenth
// of it), and against zint's own command-line tool drawing the same two
// barcodes (run as a program, as a user would run it; never linked).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/bench_util.h"
#include "render/label_renderer.h"
#include "render/png_image.h"
#include "render/printer_fonts.h"

using namespace cratemark;

namespace {

const char kLabel[] =
    "^XA^PW812^LL1218^CI27\r\n"
    "^FO20,20^GB772,1178,4^FS\r\n"
    "^FO40,40^A0N,70,70^FDTable 12 - Alice^FS\r\n"
    "^FO40,130^A0N,40,40^FB730,4,6,L^FD2 x Burger Deluxe, no onions, extra cheese, "
    "well done; 1 x Fries; 1 x Lemonade with ice^FS\r\n"
    "^FO40,330^GB732,3,3^FS\r\n"
    "^FO40,360^A0N,30,30^FDPickup 12:45 at the counter^FS\r\n"
    "^FO40,420^BY3^BCN,150,Y,N,N^FDORDER-1234-5678^FS\r\n"
    "^FO40,660^BQN,2,8^FDQA,https://example.com/orders/1234-5678^FS\r\n"
    "^FO500,660^GB270,270,6^FS^FO520,700^ADN,36,20^FDBOX 1/3^FS\r\n"
    "^FO40,1100^A0N,50,50^FDTotal 23.40^FS\r\n"
    "^XZ\r\n";

}  // namespace

int main() {
  std::printf("render_bench: a 4 x 6 in label at 8 dots/mm\n");
  const render::PrinterFonts fonts = render::LoadPrinterFonts();
  render::RenderedLabels rendered;
  const double render_s =
      bench::MedianTime(30, [&] { rendered = render::RenderLabelFile(kLabel, {}, fonts); });
  if (rendered.labels.size() != 1 || !rendered.warnings.empty()) {
    std::fprintf(stderr, "render_bench: the label did not draw cleanly\n");
    return 2;
  }
  const double png_s = bench::MedianTime(10, [&] { render::EncodePng(rendered.labels[0]); });
  bench::PrintFigure("render, median of 30", render_s * 1e3, "ms");
  bench::PrintFigure("PNG of it, median of 10", png_s * 1e3, "ms");
  bench::PrintFigure("render as a share of the 300 ms pause", render_s / 0.3 * 100, "%");
  const bool met = bench::PrintRatio("render / the 300 ms typing pause", render_s / 0.3, 0.1, true);

  // zint's tool, the same two barcodes, each a PNG of its own.
  const std::string out = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
  const std::string command = "zint -b 20 --height=50 --scale=1.5 -d 'ORDER-1234-5678' -o '" + out +
                              "/render_bench_c128.png' && zint -b 58 --secure=3 --scale=4 "
                              "-d 'https://example.com/orders/1234-5678' -o '" +
                              out + "/render_bench_qr.png'";
  if (std::system("command -v zint >/dev/null 2>&1") == 0) {
    const double zint_s = bench::MedianTime(10, [&] {
      if (std::system(command.c_str()) != 0) std::fprintf(stderr, "zint failed\n");
    });
    bench::PrintFigure("zint's tool, the two barcodes, median of 10", zint_s * 1e3, "ms");
    std::printf("  %-48s %12.2fx\n", "render / zint's tool", render_s / zint_s);
  } else {
    std::printf("  zint's command-line tool is not installed (Debian package zint)\n");
  }
  return met ? 0 : 1;
}
