// The sample order job that "Test Print" sends through the service: one
// 100-line label block.
#pragma once

#include <string>
#include <string_view>

#include "platform/local_time.h"
#include "platform/text_file.h"

namespace cratemark {

// The time as the test job shows it: the hour on the 12-hour clock and the
// seconds (not the minutes), two digits each, a blank and the designator,
// e.g. "02:09 PM" at 14:05:09.
std::string TestJobTime(const LocalTime& time, std::string_view morning,
                        std::string_view afternoon);

// The test job's name in the source printer's spool folder.
inline constexpr char kTestJobFileName[] = "TestLabel.spl";

// The test job in the spool folder `spl_dir`: joined onto the program
// folder as the host's paths are, with "\" before the file name.
std::string TestJobPath(std::string_view program_dir, std::string_view spl_dir);

Lines BuildTestJobLines(const LocalTime& time, std::string_view morning,
                        std::string_view afternoon);

}  // namespace cratemark
