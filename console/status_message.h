// The service's status code as the console reads and shows it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cratemark {

// The code in the first line of the status file: optional blanks, an
// optional sign and decimal digits, nothing after them, within 32 bits, and
// then reduced to its low 16 bits (65537 acts as 1). nullopt when the line is not such a number.
std::optional<std::int16_t> StatusCodeFromLine(std::string_view line);

// The message for a code; the empty text for 0 and for unknown codes.
std::string StatusMessage(std::int16_t code, std::string_view spl_dir_source,
                          std::string_view spl_dir_dest, std::string_view spl_dir_backup);

}  // namespace cratemark
