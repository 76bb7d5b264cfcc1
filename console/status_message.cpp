#include "console/status_message.h"

#include <cstdint>
#include <limits>

#include "shared/status_file.h"

namespace cratemark {

std::optional<std::int16_t> StatusCodeFromLine(std::string_view line) {
  size_t at = 0;
  while (at < line.size() && line[at] == ' ') ++at;
  bool negative = false;
  if (at < line.size() && (line[at] == '+' || line[at] == '-')) negative = line[at++] == '-';
  if (at == line.size()) return std::nullopt;
  std::int64_t value = 0;
  for (; at < line.size(); ++at) {
    if (line[at] < '0' || line[at] > '9') return std::nullopt;
    value = value * 10 + (line[at] - '0');
    // A number beyond a 32-bit integer is no number to the console.
    if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(value & 0xFFFF));
}

std::string StatusMessage(std::int16_t code, std::string_view spl_dir_source,
                          std::string_view spl_dir_dest, std::string_view spl_dir_backup) {
  auto printer = [](std::string_view dir) {
    return "Printer \"" + std::string(dir) + "\" NOT configured";
  };
  switch (code) {
    case 1:
      return printer(spl_dir_source);
    case 2:
      return printer(spl_dir_dest);
    case 3:
      return "Cannot open or create LockSPL.dbf";
    case 4:
      return printer(spl_dir_backup);
    case 5:
      return "LabelDesign.txt does not exist.";
    case kStatusServiceNotRunning:
      return "Cratemark Service is not running!!!";
    default:
      return {};
  }
}

}  // namespace cratemark
