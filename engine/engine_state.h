// The process-wide state behind the C interface: the work areas and the
// settings that are not tied to one table. One thread at a time.
#pragma once

#include <cstdint>
#include <string>

#include "engine/work_areas.h"

namespace cratemark::engine {

struct EngineSettings {
  std::int16_t error_level = 1;  // kept for callers; the engine reports nothing either way
  void* error_function = nullptr;
  bool hide_deleted = false;
  bool optimistic_buffer = false;
  std::int16_t lock_timeout_seconds = 1;  // waits for the append lock only
  // Kept so callers read back what they set; they change nothing in
  // dBase III tables (fixed 512-byte memo blocks, no translation, no dates
  // formatted by the engine).
  std::int16_t string_type = 1;
  bool turbo_read = false;
  bool translate = false;
  std::int16_t epoch = 1980;
  bool century = true;
  std::uint16_t memo_block_size = 512;
  std::int16_t date_format = 0;
  bool soft_seek = false;
  bool exact = false;

  int lock_wait_ms() const { return lock_timeout_seconds > 0 ? lock_timeout_seconds * 1000 : 0; }
};

struct EngineState {
  WorkAreas areas;
  EngineSettings settings;
  // Why the last xb_UseEx, or the last call that names a field, failed; ""
  // when it did not.
  std::string last_error;
};

EngineState& Engine();

}  // namespace cratemark::engine
