// Reading and setting keys in the settings lines the console holds.
#pragma once

#include <string>
#include <string_view>

#include "platform/text_file.h"

namespace cratemark {

// The value of the first line whose text before its first "=" equals `key`
// without regard to case; the empty text when there is none.
std::string SettingValue(const Lines& lines, std::string_view key);

// A non-empty value replaces the key's first line (spelled as `key` here) or
// is appended as the last line; an empty value removes the key's first line.
void SetSetting(Lines& lines, std::string_view key, std::string_view value);

}  // namespace cratemark
