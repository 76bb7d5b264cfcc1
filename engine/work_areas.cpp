#include "engine/work_areas.h"

#include "engine/ascii.h"

namespace cratemark::engine {
std::int16_t WorkAreas::Find(std::string_view alias) const {
  if (alias.empty()) return 0;
  for (const auto& [number, area] : areas_) {
    if (EqualsAsciiNoCase(area.alias, alias)) return number;
  }
  return 0;
}

std::int16_t WorkAreas::Add(WorkArea area) {
  std::int16_t number = 1;
  for (const auto& entry : areas_) {
    if (entry.first != number) break;
    if (number == kMaxArea) return 0;
    ++number;
  }
  areas_.emplace(number, std::move(area));
  current_ = number;
  return number;
}

WorkArea* WorkAreas::Get(std::int16_t number) {
  const auto found = areas_.find(number);
  return found == areas_.end() ? nullptr : &found->second;
}

TableFile* WorkAreas::CurrentTable() {
  WorkArea* area = Current();
  return area ? area->table.get() : nullptr;
}

std::int16_t WorkAreas::Select(std::int16_t number) {
  const std::int16_t previous = current_;
  current_ = number;
  return previous;
}

bool WorkAreas::CloseCurrent() { return areas_.erase(current_) != 0; }

}  // namespace cratemark::engine
