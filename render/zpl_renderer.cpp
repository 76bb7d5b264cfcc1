#include "render/zpl_renderer.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <map>
#include <optional>
#include <set>

#include "platform/windows_1252.h"
#include "render/barcode_symbol.h"
#include "render/graphic_data.h"
#include "render/zpl_commands.h"

namespace cratemark::render {
namespace {

// Bounds that keep a hostile file cheap: far above any real label.
constexpr int kMaxLabels = 100;
constexpr long long kMaxTotalDots = 48LL * 1024 * 1024;
constexpr std::size_t kMaxWarnings = 200;
constexpr std::size_t kMaxFieldBytes = 8 * 1024;
constexpr int kMaxFontDots = 1500;
constexpr int kMaxGraphicDots = 2 * kMaxLabelDots;

// Commands that set up the printer (media, speed, darkness, copies) and so
// change nothing in the picture.
const std::set<std::string> kSetupCommands = {"MM", "MN", "MT", "MD", "PR", "PQ", "JU", "JZ",
                                              "SZ", "MF", "PH", "JM", "KD", "PF", "PP", "JB"};

// Commands that make the field a barcode or a graphic instead of text.
const std::set<std::string> kFieldKinds = {"BC", "B3", "B2", "B7", "B8", "BE", "BU", "BQ",
                                           "BX", "GB", "GC", "GD", "GE", "GF", "XG", "IM"};

// Graphics stored with ~DG, all together: far above any real set of logos.
constexpr std::size_t kMaxStoredGraphicBytes = 16 * 1024 * 1024;

// The parameters before a graphic's data, and the data: everything after
// the `count`th comma, commas and all (compressed hex uses them).
std::string_view DataAfterCommas(std::string_view params, int count) {
  std::size_t at = 0;
  for (int i = 0; i < count; ++i) {
    at = params.find(',', at);
    if (at == std::string_view::npos) return {};
    ++at;
  }
  return params.substr(at);
}

// "R:LOGO.GRF" and "LOGO" name the same stored graphic.
std::string GraphicName(std::string name) {
  const std::size_t colon = name.find(':');
  if (colon != std::string::npos) name = name.substr(colon + 1);
  const std::size_t dot = name.find('.');
  if (dot != std::string::npos) name = name.substr(0, dot);
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

// A number parameter: `fallback` when empty or not a number, clamped so that
// later arithmetic cannot overflow.
int Number(const std::vector<std::string>& p, std::size_t i, int fallback) {
  if (i >= p.size()) return fallback;
  const std::string& s = p[i];
  std::size_t k = 0;
  while (k < s.size() && s[k] == ' ') ++k;
  bool negative = false;
  if (k < s.size() && (s[k] == '-' || s[k] == '+')) negative = s[k++] == '-';
  if (k >= s.size() || !std::isdigit(static_cast<unsigned char>(s[k]))) return fallback;
  long long value = 0;
  for (; k < s.size() && std::isdigit(static_cast<unsigned char>(s[k])); ++k) {
    value = std::min(value * 10 + (s[k] - '0'), 1000000LL);
  }
  return static_cast<int>(negative ? -value : value);
}

double Decimal(const std::vector<std::string>& p, std::size_t i, double fallback) {
  if (i >= p.size() || p[i].empty()) return fallback;
  char* end = nullptr;
  const double value = std::strtod(p[i].c_str(), &end);
  return end == p[i].c_str() || !std::isfinite(value) ? fallback : value;
}

char Letter(const std::vector<std::string>& p, std::size_t i, char fallback) {
  if (i >= p.size()) return fallback;
  for (char c : p[i]) {
    if (c != ' ') return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return fallback;
}

struct Font {
  char name = 'A';
  int height = 0;  // 0: the font's own size
  int width = 0;
};

struct Block {
  int width = 0;
  int lines = 1;
  int spacing = 0;
  char justify = 'L';
  int indent = 0;
};

struct Field {
  bool started = false;
  int line = 0;
  int x = 0, y = 0;
  bool typeset = false;  // ^FT: the origin is the baseline, not the top
  std::optional<Font> font;
  std::optional<Orientation> font_orientation;
  std::optional<std::string> data;
  std::optional<char> hex_indicator;
  bool reverse = false;
  std::optional<Block> block;
  std::optional<ZplCommand> kind;  // a barcode or a graphic; text otherwise
  bool not_drawn = false;          // a field kind we do not draw (^BZ)
};

class LabelDrawer {
 public:
  LabelDrawer(const RenderOptions& options, const PrinterFonts& fonts, RenderedLabels& out)
      : options_(options), fonts_(fonts), out_(out) {}

  void Warn(std::string text) {
    if (out_.warnings.size() < kMaxWarnings) {
      out_.warnings.push_back(std::move(text));
    } else if (out_.warnings.size() == kMaxWarnings) {
      out_.warnings.push_back("more warnings left out");
    }
  }
  void NotDrawn(const ZplCommand& c, const std::string& why = "") {
    Warn(std::string(1, c.prefix) + c.code + " at line " + std::to_string(c.line) + ": not drawn" +
         (why.empty() ? "" : " (" + why + ")"));
  }

  // One ^XA ... ^XZ.
  void DrawLabel(const std::vector<ZplCommand>& commands, std::size_t first, std::size_t last,
                 long long& dots_left) {
    int width = LabelDots(options_.width_mm, options_.dots_per_mm);
    int height = LabelDots(options_.height_mm, options_.dots_per_mm);
    // The size first: ^PW and ^LL may follow fields they bound.
    for (std::size_t i = first; i < last; ++i) {
      const auto p = SplitParams(commands[i].params);
      if (commands[i].code == "PW") width = Number(p, 0, width);
      if (commands[i].code == "LL") height = Number(p, 0, height);
    }
    if (width > kMaxLabelDots || height > kMaxLabelDots) {
      Warn("label at line " + std::to_string(commands[first - 1].line) + ": size cut to " +
           std::to_string(kMaxLabelDots) + " dots a side");
    }
    width = std::clamp(width, 1, kMaxLabelDots);
    height = std::clamp(height, 1, kMaxLabelDots);
    if (static_cast<long long>(width) * height > dots_left) {
      Warn("label at line " + std::to_string(commands[first - 1].line) +
           ": not drawn (the file's labels are too large together)");
      return;
    }
    dots_left -= static_cast<long long>(width) * height;
    raster_ = Raster(width, height);
    for (std::size_t i = first; i < last; ++i) Apply(commands[i]);
    if (field_.started) EndField(true);
    if (inverted_) {
      Raster turned(width, height);
      for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
          if (raster_.IsBlack(x, y)) turned.Fill(width - 1 - x, height - 1 - y, 1, 1, true, false);
        }
      }
      raster_ = std::move(turned);
    }
    out_.labels.push_back(std::move(raster_));
  }

 private:
  int Scaled(int dots_at_8) const {
    return std::max(1, static_cast<int>(std::lround(dots_at_8 * options_.dots_per_mm / 8.0)));
  }

  // A new origin after a field with content ends that field, as if ^FS had
  // come; other field commands add to the field being built.
  void StartField(const ZplCommand& c, bool new_origin = false) {
    if (new_origin && field_.started && (field_.data || field_.kind)) EndField(true);
    if (!field_.started) {
      field_ = Field{};
      field_.started = true;
      field_.line = c.line;
    }
  }

  void Apply(const ZplCommand& c) {
    const auto p = SplitParams(c.params);
    if (c.prefix == '~' && c.code == "DG") return StoreGraphic(c, p);
    if (c.prefix == '~') return;  // host commands: status, calibration
    const std::string& code = c.code;
    if (code == "XA" || code == "XZ" || code == "FX" || code == "PW" || code == "LL" ||
        kSetupCommands.count(code)) {
      return;
    }
    if (code == "LH") {
      home_x_ = Number(p, 0, 0);
      home_y_ = Number(p, 1, 0);
    } else if (code == "FO" || code == "FT") {
      StartField(c, true);
      field_.x = home_x_ + Number(p, 0, 0);
      field_.y = home_y_ + Number(p, 1, 0);
      field_.typeset = code == "FT";
    } else if (code.size() == 2 && code[0] == 'A') {
      StartField(c);
      Font font;
      font.name = code[1];
      field_.font_orientation = OrientationFromLetter(Letter(p, 0, 'N'), orientation_);
      if (p.empty() || p[0].empty()) field_.font_orientation = orientation_;
      font.height = Number(p, 1, font.name == default_font_.name ? default_font_.height : 0);
      font.width = Number(p, 2, font.name == default_font_.name ? default_font_.width : 0);
      field_.font = font;
    } else if (code == "CF") {
      default_font_.name = p.empty() || p[0].empty() ? default_font_.name : Letter(p, 0, 'A');
      default_font_.height = Number(p, 1, default_font_.height);
      default_font_.width = Number(p, 2, default_font_.width);
    } else if (code == "FW") {
      orientation_ = OrientationFromLetter(Letter(p, 0, 'N'), orientation_);
    } else if (code == "FD" || code == "FV") {
      StartField(c);
      field_.data = c.params.substr(0, kMaxFieldBytes);
      if (c.params.size() > kMaxFieldBytes) NotDrawn(c, "field data cut to 8 kB");
    } else if (code == "FH") {
      StartField(c);
      field_.hex_indicator = c.params.empty() ? '_' : c.params[0];
    } else if (code == "FR") {
      StartField(c);
      field_.reverse = true;
    } else if (code == "FB") {
      StartField(c);
      Block block;
      block.width = Number(p, 0, 0);
      block.lines = std::clamp(Number(p, 1, 1), 1, 9999);
      block.spacing = std::clamp(Number(p, 2, 0), -9999, 9999);
      block.justify = Letter(p, 3, 'L');
      block.indent = std::clamp(Number(p, 4, 0), 0, 9999);
      field_.block = block;
    } else if (code == "BY") {
      module_width_ = std::clamp(Number(p, 0, module_width_), 1, 10);
      ratio_ = std::clamp(Decimal(p, 1, ratio_), 2.0, 3.0);
      bar_height_ = std::clamp(Number(p, 2, bar_height_), 1, kMaxLabelDots);
    } else if (code == "CI") {
      charset_ = Number(p, 0, 0);
      if (charset_ != 0 && charset_ != 27 && charset_ != 28) {
        Warn("^CI" + std::to_string(charset_) + " at line " + std::to_string(c.line) +
             ": drawn as Windows-1252");
      }
    } else if (code == "LR") {
      reverse_all_ = Letter(p, 0, 'N') == 'Y';
    } else if (code == "PO") {
      inverted_ = Letter(p, 0, 'N') == 'I';
    } else if (code == "FS") {
      if (field_.started) EndField(false);
    } else if (kFieldKinds.count(code)) {
      StartField(c);
      field_.kind = c;
    } else {
      NotDrawn(c);
      // Its data is not text: the whole field is left out.
      if (code[0] == 'B' || code[0] == 'G') {
        StartField(c);
        field_.not_drawn = true;
      }
    }
  }

  void EndField(bool implicit) {
    Field field = std::move(field_);
    field_ = Field{};
    if (implicit) {
      Warn("field at line " + std::to_string(field.line) + ": no ^FS");
    }
    if (field.not_drawn) return;
    if (field.kind) {
      if (field.kind->code[0] == 'B') {
        DrawBarcode(field);
      } else {
        DrawGraphic(field);
      }
    } else if (field.data) {
      DrawText(field);
    }
  }

  // The origin of an upright extent turned by `o`, so that its anchor point
  // (u, v) lands on (x, y): ^FT puts the text's baseline or a barcode's
  // bottom on the given point.
  static void Anchor(Orientation o, int w, int h, int u, int v, int& x, int& y) {
    switch (o) {
      case Orientation::kNormal:
        x -= u, y -= v;
        break;
      case Orientation::kRotated90:
        x -= h - v, y -= u;
        break;
      case Orientation::kInverted180:
        x -= w - u, y -= h - v;
        break;
      case Orientation::kBottomUp270:
        x -= v, y -= w - u;
        break;
    }
  }

  std::string DecodedData(const Field& field) const {
    std::string bytes = *field.data;
    if (field.hex_indicator) {
      std::string decoded;
      const char mark = *field.hex_indicator;
      for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == mark && i + 2 < bytes.size() + 0 &&
            std::isxdigit(static_cast<unsigned char>(bytes[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(bytes[i + 2]))) {
          decoded += static_cast<char>(std::stoi(bytes.substr(i + 1, 2), nullptr, 16));
          i += 2;
        } else {
          decoded += bytes[i];
        }
      }
      bytes = std::move(decoded);
    }
    return bytes;
  }

  std::string ToUtf8(const std::string& bytes) const {
    // ^CI28 is UTF-8; the others are drawn as the ANSI code page the labels
    // are sent in.
    return charset_ == 28 ? bytes : Windows1252ToUtf8(bytes);
  }

  struct TextStyle {
    const FontFace* face;
    FontFace::Size size;
    int line_height;
  };

  TextStyle StyleFor(const Font& requested, int line) {
    Font font = requested;
    if (font.height > kMaxFontDots || font.width > kMaxFontDots) {
      Warn("font at line " + std::to_string(line) + ": size cut to " +
           std::to_string(kMaxFontDots) + " dots");
    }
    font.height = std::clamp(font.height, 0, kMaxFontDots);
    font.width = std::clamp(font.width, 0, kMaxFontDots);
    if (font.name < 'A' || font.name > 'H') {
      if (font.name != '0') {
        const bool printable = font.name > ' ' && font.name < 127;
        Warn("font " + (printable ? std::string(1, font.name) : std::string("?")) + " at line " +
             std::to_string(line) + ": drawn as font 0");
      }
      const int h = font.height > 0 ? font.height : (font.width > 0 ? font.width : Scaled(9));
      const int w = font.width > 0 ? font.width : h;
      // The printer's font 0 has capitals 0.74 of the field height, their
      // tops on the field's origin; the narrow face drawn in its place runs
      // a little wider and is a little lighter than it.
      FontFace::Size size;
      size.cap_height = h * 0.74;
      size.baseline = size.cap_height;
      size.width_scale = 0.972 * w / h;
      size.ink_threshold = 32;
      return {&fonts_.scalable, size, h};
    }
    // The bitmap fonts at 8 dots/mm: cell height and width, the gap after
    // each character, the baseline and the capitals' top within the cell,
    // and how wide and how far in a capital's ink is, which in some fonts
    // passes the cell. Magnified by whole steps.
    struct Cell {
      int height, width, gap, baseline, cap_top;
      double ink_width, ink_left;
    };
    static const Cell kCells[8] = {{9, 5, 1, 7, 0, 5, 0},     {11, 7, 2, 11, 0, 7, 0},
                                   {18, 10, 2, 14, 0, 10, 0}, {18, 10, 2, 14, 0, 10, 0},
                                   {28, 15, 5, 23, 3, 14, 0}, {26, 13, 3, 21, 0, 14.5, 0},
                                   {60, 40, 8, 48, 0, 34, 3}, {21, 13, 6, 21, 0, 13.5, 0}};
    const Cell& cell = kCells[font.name - 'A'];
    const double dots = options_.dots_per_mm / 8.0;
    const int base_h = Scaled(cell.height);
    const int base_w = Scaled(cell.width);
    int mag_h = font.height > 0 ? std::max(1, font.height / base_h) : 0;
    int mag_w = font.width > 0 ? std::max(1, font.width / base_w) : 0;
    if (mag_h == 0) mag_h = mag_w > 0 ? mag_w : 1;
    if (mag_w == 0) mag_w = mag_h;
    FontFace::Size size;
    size.cap_height = Scaled(cell.baseline - cell.cap_top) * mag_h;
    size.baseline = Scaled(cell.baseline) * mag_h;
    size.advance = (base_w + Scaled(cell.gap)) * mag_w;
    // The face's glyphs leave a margin of about a twentieth of their box
    // on each side.
    const double ink = cell.ink_width * dots * mag_w;
    size.cell_width = ink * 1.1;
    size.cell_left = cell.ink_left * dots * mag_w - ink * 0.05;
    const FontFace* face = font.name == 'G' ? &fonts_.thin_fixed : &fonts_.fixed;
    return {face, size, base_h * mag_h};
  }

  // Words of `text` greedily in lines of at most `width` dots; "\&" breaks.
  // `paragraph_ends`: the indexes of the lines that end a paragraph.
  static std::vector<std::string> WrapLines(const std::string& text, const TextStyle& style,
                                            int width, int indent,
                                            std::vector<std::size_t>& paragraph_ends) {
    std::vector<std::string> paragraphs;
    std::string current;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '&') {
        paragraphs.push_back(std::move(current));
        current.clear();
        ++i;
      } else {
        current += text[i];
      }
    }
    paragraphs.push_back(std::move(current));
    std::vector<std::string> lines;
    for (const std::string& paragraph : paragraphs) {
      std::string line;
      std::size_t pos = 0;
      while (pos <= paragraph.size()) {
        std::size_t end = paragraph.find(' ', pos);
        if (end == std::string::npos) end = paragraph.size();
        const std::string word = paragraph.substr(pos, end - pos);
        const std::string tried = line.empty() ? word : line + " " + word;
        const int room = width - (lines.empty() ? 0 : indent);
        if (!line.empty() && style.face->Measure(tried, style.size) > room) {
          lines.push_back(std::move(line));
          line = word;
        } else {
          line = tried;
        }
        pos = end + 1;
        if (lines.size() > 10000) break;
      }
      lines.push_back(std::move(line));
      paragraph_ends.push_back(lines.size() - 1);
    }
    return lines;
  }

  void DrawText(const Field& field) {
    const Font font = field.font ? *field.font : default_font_;
    const Orientation o = field.font ? *field.font_orientation : orientation_;
    const TextStyle style = StyleFor(font, field.line);
    const std::string text = ToUtf8(DecodedData(field));
    const int ascent = style.face->Ascent(style.size);
    const bool reverse = field.reverse != reverse_all_;
    int x = field.x, y = field.y;
    if (!field.block) {
      const int w = std::max(1, style.face->Measure(text, style.size));
      if (field.typeset) Anchor(o, w, style.line_height, 0, ascent, x, y);
      FieldCanvas canvas(raster_, x, y, w, style.line_height, o, reverse);
      style.face->Draw(canvas, 0, 0, text, style.size);
      return;
    }
    const Block& block = *field.block;
    const int width = block.width > 0 ? block.width : raster_.width();
    const int line_step = std::max(1, style.line_height + block.spacing);
    const int h = std::max(1, line_step * (block.lines - 1) + style.line_height);
    if (field.typeset) Anchor(o, width, h, 0, h - style.line_height + ascent, x, y);
    FieldCanvas canvas(raster_, x, y, width, h, o, reverse);
    std::vector<std::size_t> paragraph_ends;
    const std::vector<std::string> lines =
        WrapLines(text, style, width, block.indent, paragraph_ends);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      // Lines past the block's last are printed over it, as printers do.
      const int row = static_cast<int>(std::min<std::size_t>(i, block.lines - 1));
      const int indent = i == 0 ? 0 : block.indent;
      const int used = style.face->Measure(lines[i], style.size);
      int u = indent;
      if (block.justify == 'C') u = (width - used) / 2;
      if (block.justify == 'R') u = width - used;
      const bool last_of_paragraph =
          std::find(paragraph_ends.begin(), paragraph_ends.end(), i) != paragraph_ends.end();
      if (block.justify == 'J' && !last_of_paragraph) {
        DrawJustified(canvas, style, indent, width - indent, row * line_step, lines[i]);
      } else {
        style.face->Draw(canvas, u, row * line_step, lines[i], style.size);
      }
    }
  }

  // The words of one line spread so that it fills `width`.
  static void DrawJustified(FieldCanvas& canvas, const TextStyle& style, int u, int width, int v,
                            const std::string& line) {
    std::vector<std::string> words;
    for (std::size_t pos = 0; pos <= line.size();) {
      std::size_t end = line.find(' ', pos);
      if (end == std::string::npos) end = line.size();
      if (end > pos) words.push_back(line.substr(pos, end - pos));
      pos = end + 1;
    }
    int inked = 0;
    for (const std::string& word : words) inked += style.face->Measure(word, style.size);
    const double gap =
        words.size() > 1 ? static_cast<double>(width - inked) / (words.size() - 1) : 0;
    double at = u;
    for (const std::string& word : words) {
      style.face->Draw(canvas, static_cast<int>(std::lround(at)), v, word, style.size);
      at += style.face->Measure(word, style.size) + gap;
    }
  }

  void DrawGraphic(const Field& field) {
    const ZplCommand& c = *field.kind;
    const auto p = SplitParams(c.params);
    const bool reverse = field.reverse != reverse_all_;
    auto clamp_size = [&](int v) {
      if (v > kMaxGraphicDots) {
        Warn(std::string(1, c.prefix) + c.code + " at line " + std::to_string(c.line) +
             ": size cut to " + std::to_string(kMaxGraphicDots) + " dots");
      }
      return std::clamp(v, 1, kMaxGraphicDots);
    };
    if (c.code == "GF") {
      // ^GFa,b,c,d,data: format, bytes sent, bytes in the graphic, bytes a row.
      if (!SpendGraphicBytes(c, Number(p, 2, 0))) return;
      GraphicBits bits = DecodeGraphicData(DataAfterCommas(c.params, 4), Number(p, 2, 0),
                                           Number(p, 3, 1), Letter(p, 0, 'A'));
      if (!bits.damage.empty()) WarnDamage(c, bits.damage + ", drawn as far as it goes");
      DrawBits(field, bits, 1, 1, reverse);
      return;
    }
    if (c.code == "XG" || c.code == "IM") {
      // ^XGd:o.x,mx,my recalls a stored graphic magnified; ^IMd:o.x as it is.
      const auto found = stored_graphics_.find(GraphicName(p.empty() ? "" : p[0]));
      if (found == stored_graphics_.end()) {
        NotDrawn(c, "no graphic of that name stored");
        return;
      }
      const bool magnified = c.code == "XG";
      DrawBits(field, found->second, magnified ? std::clamp(Number(p, 1, 1), 1, 10) : 1,
               magnified ? std::clamp(Number(p, 2, 1), 1, 10) : 1, reverse);
      return;
    }
    if (c.code == "GB") {
      const int t = clamp_size(Number(p, 2, 1));
      const int w = std::max(clamp_size(Number(p, 0, t)), t);
      const int h = std::max(clamp_size(Number(p, 1, t)), t);
      const bool black = Letter(p, 3, 'B') != 'W';
      int x = field.x, y = field.y;
      if (field.typeset) y -= h;
      FieldCanvas canvas(raster_, x, y, w, h, Orientation::kNormal, reverse);
      if (2 * t >= w || 2 * t >= h) {
        canvas.Fill(0, 0, w, h, black);
      } else {
        canvas.Fill(0, 0, w, t, black);
        canvas.Fill(0, h - t, w, t, black);
        canvas.Fill(0, t, t, h - 2 * t, black);
        canvas.Fill(w - t, t, t, h - 2 * t, black);
      }
    } else if (c.code == "GC" || c.code == "GE") {
      // ^GCd,t,c is a circle; ^GEw,h,t,c an ellipse.
      const bool circle = c.code == "GC";
      const int w = clamp_size(Number(p, 0, 3));
      const int h = circle ? w : clamp_size(Number(p, 1, 3));
      const int t = std::min(clamp_size(Number(p, circle ? 1 : 2, 1)), (std::min(w, h) + 1) / 2);
      const bool black = Letter(p, circle ? 2 : 3, 'B') != 'W';
      int x = field.x, y = field.y;
      if (field.typeset) y -= h;
      FieldCanvas canvas(raster_, x, y, w, h, Orientation::kNormal, reverse);
      DrawEllipse(canvas, w, h, t, black);
    } else {  // GD
      const int t = clamp_size(Number(p, 2, 1));
      const int w = std::max(clamp_size(Number(p, 0, t)), t);
      const int h = std::max(clamp_size(Number(p, 1, t)), t);
      const bool black = Letter(p, 3, 'B') != 'W';
      const bool rising = Letter(p, 4, 'R') != 'L';  // "/" or "\"
      int x = field.x, y = field.y;
      if (field.typeset) y -= h;
      FieldCanvas canvas(raster_, x, y, w, h, Orientation::kNormal, reverse);
      // The printer's stroke travels the whole width, one dot in from
      // the origin, and is one dot narrower than the thickness.
      const int run = w - 1, stroke = std::max(1, t - 1);
      for (int row = 0; row < h; ++row) {
        const int down =
            h > 1 ? static_cast<int>(std::lround(static_cast<double>(run) * row / (h - 1))) : 0;
        canvas.Fill(1 + (rising ? run - down : down), row, stroke, 1, black);
      }
    }
  }

  // Graphics decoded from one file, all together, as its labels' dots are
  // bounded: a file of many huge graphics costs warnings, not minutes.
  bool SpendGraphicBytes(const ZplCommand& c, int bytes) {
    const long long wanted = std::clamp(bytes, 0, kMaxGraphicBytes);
    if (wanted > graphic_bytes_left_) {
      NotDrawn(c, "the file's graphics are too large together");
      return false;
    }
    graphic_bytes_left_ -= wanted;
    return true;
  }

  void WarnDamage(const ZplCommand& c, const std::string& what) {
    Warn(std::string(1, c.prefix) + c.code + " at line " + std::to_string(c.line) + ": " + what);
  }

 public:
  // ~DGd:o.x,t,w,data: a graphic kept for ^XG and ^IM, from label to label;
  // it may come between labels.
  void StoreGraphic(const ZplCommand& c, const std::vector<std::string>& p) {
    if (!SpendGraphicBytes(c, Number(p, 1, 0))) return;
    GraphicBits bits =
        DecodeGraphicData(DataAfterCommas(c.params, 3), Number(p, 1, 0), Number(p, 2, 1), 'A');
    if (!bits.damage.empty()) WarnDamage(c, bits.damage + ", kept as far as it goes");
    const std::string name = GraphicName(p.empty() ? "" : p[0]);
    const auto old = stored_graphics_.find(name);
    if (old != stored_graphics_.end()) {
      stored_bytes_ -= old->second.bytes.size();
      stored_graphics_.erase(old);
    }
    if (stored_bytes_ + bits.bytes.size() > kMaxStoredGraphicBytes) {
      NotDrawn(c, "not kept: the stored graphics are too large together");
      return;
    }
    stored_bytes_ += bits.bytes.size();
    stored_graphics_[name] = std::move(bits);
  }

 private:
  // A graphic's black bits at the field's origin (with ^FT, its bottom
  // left), each `mx` x `my` dots.
  void DrawBits(const Field& field, const GraphicBits& bits, int mx, int my, bool reverse) {
    const int w = bits.bytes_per_row * 8 * mx, h = bits.rows * my;
    if (w == 0 || h == 0) return;
    int x = field.x, y = field.y;
    if (field.typeset) y -= h;
    FieldCanvas canvas(raster_, x, y, w, h, Orientation::kNormal, reverse);
    for (int row = 0; row < bits.rows; ++row) {
      if (!canvas.Touches(0, row * my, w, my)) continue;
      FillRuns(
          canvas, bits.bytes_per_row * 8, [&](int col) { return bits.IsBlack(col, row); }, row * my,
          mx, my);
    }
  }

  // One row of `count` cells, `mw` x `mh` dots each at height `y`: each run
  // of dark cells filled as one span.
  template <typename Dark>
  static void FillRuns(FieldCanvas& canvas, int count, const Dark& dark, int y, int mw, int mh) {
    for (int col = 0; col < count;) {
      int end = col;
      while (end < count && dark(end)) ++end;
      if (end > col) canvas.Fill(col * mw, y, (end - col) * mw, mh);
      col = end + 1;
    }
  }

  // An ellipse `w` x `h` with a rim `t` thick, row by row: one span, or two
  // around the hole.
  static void DrawEllipse(FieldCanvas& canvas, int w, int h, int t, bool black) {
    const double rx = w / 2.0, ry = h / 2.0;
    const double inner_rx = rx - t, inner_ry = ry - t;
    auto half_width = [](double radius_x, double radius_y, double dy) {
      const double k = 1 - (dy * dy) / (radius_y * radius_y);
      return k > 0 ? radius_x * std::sqrt(k) : 0.0;
    };
    for (int row = 0; row < h; ++row) {
      const double dy = row + 0.5 - ry;
      const double outer_half = half_width(rx, ry, dy);
      const int left = static_cast<int>(std::lround(rx - outer_half));
      const int right = static_cast<int>(std::lround(rx + outer_half));
      if (inner_rx > 0 && inner_ry > 0 && std::abs(dy) < inner_ry) {
        const double inner_half = half_width(inner_rx, inner_ry, dy);
        const int hole_left = static_cast<int>(std::lround(rx - inner_half));
        const int hole_right = static_cast<int>(std::lround(rx + inner_half));
        canvas.Fill(left, row, hole_left - left, 1, black);
        canvas.Fill(hole_right, row, right - hole_right, 1, black);
      } else {
        canvas.Fill(left, row, right - left, 1, black);
      }
    }
  }

  // Code 128's subset invocation codes (">;" start C, ">5" change to C and
  // so on) leave the data; `wants_subset_c` tells whether any asks for C.
  static std::string Code128Data(const std::string& data, bool& wants_subset_c) {
    std::string out;
    wants_subset_c = false;
    for (std::size_t i = 0; i < data.size(); ++i) {
      if (data[i] == '>' && i + 1 < data.size() && data[i + 1] != '\0' &&
          std::strchr(":;9<=5678", data[i + 1])) {
        wants_subset_c = wants_subset_c || data[i + 1] == ';' || data[i + 1] == '5';
        ++i;
        continue;
      }
      out += data[i];
    }
    return out;
  }

  // Only the digits, cut or padded with zeros on the left to `count`, as
  // the printer takes EAN and UPC data.
  static std::string Digits(const std::string& data, std::size_t count) {
    std::string digits;
    for (char c : data) {
      if (std::isdigit(static_cast<unsigned char>(c))) digits += c;
    }
    if (digits.size() > count) digits.resize(count);
    return std::string(count - digits.size(), '0') + digits;
  }

  // ^BC's mode: N takes subset B unless the data asks for C; A chooses
  // subsets itself; U is the 19 digits of a shipping container code; D is
  // GS1-128 with its application identifiers in brackets.
  static std::string Code128Request(const std::string& data, char mode, BarcodeRequest& request) {
    if (mode == 'U') {
      std::string digits = Digits(data, 19);
      int sum = 0;
      for (std::size_t i = 2; i < digits.size(); ++i) {
        sum += (digits[i] - '0') * ((i - 2) % 2 == 0 ? 3 : 1);
      }
      request.symbology = Symbology::kGs1_128;
      return "[00]" + digits.substr(2) + static_cast<char>('0' + (10 - sum % 10) % 10);
    }
    if (mode == 'D') {
      std::string gs1 = data;
      for (char& c : gs1) c = c == '(' ? '[' : c == ')' ? ']' : c;
      request.symbology = Symbology::kGs1_128;
      return gs1;
    }
    bool wants_subset_c = false;
    std::string plain = Code128Data(data, wants_subset_c);
    request.symbology = mode == 'A' || wants_subset_c ? Symbology::kCode128 : Symbology::kCode128B;
    return plain;
  }

  // A barcode's extent and look, as its command gives them.
  struct BarcodeLayout {
    int height = 0;  // bars, or a 2D symbol's row of modules
    int module = 2;  // dots a module wide
    bool human_readable = false;
    bool text_above = false;
    bool wide_elements = false;  // Code 39, Interleaved 2 of 5: ^BY's ratio
    bool guard_bars = false;     // EAN and UPC: the guards reach lower
    bool upc = false;            // UPC-A: so do its first and last digits
  };

  void DrawBarcode(const Field& field) {
    const ZplCommand& c = *field.kind;
    const auto p = SplitParams(c.params);
    const Orientation o = OrientationFromLetter(Letter(p, 0, ' '), orientation_);
    const bool reverse = field.reverse != reverse_all_;
    BarcodeRequest request;
    std::string data = field.data ? DecodedData(field) : std::string();
    BarcodeLayout layout;
    layout.height = bar_height_;
    layout.module = module_width_;
    // Linear barcodes: ^Bxo,h,f,g with the height, the interpretation line
    // and whether it goes above; the code's own parameters follow.
    auto linear = [&](std::size_t height_at) {
      layout.height = Number(p, height_at, bar_height_);
      layout.human_readable = Letter(p, height_at + 1, 'Y') == 'Y';
      layout.text_above = Letter(p, height_at + 2, 'N') == 'Y';
    };
    std::string shown;  // the interpretation line when not the symbol's own
    if (c.code == "BC") {
      linear(1);
      data = Code128Request(data, Letter(p, 5, 'N'), request);
      if (request.symbology != Symbology::kGs1_128) shown = data;
    } else if (c.code == "B3") {
      request.symbology = Symbology::kCode39;
      request.check_digit = Letter(p, 1, 'N') == 'Y';
      linear(2);
      layout.wide_elements = true;
    } else if (c.code == "B2") {
      request.symbology = Symbology::kInterleaved2of5;
      linear(1);
      request.check_digit = Letter(p, 4, 'N') == 'Y';
      layout.wide_elements = true;
    } else if (c.code == "BE" || c.code == "B8" || c.code == "BU") {
      linear(1);
      layout.guard_bars = true;
      if (c.code == "BE") {
        request.symbology = Symbology::kEan13;
        data = Digits(data, 12);
      } else if (c.code == "B8") {
        request.symbology = Symbology::kEan8;
        data = Digits(data, 7);
      } else {
        request.symbology = Symbology::kUpcA;
        data = Digits(data, 11);
        layout.upc = true;
      }
    } else if (c.code == "B7") {
      // ^B7o,h,s,c,r,t: row height, security level, columns, rows.
      request.symbology = Symbology::kPdf417;
      layout.height = Number(p, 1, 0);
      request.pdf417_security = std::clamp(Number(p, 2, 0), 0, 8);
      request.pdf417_columns = std::clamp(Number(p, 3, 0), 0, 30);
      request.pdf417_rows = std::clamp(Number(p, 4, 0), 0, 90);
      if (request.pdf417_rows > 0 && request.pdf417_rows < 3) request.pdf417_rows = 3;
    } else if (c.code == "BQ") {
      request.symbology = Symbology::kQrCode;
      layout.module = std::clamp(Number(p, 2, options_.dots_per_mm >= 12 ? 3 : 2), 1, 100);
      // "QA,text": error correction, input mode, then the data.
      const std::size_t comma = data.find(',');
      if (comma != std::string::npos && comma <= 4) {
        request.qr_ecc = static_cast<char>(std::toupper(static_cast<unsigned char>(data[0])));
        std::size_t skip = comma + 1;
        if (comma >= 2 && std::toupper(static_cast<unsigned char>(data[1])) == 'M' &&
            skip < data.size()) {
          skip += std::toupper(static_cast<unsigned char>(data[skip])) == 'B' ? 5 : 1;
        }
        data = data.substr(std::min(skip, data.size()));
      }
    } else {  // BX
      request.symbology = Symbology::kDataMatrix;
      layout.module = std::clamp(Number(p, 1, bar_height_), 1, 100);
      const int quality = Number(p, 2, 200);
      if (quality != 200) NotDrawn(c, "drawn as ECC 200");
      // ^BXo,h,s,c,r: columns and rows, when given.
      request.matrix_columns = std::clamp(Number(p, 3, 0), 0, 144);
      request.matrix_rows = std::clamp(Number(p, 4, 0), 0, 144);
    }
    layout.height = std::clamp(layout.height, 0, kMaxLabelDots);
    if (data.empty()) {
      NotDrawn(c, "no data");
      return;
    }
    request.data = std::move(data);
    auto encoded = EncodeBarcode(request);
    if (const std::string* why = std::get_if<std::string>(&encoded)) {
      NotDrawn(c, *why);
      return;
    }
    const BarcodeSymbol& symbol = std::get<BarcodeSymbol>(encoded);
    if (shown.empty()) shown = symbol.text;
    if (symbol.rows > 1 || request.symbology == Symbology::kQrCode ||
        request.symbology == Symbology::kDataMatrix) {
      DrawMatrix(field, o, reverse, symbol, request.symbology, layout);
    } else {
      DrawBars(field, o, reverse, symbol, layout, ToUtf8(shown), c.line);
    }
  }

  // A 2D symbol: square modules, or PDF417's rows of `layout.height` dots.
  void DrawMatrix(const Field& field, Orientation o, bool reverse, const BarcodeSymbol& symbol,
                  Symbology symbology, const BarcodeLayout& layout) {
    const int module_w = layout.module;
    int module_h = layout.module;
    if (symbology == Symbology::kPdf417) {
      module_h = layout.height > 0 ? layout.height : std::max(1, bar_height_ / symbol.rows);
    }
    int x = field.x, y = field.y;
    // The printer puts a QR code's top 10 dots below the field's origin.
    if (symbology == Symbology::kQrCode && !field.typeset) y += Scaled(10);
    const int w = symbol.columns * module_w, h = symbol.rows * module_h;
    if (field.typeset) Anchor(o, w, h, 0, h, x, y);
    FieldCanvas canvas(raster_, x, y, w, h, o, reverse);
    for (int row = 0; row < symbol.rows; ++row) {
      FillRuns(
          canvas, symbol.columns, [&](int col) { return symbol.IsDark(row, col); }, row * module_h,
          module_w, module_h);
    }
  }

  // Whether module `col` of a 95-module EAN-13 / UPC-A or 67-module EAN-8
  // is a guard bar, which reaches below the others.
  static bool IsGuard(int columns, int col, bool upc) {
    if (columns == 67) return col < 3 || (col >= 31 && col < 36) || col >= 64;
    if (columns != 95) return false;
    if (upc && (col < 10 || col >= 85)) return true;  // UPC-A's first and last digits
    return col < 3 || (col >= 45 && col < 50) || col >= 92;
  }

  void DrawBars(const Field& field, Orientation o, bool reverse, const BarcodeSymbol& symbol,
                const BarcodeLayout& layout, const std::string& shown, int line) {
    const int module = layout.module, height = layout.height > 0 ? layout.height : 1;
    // Runs of modules; a run wider than one module in Code 39 and
    // Interleaved 2 of 5 is a wide element and takes the ^BY ratio.
    struct Run {
      bool dark;
      int modules;
      int first;  // the run's first module
      int dots;
    };
    std::vector<Run> runs;
    for (int col = 0; col < symbol.columns; ++col) {
      const bool dark = symbol.IsDark(0, col);
      if (!runs.empty() && runs.back().dark == dark) {
        ++runs.back().modules;
      } else {
        runs.push_back({dark, 1, col, 0});
      }
    }
    int total = 0;
    for (Run& run : runs) {
      if (layout.wide_elements) {
        run.dots = run.modules > 1 ? static_cast<int>(std::lround(ratio_ * module)) : module;
      } else {
        run.dots = run.modules * module;
      }
      total += run.dots;
    }
    const int guard = layout.guard_bars ? static_cast<int>(std::lround(6.5 * module)) : 0;
    const TextStyle text_style = StyleFor(Font{'0', Scaled(18), Scaled(18) * 3 / 4}, line);
    const int text_h = layout.human_readable ? text_style.line_height + Scaled(2) : 0;
    const int h = height + std::max(guard, text_h);
    int x = field.x, y = field.y;
    if (field.typeset) Anchor(o, total, h, 0, h, x, y);
    FieldCanvas canvas(raster_, x, y, std::max(total, 1), h, o, reverse);
    const int bars_top = layout.text_above ? text_h : 0;
    int u = 0;
    for (const Run& run : runs) {
      if (run.dark) {
        // Bars that belong to a guard reach `guard` dots lower, one module
        // at a time as a guard may share a run with a digit's bar.
        if (guard == 0) canvas.Fill(u, bars_top, run.dots, height);
        for (int m = 0; guard > 0 && m < run.modules; ++m) {
          const bool long_bar = IsGuard(symbol.columns, run.first + m, layout.upc);
          canvas.Fill(u + m * module, bars_top, module, height + (long_bar ? guard : 0));
        }
      }
      u += run.dots;
    }
    if (layout.human_readable) {
      const int tw = text_style.face->Measure(shown, text_style.size);
      const int tv = layout.text_above ? 0 : height + Scaled(2);
      text_style.face->Draw(canvas, std::max(0, (total - tw) / 2), tv, shown, text_style.size);
    }
  }

  const RenderOptions& options_;
  const PrinterFonts& fonts_;
  RenderedLabels& out_;
  Raster raster_;
  Field field_;
  int home_x_ = 0, home_y_ = 0;
  Font default_font_{'A', 0, 0};
  Orientation orientation_ = Orientation::kNormal;
  int module_width_ = 2;
  double ratio_ = 3.0;
  int bar_height_ = 10;
  int charset_ = 0;
  bool reverse_all_ = false;
  bool inverted_ = false;
  std::map<std::string, GraphicBits> stored_graphics_;
  std::size_t stored_bytes_ = 0;
  long long graphic_bytes_left_ = 64LL * 1024 * 1024;
};

}  // namespace

RenderedLabels RenderZpl(std::string_view zpl, const RenderOptions& options,
                         const PrinterFonts& fonts) {
  RenderedLabels out;
  const std::vector<ZplCommand> commands = SplitZplCommands(zpl);
  long long dots_left = kMaxTotalDots;
  int labels = 0;
  std::size_t i = 0;
  // The formats' settings (^CF, ^BY, ^FW, ^LH, ^CI) last from label to label
  // as in the printer, so one drawer serves the whole file.
  LabelDrawer drawer(options, fonts, out);
  while (i < commands.size()) {
    if (commands[i].prefix == '~' && commands[i].code == "DG") {
      drawer.StoreGraphic(commands[i], SplitParams(commands[i].params));
    }
    if (commands[i].prefix != '^' || commands[i].code != "XA") {
      ++i;
      continue;
    }
    std::size_t end = i + 1;
    while (end < commands.size() && !(commands[end].prefix == '^' && commands[end].code == "XZ")) {
      ++end;
    }
    if (end == commands.size()) {
      drawer.Warn("label at line " + std::to_string(commands[i].line) + ": no ^XZ");
    }
    if (++labels > kMaxLabels) {
      drawer.Warn("labels after the " + std::to_string(kMaxLabels) + "th: not drawn");
      break;
    }
    drawer.DrawLabel(commands, i + 1, end, dots_left);
    i = end + 1;
  }
  return out;
}

}  // namespace cratemark::render
