// The status file "Cratemark.err": one line, the code of the last problem
// the service found, followed by CR LF, in the ANSI code page.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace cratemark {

inline constexpr std::string_view kStatusFileName = "Cratemark.err";

// Status codes. The service writes 0 to 5 and 7 to 9; 6 is the console's own.
inline constexpr std::int16_t kStatusOk = 0;
inline constexpr std::int16_t kStatusSourceDirMissing = 1;
inline constexpr std::int16_t kStatusDestDirMissing = 2;
inline constexpr std::int16_t kStatusSourceLockTableFailed = 3;
inline constexpr std::int16_t kStatusBackupDirMissing = 4;
inline constexpr std::int16_t kStatusDesignUnreadable = 5;
inline constexpr std::int16_t kStatusServiceNotRunning = 6;
inline constexpr std::int16_t kStatusSettingsUnreadable = 7;     // "Cratemark.cfg" cannot be read
inline constexpr std::int16_t kStatusSourceServedElsewhere = 8;  // another holds the source lock
inline constexpr std::int16_t kStatusReloadFailed = 9;  // the start-up configuration failed

std::string StatusFilePath(std::string_view program_dir);

// Creates the file anew with the one line. Throws Error.
void WriteStatusFile(FileSystem& fs, std::string_view program_dir, std::int16_t code);

// A status line as a code: optional blanks, an optional sign, decimal digits
// and nothing after them, reduced to its low 16 bits. Empty when it is not
// such a number or does not fit 32 bits.
std::optional<std::int16_t> ParseStatusCode(std::string_view line);

// The code in the file's first line; empty when the file cannot be read, has
// no line, or its first line is not a number.
std::optional<std::int16_t> ReadStatusFile(FileSystem& fs, std::string_view program_dir);

}  // namespace cratemark
