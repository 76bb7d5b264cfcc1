#include "platform/mount_table.h"

#include <vector>

namespace cratemark {
namespace {

std::vector<std::string_view> SplitAt(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(separator, start);
    if (end == std::string_view::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

// A decimal number of at most 9 digits, the whole of `text`.
std::optional<unsigned> Number(std::string_view text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return value;
}

}  // namespace

std::optional<MountEntry> FindMount(std::string_view mountinfo, unsigned major, unsigned minor) {
  // A line: id parent major:minor root mount-point options [optional...] -
  // type source super-options, fields separated by single spaces (spaces in
  // names are written as \040).
  std::optional<MountEntry> found;
  for (std::string_view line : SplitAt(mountinfo, '\n')) {
    const std::vector<std::string_view> fields = SplitAt(line, ' ');
    if (fields.size() < 10) continue;
    const std::vector<std::string_view> device = SplitAt(fields[2], ':');
    if (device.size() != 2 || Number(device[0]) != major || Number(device[1]) != minor) continue;
    std::size_t dash = 6;
    while (dash < fields.size() && fields[dash] != "-") ++dash;
    if (dash + 1 >= fields.size() || fields[dash + 1].empty()) continue;
    found = MountEntry{std::string(fields[dash + 1]),
                       dash + 3 < fields.size() ? std::string(fields[dash + 3]) : std::string()};
  }
  return found;
}

bool HasMountOption(std::string_view options, std::string_view option, std::string* value) {
  const bool keyed = !option.empty() && option.back() == '=';
  for (std::string_view item : SplitAt(options, ',')) {
    if (keyed) {
      if (item.size() > option.size() && item.starts_with(option)) {
        if (value) *value = std::string(item.substr(option.size()));
        return true;
      }
    } else if (item == option) {
      return true;
    }
  }
  return false;
}

}  // namespace cratemark
