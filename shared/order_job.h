// Order jobs: ".spl" text files that the host writes into a printer's spool
// folder, one block of 100 lines per label.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/text_file.h"

namespace cratemark {

inline constexpr std::size_t kJobBlockLines = 100;
inline constexpr std::string_view kJobFilePattern = "*.spl";

// Line positions inside one block.
inline constexpr std::size_t kJobReference = 0;
inline constexpr std::size_t kJobRevenueCenter = 1;
inline constexpr std::size_t kJobEmployee = 2;
inline constexpr std::size_t kJobTransactionDescription = 3;
inline constexpr std::size_t kJobTotal = 4;        // total caption and amount
inline constexpr std::size_t kJobOrderTime = 5;    // time caption and time
inline constexpr std::size_t kJobLabelHeader = 6;  // "n of m" and the labels caption
inline constexpr std::size_t kJobAddress = 7;
inline constexpr std::size_t kJobCityAndTown = 8;
inline constexpr std::size_t kJobPhone = 9;
inline constexpr std::size_t kJobMapCode = 10;  // map caption and code
inline constexpr std::size_t kJobDirections = 11;
// Item area: empty lines, the item name, its modifiers, then empty lines.
inline constexpr std::size_t kJobItemAreaFirst = 20;
inline constexpr std::size_t kJobItemAreaLast = 99;

// The largest job read: far above any real order (a 100-label order is about
// 300 KB), far below what would strain the service's memory.
inline constexpr std::uint64_t kMaxJobBytes = 4 * 1024 * 1024;

// Reads a job whole (writers denied while reading; byte-order mark or ANSI).
// Throws Error when it cannot be opened or read.
Lines ReadOrderJob(FileSystem& fs, std::string_view path);

// Reads the job `name` of a spool folder, named as the folder listing gave
// it. Only a regular file of at most kMaxJobBytes is read; anything else
// throws Error (kTooLarge for a larger file) without blocking.
Lines ReadOrderJobIn(FileSystem& fs, std::string_view folder, std::string_view name);

// The lines of a job's bytes (byte-order mark or ANSI).
Lines OrderJobLines(std::string_view bytes);

// True when the line count is a multiple of 100 (an empty job included).
bool FollowsBlockLayout(const Lines& job);

// Number of whole blocks.
std::size_t BlockCount(const Lines& job);

// Line `index` of the job, or the empty text past its end: a search that
// runs beyond the last line finds an empty line there instead of failing.
std::string_view JobLine(const Lines& job, std::size_t index);

}  // namespace cratemark
