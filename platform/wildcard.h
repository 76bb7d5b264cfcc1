// File name patterns as Windows directory searches use them: "*" any run of
// characters, "?" one character, compared without regard to case; "*.*"
// matches every name, also one without a dot.
#pragma once

#include <string_view>

namespace cratemark {

bool MatchesPattern(std::string_view name, std::string_view pattern);

}  // namespace cratemark
