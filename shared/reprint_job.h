// Reprints: the console sends a delivered (or waiting) order, or one label
// of it, again by writing a job into the source printer's folder, which the
// service then delivers like any job. A reprint's name begins with
// "Reprint-", which the composer marks on its labels.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace cratemark {

inline constexpr std::string_view kReprintJobPrefix = "Reprint-";

// True when the job name begins with "Reprint-", in any case (the file
// system matches names so).
bool IsReprintJobName(std::string_view job_name);

// "Reprint-" + the job's name without its ".spl" + "-" + n + ".spl".
std::string ReprintJobName(std::string_view job_name, int n);

// The bytes of block `block` (from 0) of a job: its 100 lines, each followed
// by CR LF, in the encoding the job was in (with its mark). Empty when the
// job has no such block.
std::string JobBlockBytes(std::string_view job_bytes, std::size_t block);

// Writes `bytes` whole (temporary file, then renamed in) into `source_dir`
// under the first ReprintJobName(job_name, n), n = 1, 2, ..., that names no
// file there; a file is never replaced. Returns the name written. Throws
// Error.
std::string WriteReprintJob(FileSystem& fs, std::string_view source_dir, std::string_view job_name,
                            std::string_view bytes);

}  // namespace cratemark
