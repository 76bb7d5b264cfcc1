// The folder "Unprinted" in the program folder: orders the service could not
// turn into labels (a job of another layout), kept with their bytes
// unchanged so that nobody loses them. It holds at most kUnprintedMaxJobs
// jobs and none older than kUnprintedMaxAge; the oldest go first.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace cratemark {

inline constexpr std::string_view kUnprintedFolderName = "Unprinted";
inline constexpr std::size_t kUnprintedMaxJobs = 1000;
inline constexpr std::chrono::hours kUnprintedMaxAge{24 * 7};

// The service's log line for each order it keeps there, before the path.
inline constexpr std::string_view kNotPrintedLogMark = "## Not printed: kept as ";

std::string UnprintedFolderPath(std::string_view program_dir);

struct KeptJob {
  std::string path;                  // where the job now is
  std::vector<std::string> removed;  // older jobs that went to make room, by path
};

// Writes the job's bytes, synced, into the folder (made when missing) under
// its name or a free one, after removing what retention no longer keeps
// (`now_ns` on the scale of FileStamp::modified_ns). Throws Error.
KeptJob KeepUnprinted(FileSystem& fs, std::string_view program_dir, std::string_view job_name,
                      std::string_view bytes, std::int64_t now_ns);

// How many orders wait in the folder.
std::size_t CountUnprinted(FileSystem& fs, std::string_view program_dir);

}  // namespace cratemark
