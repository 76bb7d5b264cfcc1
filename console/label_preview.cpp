#include "console/label_preview.h"

#include <optional>

#include "console/tag_check.h"
#include "platform/code_page.h"
#include "platform/text.h"
#include "shared/label_design.h"
#include "shared/order_job.h"

namespace cratemark {
namespace {

constexpr const char* kControlNames[32] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL",
                                           "BS",  "HT",  "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
                                           "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
                                           "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};

std::string Joined(const Lines& lines) {
  std::string text;
  for (const std::string& line : lines) {
    if (!text.empty()) text += "\r\n";
    text += line;
  }
  return text;
}

}  // namespace

std::string LabelPreview::LabelText() const { return Joined(label_lines); }

std::string LabelPreview::WarningsText() const {
  return warnings.empty() ? std::string(kNoTagWarnings) : Joined(warnings);
}

std::string ComposeLabelFileText(std::string_view design_text, TextEncoding design_encoding,
                                 const Lines& job, const LabelCaptions& captions) {
  // The design as the service reads it back after saving: the editor's text
  // in its encoding, split into lines.
  const Lines design = SplitLines(DecodeText(EncodeText(design_text, design_encoding)));
  Lines escaped = job;
  EscapeQuotes(escaped);
  if (!FollowsBlockLayout(escaped)) return {};
  const Lines label =
      ComposeBlocks(escaped, captions, [&] { return std::optional<Lines>(design); });
  // Labels go out in the ANSI code page.
  return AnsiToUtf8(Utf8ToAnsi(JoinLines(label)));
}

Lines ShowControlCharacters(std::string_view text) {
  Lines lines;
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\r' || c == '\n') {
      line += c == '\r' ? "{CR}" : "{LF}";
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
        line += "{LF}";
        ++i;
      }
      lines.push_back(std::move(line));
      line.clear();
    } else if (c < 32) {
      line += std::string("{") + kControlNames[c] + "}";
    } else if (c == 127) {
      line += "{DEL}";
    } else {
      line += static_cast<char>(c);
    }
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

LabelPreview PreviewLabel(std::string_view design_text, TextEncoding design_encoding,
                          const Lines& job, const LabelCaptions& captions) {
  LabelPreview preview;
  preview.label_lines =
      ShowControlCharacters(ComposeLabelFileText(design_text, design_encoding, job, captions));
  for (const TagFinding& finding : CheckTags(design_text)) {
    preview.warnings.push_back(DescribeTagFinding(finding));
  }
  // The test job is a first print, so the mark is missing from the label
  // above; say where it shows, lest the user think the tag is broken.
  if (ToUpper(design_text).find(ToUpper(kTagReprint)) != std::string::npos) {
    preview.warnings.push_back(std::string(kTagReprint) +
                               ": empty on a first print such as this; " +
                               std::string(kReprintMark) + " on a reprint from the History page");
  }
  return preview;
}

}  // namespace cratemark
