// The Windows-1252 code page, every byte mapped as Windows maps it (the five
// bytes the code page leaves undefined map to the C1 controls of the same
// value). The ANSI code page of the POSIX build.
#pragma once

#include <string>
#include <string_view>

namespace cratemark {

std::string Windows1252ToUtf8(std::string_view bytes);

// Characters the code page cannot hold become "?".
std::string Utf8ToWindows1252(std::string_view utf8);

}  // namespace cratemark
