#include "engine/work_areas.h"

#include <algorithm>

namespace cratemark::xbase {
namespace {

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiUpper(x) == AsciiUpper(y);
         });
}

}  // namespace

std::int16_t WorkAreas::Find(std::string_view alias) const {
  if (alias.empty()) return 0;
  for (const auto& [number, area] : areas_) {
    if (EqualsIgnoringCase(area.alias, alias)) return number;
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

DbfTable* WorkAreas::CurrentTable() {
  WorkArea* area = Current();
  return area ? area->table.get() : nullptr;
}

std::int16_t WorkAreas::Select(std::int16_t number) {
  const std::int16_t previous = current_;
  current_ = number;
  return previous;
}

bool WorkAreas::CloseCurrent() { return areas_.erase(current_) != 0; }

}  // namespace cratemark::xbase
