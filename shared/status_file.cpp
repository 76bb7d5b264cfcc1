#include "shared/status_file.h"

#include <cstdint>
#include <limits>

#include "platform/error.h"
#include "platform/text_file.h"

namespace cratemark {

std::string StatusFilePath(std::string_view program_dir) {
  return std::string(program_dir) + std::string(kStatusFileName);
}

void WriteStatusFile(FileSystem& fs, std::string_view program_dir, std::int16_t code) {
  WriteTextFile(fs, StatusFilePath(program_dir), {std::to_string(code)}, TextEncoding::kAnsi);
}

std::optional<std::int16_t> ParseStatusCode(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size() && line[i] == ' ') ++i;
  bool negative = false;
  if (i < line.size() && (line[i] == '+' || line[i] == '-')) negative = line[i++] == '-';
  if (i == line.size()) return std::nullopt;
  std::int64_t value = 0;
  for (; i < line.size(); ++i) {
    if (line[i] < '0' || line[i] > '9') return std::nullopt;
    value = value * 10 + (line[i] - '0');
    // Beyond a 32-bit integer it is no number at all.
    if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  // Only the low 16 bits are a status code: 65537 acts as 1.
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(value & 0xFFFF));
}

std::optional<std::int16_t> ReadStatusFile(FileSystem& fs, std::string_view program_dir) {
  Lines lines;
  try {
    lines = ReadTextFile(fs, StatusFilePath(program_dir)).lines;
  } catch (const Error&) {
    return std::nullopt;
  }
  if (lines.empty()) return std::nullopt;
  return ParseStatusCode(lines.front());
}

}  // namespace cratemark
