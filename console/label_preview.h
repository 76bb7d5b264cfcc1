// The Label Editor's preview: the label that the editor's text gives for the
// test job, as the label printer receives it, and the warnings of the tag
// check beside it. Pure: it reads and writes no file, so unsaved text is
// previewed; any front end draws it as it is.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/text_file.h"
#include "render/control_characters.h"
#include "render/label_renderer.h"
#include "shared/label_composer.h"

namespace cratemark {

inline constexpr std::string_view kNoTagWarnings = "Every tag in the design will be filled.";
inline constexpr std::string_view kUtf8DesignWarning =
    "^CI28 asks the printer for UTF-8, but labels go out in the ANSI code page: the "
    "characters beyond ASCII will print wrongly (use ^CI27).";

struct LabelPreview {
  // The label file as the printer receives it, as UTF-8 text.
  std::string label_file_text;
  // The label file line by line, control characters spelt out; each line
  // ends in the "{CR}{LF}" that the printer receives after it.
  Lines label_lines;
  // One line per finding of the tag check, in text order.
  Lines warnings;

  // For a multi-line view: the lines joined with CR LF.
  std::string LabelText() const;
  // The warnings joined with CR LF, or kNoTagWarnings when there are none.
  std::string WarningsText() const;
};

// The text of the label file that the service writes for the design
// `design_text` saved in `design_encoding` and the job `job` (not yet
// escaped), read back: every line followed by CR LF, and every character
// that the ANSI code page cannot hold as the "?" the printer gets. Empty for
// a job that is not in block layout, as the service delivers nothing then.
std::string ComposeLabelFileText(std::string_view design_text, TextEncoding design_encoding,
                                 const Lines& job, const LabelCaptions& captions);

using render::ShowControlCharacters;

// What the label printer prints for a label file (LabelPreview's
// label_file_text): one image per label, and what the renderer could not
// draw, worded for the tag check's list.
struct LabelPicture {
  std::vector<render::Raster> labels;
  Lines warnings;
};
LabelPicture DrawLabelPicture(std::string_view label_file_text, const render::PrinterFonts& fonts,
                              const render::RenderOptions& options = {});

// Whether the label file is in the printer language ZPL (and so has a picture).
bool IsZplLabel(std::string_view label_file_text);

// The tag check's findings, then a warning when the design asks for UTF-8
// (^CI28) and holds characters beyond ASCII: labels go out in the ANSI code
// page, so the printer would print those wrongly.
LabelPreview PreviewLabel(std::string_view design_text, TextEncoding design_encoding,
                          const Lines& job, const LabelCaptions& captions);

}  // namespace cratemark
