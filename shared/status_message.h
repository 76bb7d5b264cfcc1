// The texts of the service's status codes: the console shows them, the
// service's alerts tell them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cratemark {

// The message for a code; the empty text for 0 and for unknown codes.
std::string StatusMessage(std::int16_t code, std::string_view spl_dir_source,
                          std::string_view spl_dir_dest, std::string_view spl_dir_backup);

}  // namespace cratemark
