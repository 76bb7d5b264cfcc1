#include "console/settings_keys.h"

#include <algorithm>

#include "platform/text.h"

namespace cratemark {

namespace {

template <typename LineList>
auto FindKey(LineList& lines, std::string_view key) {
  return std::find_if(lines.begin(), lines.end(), [&](const std::string& line) {
    size_t equals = line.find('=');
    return equals != std::string::npos &&
           EqualsNoCase(std::string_view(line).substr(0, equals), key);
  });
}

}  // namespace

std::string SettingValue(const Lines& lines, std::string_view key) {
  auto at = FindKey(lines, key);
  if (at == lines.end()) return {};
  return at->substr(at->find('=') + 1);
}

void SetSetting(Lines& lines, std::string_view key, std::string_view value) {
  auto at = FindKey(lines, key);
  if (value.empty()) {
    if (at != lines.end()) lines.erase(at);
    return;
  }
  std::string line = std::string(key) + "=" + std::string(value);
  if (at != lines.end()) {
    *at = std::move(line);
  } else {
    lines.push_back(std::move(line));
  }
}

}  // namespace cratemark
