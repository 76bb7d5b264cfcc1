#include "console/label_preview.h"

#include <algorithm>
#include <optional>

#include "console/tag_check.h"
#include "platform/code_page.h"
#include "platform/text.h"
#include "render/zpl_commands.h"
#include "shared/label_design.h"
#include "shared/order_job.h"

namespace cratemark {
namespace {

// ^CI28 anywhere in the design, in either case.
bool AsksForUtf8(std::string_view design_text) {
  for (std::size_t i = 0; i + 4 < design_text.size(); ++i) {
    if (design_text[i] == '^' && (design_text[i + 1] == 'C' || design_text[i + 1] == 'c') &&
        (design_text[i + 2] == 'I' || design_text[i + 2] == 'i') && design_text[i + 3] == '2' &&
        design_text[i + 4] == '8') {
      return true;
    }
  }
  return false;
}

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

bool IsZplLabel(std::string_view label_file_text) { return render::LooksLikeZpl(label_file_text); }

LabelPicture DrawLabelPicture(std::string_view label_file_text, const render::PrinterFonts& fonts,
                              const render::RenderOptions& options) {
  // The printer gets the ANSI code page's bytes.
  render::RenderedLabels rendered =
      render::RenderLabelFile(Utf8ToAnsi(label_file_text), options, fonts);
  LabelPicture picture;
  picture.labels = std::move(rendered.labels);
  for (std::string& warning : rendered.warnings) {
    picture.warnings.push_back("Label picture: " + std::move(warning));
  }
  return picture;
}

LabelPreview PreviewLabel(std::string_view design_text, TextEncoding design_encoding,
                          const Lines& job, const LabelCaptions& captions) {
  LabelPreview preview;
  preview.label_file_text = ComposeLabelFileText(design_text, design_encoding, job, captions);
  preview.label_lines = ShowControlCharacters(preview.label_file_text);
  for (const TagFinding& finding : CheckTags(design_text)) {
    preview.warnings.push_back(DescribeTagFinding(finding));
  }
  if (AsksForUtf8(design_text) && std::any_of(design_text.begin(), design_text.end(), [](char c) {
        return static_cast<unsigned char>(c) >= 0x80;
      })) {
    preview.warnings.push_back(std::string(kUtf8DesignWarning));
  }
  // The test job is a first print to the label printer, so the marks are
  // missing from the label above; say where they show, lest the user think
  // the tags are broken.
  const std::string upper_design = ToUpper(design_text);
  if (upper_design.find(ToUpper(kTagReprint)) != std::string::npos) {
    preview.warnings.push_back(std::string(kTagReprint) +
                               ": empty on a first print such as this; " +
                               std::string(kReprintMark) + " on a reprint from the History page");
  }
  if (upper_design.find(ToUpper(kTagBackup)) != std::string::npos) {
    preview.warnings.push_back(std::string(kTagBackup) + ": empty on a test print such as this; " +
                               std::string(kBackupMarkPrefix) +
                               "<label printer> on labels the backup printer prints");
  }
  return preview;
}

}  // namespace cratemark
