// Where the engine's locks lie, in the Clipper-compatible scheme that other
// xBase programs on the same files use. The ranges lie far beyond any table's
// data, so locking them never blocks reading or writing the data itself.
#pragma once

#include <cstdint>

namespace cratemark::engine {

constexpr std::uint64_t kLockBase = 1'000'000'000;

// Appending takes one byte just before the record range.
constexpr std::uint64_t kAppendLockOffset = kLockBase;

// The file lock covers every record's byte.
constexpr std::uint64_t kFileLockOffset = kLockBase + 1;
constexpr std::uint64_t kFileLockLength = kLockBase;

// Highest record number whose lock byte lies inside the file lock.
constexpr std::uint32_t kMaxLockableRecord = 1'000'000'000;

constexpr std::uint64_t RecordLockOffset(std::uint32_t record) { return kLockBase + record; }

}  // namespace cratemark::engine
