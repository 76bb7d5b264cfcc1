#include "shared/status_file.h"

#include <limits>

#include "platform/error.h"
#include "platform/text_file.h"

namespace cratemark {

std::string StatusFilePath(std::string_view program_dir) {
  return std::string(program_dir) + std::string(kStatusFileName);
}

void WriteStatusFile(std::string_view program_dir, std::int16_t code) {
  WriteTextFile(StatusFilePath(program_dir), {std::to_string(code)}, TextEncoding::kAnsi);
}

std::optional<std::int16_t> ParseStatusCode(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size() && line[i] == ' ') ++i;
  bool negative = false;
  if (i < line.size() && (line[i] == '+' || line[i] == '-')) negative = line[i++] == '-';
  if (i == line.size()) return std::nullopt;
  long value = 0;
  for (; i < line.size(); ++i) {
    if (line[i] < '0' || line[i] > '9') return std::nullopt;
    value = value * 10 + (line[i] - '0');
    if (value > 32768) return std::nullopt;
  }
  if (negative) value = -value;
  if (value < std::numeric_limits<std::int16_t>::min() ||
      value > std::numeric_limits<std::int16_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int16_t>(value);
}

std::optional<std::int16_t> ReadStatusFile(std::string_view program_dir) {
  Lines lines;
  try {
    lines = ReadTextFile(StatusFilePath(program_dir)).lines;
  } catch (const Error&) {
    return std::nullopt;
  }
  if (lines.empty()) return std::nullopt;
  return ParseStatusCode(lines.front());
}

}  // namespace cratemark
