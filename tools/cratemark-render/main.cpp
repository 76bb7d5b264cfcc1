// cratemark-render: a label file drawn as the printer would print it, as PNG.
//   cratemark-render LABEL_FILE [-o OUT.png] [--dpmm N] [--size WxH_mm]
//   cratemark-render --design LabelDesign.txt --job ORDER.spl [--settings Cratemark.cfg] ...
// One label gives OUT.png, several OUT-1.png, OUT-2.png, ... Warnings go to
// stderr. Exit codes: 0 drawn, 1 a file could not be read or written, 2 a
// wrong command line.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/text_file.h"
#include "render/label_renderer.h"
#include "render/png_image.h"
#include "render/printer_fonts.h"
#include "shared/label_composer.h"
#include "shared/order_job.h"
#include "shared/settings_file.h"

namespace cratemark {
namespace {

constexpr int kUsageError = 2;

const char kUsage[] =
    "usage: cratemark-render LABEL_FILE [-o OUT.png] [--dpmm N] [--size WxH_mm]\n"
    "       cratemark-render --design DESIGN --job JOB [--settings Cratemark.cfg]\n"
    "                        [-o OUT.png] [--dpmm N] [--size WxH_mm]\n"
    "Draws a label file as the label printer prints it: ZPL II (one image per\n"
    "^XA ... ^XZ) or plain text. --dpmm: 6, 8 (default), 12 or 24 dots per mm;\n"
    "--size: the label size in mm when the file does not set it (default\n"
    "101.6x76.2). With --design and --job, the label is composed first, as the\n"
    "service composes it.\n";

struct Options {
  std::string label_file, design, job, settings, out;
  render::RenderOptions render;
};

[[noreturn]] void UsageError(const std::string& message) {
  std::fprintf(stderr, "cratemark-render: %s\n%s", message.c_str(), kUsage);
  std::exit(kUsageError);
}

bool ParseSize(const std::string& text, double& width, double& height) {
  const std::size_t x = text.find_first_of("xX");
  if (x == std::string::npos) return false;
  char* end = nullptr;
  const std::string w = text.substr(0, x), h = text.substr(x + 1);
  width = std::strtod(w.c_str(), &end);
  if (w.empty() || *end) return false;
  height = std::strtod(h.c_str(), &end);
  if (h.empty() || *end) return false;
  // Up to the widest label the renderer draws at the lowest resolution.
  return width > 0 && height > 0 && width <= 600 && height <= 600;
}

Options ParseCommandLine(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) UsageError(arg + " needs a value");
      return argv[++i];
    };
    if (arg == "-h" || arg == "--help") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else if (arg == "-o" || arg == "--output") {
      options.out = value();
    } else if (arg == "--dpmm") {
      const std::string v = value();
      const int dpmm = std::atoi(v.c_str());
      if (std::to_string(dpmm) != v || !render::IsPrinterResolution(dpmm)) {
        UsageError("--dpmm must be 6, 8, 12 or 24, not " + v);
      }
      options.render.dots_per_mm = dpmm;
    } else if (arg == "--size") {
      const std::string v = value();
      if (!ParseSize(v, options.render.width_mm, options.render.height_mm)) {
        UsageError("--size must be WIDTHxHEIGHT in mm (at most 600 each), not " + v);
      }
    } else if (arg == "--design") {
      options.design = value();
    } else if (arg == "--job") {
      options.job = value();
    } else if (arg == "--settings") {
      options.settings = value();
    } else if (!arg.empty() && arg[0] == '-') {
      UsageError("unknown option " + arg);
    } else if (options.label_file.empty()) {
      options.label_file = arg;
    } else {
      UsageError("one label file only");
    }
  }
  const bool composing = !options.design.empty() || !options.job.empty();
  if (composing && (options.design.empty() || options.job.empty())) {
    UsageError("--design and --job go together");
  }
  if (composing == !options.label_file.empty()) {
    UsageError(composing ? "a label file, or --design and --job, not both" : "no label file given");
  }
  if (!options.settings.empty() && !composing) UsageError("--settings needs --design and --job");
  return options;
}

// The label bytes the service would write for the job with this design.
std::string ComposeLabelFile(const Options& options) {
  FileSystem& fs = SystemFileSystem();
  const Lines design = ReadTextFile(fs, options.design).lines;
  Lines job = ReadOrderJob(fs, options.job);
  LabelCaptions captions;
  if (!options.settings.empty()) {
    const Settings settings = SettingsFromLines(ReadTextFile(fs, options.settings).lines);
    captions = {settings.labels_text, settings.time_text, settings.map_text, settings.total_text};
  }
  EscapeQuotes(job);
  if (!FollowsBlockLayout(job)) {
    throw Error(ErrorKind::kInvalidData,
                options.job + " is not in the block layout: the service prints no label for it");
  }
  const Lines label = ComposeBlocks(job, captions, [&] { return std::optional<Lines>(design); });
  return Utf8ToAnsi(JoinLines(label));
}

// OUT.png, or OUT-1.png ... for several labels.
std::string OutputName(const std::string& out, std::size_t index, std::size_t count) {
  if (count == 1) return out;
  std::string stem = out;
  std::string extension = ".png";
  const std::size_t dot = out.rfind('.');
  const std::size_t slash = out.find_last_of("/\\");
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
    stem = out.substr(0, dot);
    extension = out.substr(dot);
  }
  return stem + "-" + std::to_string(index + 1) + extension;
}

std::string DefaultOutput(const Options& options) {
  const std::string& base = options.label_file.empty() ? options.job : options.label_file;
  const std::size_t dot = base.rfind('.');
  const std::size_t slash = base.find_last_of("/\\");
  const bool has_extension =
      dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (has_extension ? base.substr(0, dot) : base) + ".png";
}

int Run(int argc, char** argv) {
  const Options options = ParseCommandLine(argc, argv);
  try {
    const std::string bytes =
        options.label_file.empty() ? ComposeLabelFile(options) : ReadWholeFile(options.label_file);
    const render::PrinterFonts fonts = render::LoadPrinterFonts();
    const render::RenderedLabels rendered = render::RenderLabelFile(bytes, options.render, fonts);
    const std::string source = options.label_file.empty() ? options.job : options.label_file;
    for (const std::string& warning : rendered.warnings) {
      std::fprintf(stderr, "cratemark-render: %s: %s\n", source.c_str(), warning.c_str());
    }
    if (rendered.labels.empty()) {
      std::fprintf(stderr, "cratemark-render: %s: no label in the file\n", source.c_str());
      return 1;
    }
    const std::string out = options.out.empty() ? DefaultOutput(options) : options.out;
    for (std::size_t i = 0; i < rendered.labels.size(); ++i) {
      const std::string name = OutputName(out, i, rendered.labels.size());
      WriteWholeFile(name, render::EncodePng(rendered.labels[i]));
      std::printf("%s\n", name.c_str());
    }
    return 0;
  } catch (const Error& e) {
    std::fprintf(stderr, "cratemark-render: %s\n", e.what());
    return 1;
  }
}

}  // namespace
}  // namespace cratemark

int main(int argc, char** argv) { return cratemark::Run(argc, argv); }
