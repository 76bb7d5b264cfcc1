// How a label's control characters are shown to a person: as their ASCII
// names in braces, "{ESC}".
#pragma once

#include <string_view>

#include "platform/text_file.h"

namespace cratemark::render {

// `text` with every control character (codes below 32, and 127) as its
// ASCII name in braces, "{ESC}"; a line break (CR LF, lone CR, lone LF)
// ends a line of the result after its names.
Lines ShowControlCharacters(std::string_view text);

}  // namespace cratemark::render
