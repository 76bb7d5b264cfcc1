// The service's status code as the console reads and shows it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cratemark {

// The message for a code; the empty text for 0 and for unknown codes.
std::string StatusMessage(std::int16_t code, std::string_view spl_dir_source,
                          std::string_view spl_dir_dest, std::string_view spl_dir_backup);

}  // namespace cratemark
