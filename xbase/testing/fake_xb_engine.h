// An in-memory engine for tests: tables keyed by the path handed to
// xb_UseEx / xb_CreateNew, work areas with aliases, records as raw bytes.
// Calls it does not model answer zero.
#pragma once

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "xbase/XbEngine.h"

namespace cratemark {

template <typename... Arguments>
void IgnoreArguments(const Arguments&...) {}

// Every engine function answering zero ("" for texts).
class NullXbEngine : public TXbEngine {
 public:
  bool LoadDLLs() override { return true; }
#define XB_NULL(result, name, parameters, arguments) \
  result name parameters override {                  \
    IgnoreArguments arguments;                       \
    return XbZero<result>();                         \
  }
  XB_ENGINE_FUNCTIONS(XB_NULL)
#undef XB_NULL
};

struct FakeField {
  std::string name, type;
  int width = 0, decimals = 0;
};

struct FakeTable {
  std::vector<FakeField> fields;
  std::vector<std::string> records;  // raw, delete marker first
  int RecordSize() const {
    int size = 1;
    for (const FakeField& field : fields) size += field.width;
    return size;
  }
  // 1-based position in the raw record: the delete marker is position 1, so
  // the first field is at 2.
  int Offset(const std::string& name) const {
    int offset = 2;
    for (const FakeField& field : fields) {
      if (field.name == name) return offset;
      offset += field.width;
    }
    return 0;
  }
  const FakeField* Find(const std::string& name) const {
    for (const FakeField& field : fields) {
      if (field.name == name) return &field;
    }
    return nullptr;
  }
};

class FakeXbEngine : public NullXbEngine {
 public:
  std::map<std::string, FakeTable> tables;
  bool refuse_opens = false;
  bool refuse_creates = false;
  int16_t flock_result = -1;

  // Functions that fail as the engine reports a failure ("xb_PutRecord",
  // "xb_Commit", "xb_Delete", "xb_AppendBlank", "xb_GetRecord", "xb_Replace",
  // "xb_CreateField", "xb_CreateExec", "xb_PutBlob": it stores one byte short).
  std::set<std::string> failing;
  bool encrypted = false;
  std::string index_condition;
  std::map<int16_t, int32_t> sys_props;  // answers of xb_SysProp by item

  // Records the engine refuses to lock (held by "another program").
  std::vector<int32_t> locked_elsewhere;
  std::vector<int32_t> locks;  // records locked through this engine
  int commits = 0;

  struct Area {
    std::string path, alias;
    int32_t record = 1;
    bool bof = false;
  };
  std::map<int16_t, Area> areas;
  int16_t current = 0;

  int16_t xb_WorkArea(const char* alias) override {
    for (const auto& [number, area] : areas) {
      if (area.alias == alias) return number;
    }
    return 0;
  }
  int16_t xb_UseEx(const char* path, const char* alias, int16_t, int16_t, int16_t) override {
    if (refuse_opens || tables.count(path) == 0) return 0;
    return NewArea(path, alias);
  }
  int16_t xb_Select(int16_t area) override {
    int16_t previous = current;
    current = area;
    return previous;
  }
  const char* xb_Alias(int16_t area) override {
    auto found = areas.find(area);
    text_ = found == areas.end() ? "" : found->second.alias;
    return text_.c_str();
  }
  int16_t xb_Close() override { return static_cast<int16_t>(areas.erase(current)); }
  int16_t xb_FieldCount() override { return static_cast<int16_t>(Table().fields.size()); }
  int32_t xb_RecSize() override { return Table().RecordSize(); }
  const char* xb_FieldName(int16_t number) override {
    name_ = Table().fields.at(static_cast<size_t>(number - 1)).name;
    return name_.c_str();
  }
  const char* xb_FieldType(const char* name) override {
    type_ = Table().Find(name)->type;
    return type_.c_str();
  }
  int16_t xb_FieldOffset(const char* name) override {
    return static_cast<int16_t>(Table().Offset(name));
  }
  int16_t xb_FieldWidth(const char* name) override {
    return static_cast<int16_t>(Table().Find(name)->width);
  }
  int16_t xb_FieldDecimals(const char* name) override {
    return static_cast<int16_t>(Table().Find(name)->decimals);
  }
  int32_t xb_RecCount() override { return static_cast<int32_t>(Table().records.size()); }
  int32_t xb_RecNo() override { return areas[current].record; }
  // Positions as the real engine keeps them: the end is RecCount() + 1,
  // and moving back past the first record stops on it with Bof set.
  int32_t xb_GoTop() override { return MoveTo(1, xb_RecCount() == 0); }
  int32_t xb_GoBottom() override {
    return MoveTo(xb_RecCount() == 0 ? 1 : xb_RecCount(), xb_RecCount() == 0);
  }
  int32_t xb_Skip(int32_t count) override {
    int32_t target = areas[current].record + count;
    if (target < 1) return MoveTo(1, true);
    return MoveTo(std::min(target, xb_RecCount() + 1), false);
  }
  int32_t xb_Go(int32_t record) override { return MoveTo(std::max(record, 0), false); }
  int16_t xb_Eof() override {
    int32_t record = areas[current].record;
    return record < 1 || record > xb_RecCount() ? -1 : 0;
  }
  int16_t xb_Bof() override { return areas[current].bof ? -1 : 0; }
  int16_t xb_IsEncrypted(int16_t) override { return encrypted ? -1 : 0; }
  const char* xb_IndexCondition() override { return index_condition.c_str(); }
  int32_t xb_SysProp(int16_t item, int32_t) override {
    auto found = sys_props.find(item);
    return found == sys_props.end() ? 0 : found->second;
  }
  int16_t xb_GetRecord(char* buffer) override {
    if (xb_Eof() != 0 || Fails("xb_GetRecord")) {
      std::fill(buffer, buffer + Table().RecordSize(), ' ');
      return 0;
    }
    const std::string& record = Table().records.at(static_cast<size_t>(xb_RecNo() - 1));
    std::copy(record.begin(), record.end(), buffer);
    return -1;
  }
  int16_t xb_PutRecord(const char* buffer) override {
    if (xb_Eof() != 0 || Fails("xb_PutRecord")) return 0;
    Table().records.at(static_cast<size_t>(xb_RecNo() - 1)).assign(buffer, Table().RecordSize());
    return -1;
  }
  int16_t xb_Deleted() override {
    return xb_Eof() == 0 && Table().records[static_cast<size_t>(xb_RecNo() - 1)][0] == '*' ? -1 : 0;
  }
  int16_t xb_Delete() override {
    if (xb_Eof() != 0 || Fails("xb_Delete")) return 0;
    Table().records[static_cast<size_t>(xb_RecNo() - 1)][0] = '*';
    return -1;
  }
  int32_t xb_AppendBlank() override {
    if (Fails("xb_AppendBlank")) return 0;
    Table().records.push_back(std::string(static_cast<size_t>(Table().RecordSize()), ' '));
    MoveTo(xb_RecCount(), false);
    locks.push_back(xb_RecCount());
    return xb_RecCount();
  }
  int16_t xb_Commit() override {
    if (Fails("xb_Commit")) return 0;
    ++commits;
    return -1;
  }
  int16_t xb_Replace(const char*, int16_t, const char*) override {
    return Fails("xb_Replace") ? 0 : -1;
  }
  int32_t xb_PutBlob(const char*, const void*, int32_t size) override {
    return Fails("xb_PutBlob") ? size - 1 : size;
  }
  int16_t xb_Rlock(int32_t record) override {
    if (std::count(locked_elsewhere.begin(), locked_elsewhere.end(), record) != 0) return 0;
    locks.push_back(record);
    return -1;
  }
  int16_t xb_Unlock(int32_t record) override {
    if (record == 0) {
      locks.clear();
    } else {
      std::erase(locks, record);
    }
    return -1;
  }
  int16_t xb_CreateNew(const char* path, const char* alias, int16_t, int16_t) override {
    if (refuse_creates) return -1;
    pending_path_ = path;
    pending_ = FakeTable();
    return NewArea(path, alias);
  }
  int16_t xb_CreateField(const char* name, const char* type, int16_t width,
                         int16_t decimals) override {
    if (Fails("xb_CreateField")) return 0;
    pending_.fields.push_back({name, type, width, decimals});
    return -1;
  }
  int16_t xb_CreateExec() override {
    if (Fails("xb_CreateExec")) return 0;
    tables[pending_path_] = pending_;
    return -1;
  }
  int16_t xb_Flock() override { return flock_result; }

 private:
  bool Fails(const char* function) const { return failing.count(function) != 0; }
  int16_t NewArea(const std::string& path, const std::string& alias) {
    int16_t number = 1;
    while (areas.count(number) != 0) ++number;
    areas[number] = {path, alias, 1};
    current = number;
    return number;
  }
  FakeTable& Table() { return tables[areas[current].path]; }
  int32_t MoveTo(int32_t record, bool bof) {
    areas[current].bof = bof;
    return areas[current].record = record;
  }

  std::string text_, name_, type_, pending_path_;
  FakeTable pending_;
};

}  // namespace cratemark
