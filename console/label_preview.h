// The Label Editor's preview: the label that the editor's text gives for the
// test job, as the label printer receives it, and the warnings of the tag
// check beside it. Pure: it reads and writes no file, so unsaved text is
// previewed; any front end draws it as it is.
#pragma once

#include <string>
#include <string_view>

#include "platform/text_file.h"
#include "shared/label_composer.h"

namespace cratemark {

inline constexpr std::string_view kNoTagWarnings = "Every tag in the design will be filled.";

struct LabelPreview {
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

// `text` with every control character (codes below 32, and 127) as its
// ASCII name in braces, "{ESC}"; a line break (CR LF, lone CR, lone LF)
// ends a line of the result after its names.
Lines ShowControlCharacters(std::string_view text);

LabelPreview PreviewLabel(std::string_view design_text, TextEncoding design_encoding,
                          const Lines& job, const LabelCaptions& captions);

}  // namespace cratemark
