// The numbered work areas of the process: each holds one open table (or a
// table being defined for creation) under an alias. Areas are numbered from
// 1, the lowest free number first; one of them is current. Not thread-safe.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/table_file.h"
#include "engine/table_header.h"

namespace cratemark::engine {

// A table defined field by field before its file is written.
struct PendingTable {
  std::string path;  // native
  std::vector<FieldDescriptor> fields;
  MemoFormat memo_format = MemoFormat::kDbt;
  bool has_rejected_field = false;
};

struct WorkArea {
  std::string alias;
  std::unique_ptr<TableFile> table;     // set once open
  std::optional<PendingTable> pending;  // set while being defined
};

class WorkAreas {
 public:
  static constexpr std::int16_t kMaxArea = 32767;

  // Area whose alias equals `alias` ignoring case, 0 if none.
  std::int16_t Find(std::string_view alias) const;
  // Takes the lowest free number for `area` and makes it current; 0 when
  // every number is taken.
  std::int16_t Add(WorkArea area);
  WorkArea* Get(std::int16_t number);
  WorkArea* Current() { return Get(current_); }
  TableFile* CurrentTable();
  std::int16_t current() const { return current_; }
  std::int16_t Select(std::int16_t number);  // returns the previous current area
  bool CloseCurrent();                       // false when no area was open

 private:
  std::map<std::int16_t, WorkArea> areas_;
  std::int16_t current_ = 0;
};

}  // namespace cratemark::engine
