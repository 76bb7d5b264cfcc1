// The C interface: argument checks, ANSI paths to native ones, and results
// as the callers expect them (flags -1 and 0). Nothing escapes as an
// exception and nothing is shown: a failure is a result.
#include "engine/xbengine.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/ascii.h"
#include "engine/engine_state.h"
#include "platform/code_page.h"
#include "platform/error.h"
#include "platform/file_system.h"

using cratemark::engine::Engine;
using cratemark::engine::FieldDescriptor;
using cratemark::engine::MemoFormat;
using cratemark::engine::OpenMode;
using cratemark::engine::TableFile;
using cratemark::engine::WorkArea;

namespace {

constexpr int16_t kTrue = -1;
constexpr int16_t kFalse = 0;
constexpr int16_t kMemoText = 3072;
constexpr int16_t kSysPropIndexOrders = 3000;
constexpr int16_t kSysPropDeletedHidden = 1006;
constexpr int16_t kSysPropOptimisticQuery = 1008;
constexpr int16_t kSysPropOptimisticSet = 1009;

// Returned for empty memos; never freed.
char kEmptyText[] = "";

int16_t Flag(bool value) { return value ? kTrue : kFalse; }

// Runs `body`, turning any exception into `failure`.
template <typename Result, typename Body>
Result Guarded(Result failure, Body body) {
  try {
    return body();
  } catch (...) {
    return failure;
  }
}

std::string Text(const char* text) { return text ? std::string(text) : std::string(); }

// The native path of a table named in ANSI text; ".DBF" is added to a file
// name without extension.
std::string NativeTablePath(const char* ansi_path) {
  std::string path = cratemark::AnsiToUtf8(Text(ansi_path));
  const std::size_t name_start = path.find_last_of("/\\") + 1;
  if (path.find('.', name_start) == std::string::npos) path += ".DBF";
  return cratemark::ResolvePath(path);
}

// Alias for a table opened without one: its file name, up to 10 characters.
std::string DefaultAlias(const std::string& native_path) {
  std::string name = native_path.substr(native_path.find_last_of("/\\") + 1);
  name = name.substr(0, std::min(name.find('.'), std::size_t{10}));
  return cratemark::engine::AsciiUpper(name);
}

// The memo format a table type asks for: FoxPro's (2), and NSX's (3), which
// keeps its memos as FoxPro does (its variant 4 keeps them in a .DBT), get
// .FPT files; the others .DBT files. A table's version byte, when it names a
// format, overrides this.
MemoFormat MemoFormatOfTableType(int16_t table_type) {
  return table_type == 2 || table_type == 3 ? MemoFormat::kFpt : MemoFormat::kDbt;
}

TableFile* CurrentTable() { return Engine().areas.CurrentTable(); }

// The field a name-based call means; nullptr, with the reason in
// xb_LastError, when the table has no field or more than one by that name.
const FieldDescriptor* CurrentField(const char* name) {
  std::string& reason = Engine().last_error;
  reason.clear();
  TableFile* table = CurrentTable();
  if (!table) {
    reason = "No table is open in the current work area.";
    return nullptr;
  }
  return table->FindField(Text(name), &reason);
}

const char* Returned(std::string& buffer, std::string value) {
  buffer = std::move(value);
  return buffer.c_str();
}

std::string ReadMemo(const char* field_name) {
  TableFile* table = CurrentTable();
  const FieldDescriptor* field = CurrentField(field_name);
  if (!table || !field) return {};
  return table->ReadMemo(*field).value_or(std::string());
}

bool WriteMemo(const char* field_name, std::string_view bytes) {
  TableFile* table = CurrentTable();
  const FieldDescriptor* field = CurrentField(field_name);
  return table && field && table->WriteMemo(*field, bytes, Engine().settings.lock_wait_ms());
}

template <typename Move>
int32_t Moved(Move move) {
  return Guarded<int32_t>(0, [&] {
    TableFile* table = CurrentTable();
    if (!table) return int32_t{0};
    move(*table, Engine().settings.hide_deleted);
    return static_cast<int32_t>(table->recno());
  });
}

// Opens a table into a new work area; throws what the open throws.
int16_t UseEx(const char* path, const char* alias, int16_t open_mode, int16_t table_type,
              int16_t /*commit_level*/) {
  if (!path || !*path) {
    Engine().last_error = "No table was named.";
    return 0;
  }
  OpenMode mode = OpenMode::kShared;
  if (open_mode == XB_OPEN_READONLY) {
    mode = OpenMode::kReadOnly;
  } else if (open_mode == XB_OPEN_EXCLUSIVE) {
    mode = OpenMode::kExclusive;
  } else if (open_mode != XB_OPEN_SHARED) {
    Engine().last_error = "The open mode " + std::to_string(open_mode) + " is unknown.";
    return 0;
  }
  const std::string native = NativeTablePath(path);
  WorkArea area;
  area.alias = alias && *alias ? cratemark::AnsiToUtf8(alias) : DefaultAlias(native);
  if (Engine().areas.Find(area.alias) != 0) {
    Engine().last_error = "The alias " + area.alias + " is in use already.";
    return 0;
  }
  area.table = std::make_unique<TableFile>(native, mode, MemoFormatOfTableType(table_type));
  area.table->GoTop(Engine().settings.hide_deleted);
  return Engine().areas.Add(std::move(area));
}

}  // namespace

extern "C" {

int16_t xb_WorkArea(const char* alias) {
  return Guarded<int16_t>(0, [&] { return Engine().areas.Find(Text(alias)); });
}

int16_t xb_UseEx(const char* path, const char* alias, int16_t open_mode, int16_t table_type,
                 int16_t commit_level) {
  std::string& failure = Engine().last_error;
  failure.clear();
  try {
    const int16_t area = UseEx(path, alias, open_mode, table_type, commit_level);
    if (area < 1 && failure.empty()) failure = "The engine refused the open.";
    return area;
  } catch (const cratemark::engine::TableRefused& refused) {
    failure = refused.explanation();
  } catch (const std::exception& error) {
    failure = error.what();
  } catch (...) {
    failure = "The engine refused the open.";
  }
  return 0;
}

const char* xb_LastError(void) {
  static std::string buffer;
  return Guarded<const char*>(
      "", [&] { return Returned(buffer, cratemark::Utf8ToAnsi(Engine().last_error)); });
}

int16_t xb_Select(int16_t area) { return Engine().areas.Select(area); }

const char* xb_Alias(int16_t area) {
  static std::string buffer;
  return Guarded<const char*>("", [&] {
    WorkArea* found = Engine().areas.Get(area);
    return Returned(buffer, found ? cratemark::Utf8ToAnsi(found->alias) : std::string());
  });
}

int16_t xb_Close(void) {
  return Guarded<int16_t>(kFalse, [] { return Flag(Engine().areas.CloseCurrent()); });
}

int16_t xb_FieldCount(void) {
  TableFile* table = CurrentTable();
  return table ? static_cast<int16_t>(table->header().fields.size()) : 0;
}

int32_t xb_RecSize(void) {
  TableFile* table = CurrentTable();
  return table ? table->header().record_length : 0;
}

const char* xb_FieldName(int16_t number) {
  static std::string buffer;
  return Guarded<const char*>("", [&] {
    TableFile* table = CurrentTable();
    const std::size_t index = static_cast<std::size_t>(number) - 1;
    if (!table || number < 1 || index >= table->header().fields.size()) {
      return Returned(buffer, {});
    }
    return Returned(buffer, table->header().fields[index].name);
  });
}

const char* xb_FieldType(const char* name) {
  static std::string buffer;
  return Guarded<const char*>("", [&] {
    const FieldDescriptor* field = CurrentField(name);
    return Returned(buffer, field ? std::string(1, field->type) : std::string());
  });
}

int16_t xb_FieldOffset(const char* name) {
  // Callers count positions from 1 with the delete marker at position 1.
  const FieldDescriptor* field = CurrentField(name);
  return field ? static_cast<int16_t>(field->offset + 1) : 0;
}

int16_t xb_FieldWidth(const char* name) {
  const FieldDescriptor* field = CurrentField(name);
  // A width past the type's range comes out negative, which callers take as
  // outside the record, never as a wrong width.
  return field ? static_cast<int16_t>(field->width) : 0;
}

int16_t xb_FieldDecimals(const char* name) {
  const FieldDescriptor* field = CurrentField(name);
  return field ? field->decimals : 0;
}

int16_t xb_IsEncrypted(int16_t /*reserved*/) {
  TableFile* table = CurrentTable();
  return Flag(table && table->header().is_encrypted);
}

const char* xb_IndexCondition(void) { return ""; }

int16_t xb_CreateNew(const char* path, const char* alias, int16_t table_type,
                     int16_t /*field_count*/) {
  return Guarded<int16_t>(-1, [&]() -> int16_t {
    if (!path || !*path) return -1;
    WorkArea area;
    area.pending.emplace();
    area.pending->path = NativeTablePath(path);
    area.pending->memo_format = MemoFormatOfTableType(table_type);
    area.alias = alias && *alias ? cratemark::AnsiToUtf8(alias) : DefaultAlias(area.pending->path);
    if (Engine().areas.Find(area.alias) != 0) return -1;
    // A table that another program has open is not replaced (checked again
    // when the file is written).
    try {
      TableFile::CheckReplaceable(area.pending->path);
    } catch (const cratemark::Error& error) {
      if (error.kind() == cratemark::ErrorKind::kSharingViolation) return -1;
    }
    const int16_t number = Engine().areas.Add(std::move(area));
    return number > 0 ? number : -1;
  });
}

int16_t xb_CreateField(const char* name, const char* type, int16_t width, int16_t decimals) {
  return Guarded<int16_t>(kFalse, [&] {
    WorkArea* area = Engine().areas.Current();
    if (!area || !area->pending) return kFalse;
    FieldDescriptor field;
    field.name = Text(name);
    field.type = type && *type ? type[0] : '?';
    const bool fits = width >= 0 && width <= 255 && decimals >= 0 && decimals <= 255;
    field.width = static_cast<uint16_t>(fits ? width : 0);
    field.decimals = static_cast<uint8_t>(fits ? decimals : 0);
    // Checked alone now, with the others at CreateExec (names twice).
    const bool is_acceptable = fits && cratemark::engine::NewTableHeader({field}).has_value();
    area->pending->has_rejected_field |= !is_acceptable;
    area->pending->fields.push_back(std::move(field));
    return Flag(is_acceptable);
  });
}

int16_t xb_CreateExec(void) {
  return Guarded<int16_t>(kFalse, [&]() -> int16_t {
    WorkArea* area = Engine().areas.Current();
    if (!area || !area->pending || area->pending->has_rejected_field) return kFalse;
    const MemoFormat memo_format = area->pending->memo_format;
    const auto header = cratemark::engine::NewTableHeader(area->pending->fields, memo_format);
    if (!header) return kFalse;
    TableFile::Create(area->pending->path, *header, memo_format);
    area->table = std::make_unique<TableFile>(area->pending->path, OpenMode::kShared, memo_format);
    area->pending.reset();
    area->table->GoTop(Engine().settings.hide_deleted);
    return Engine().areas.current();
  });
}

int32_t xb_RecCount(void) {
  return Guarded<int32_t>(0, [] {
    TableFile* table = CurrentTable();
    return table ? static_cast<int32_t>(table->RecordCount()) : 0;
  });
}

int32_t xb_RecNo(void) {
  TableFile* table = CurrentTable();
  return table ? static_cast<int32_t>(table->recno()) : 0;
}

int32_t xb_GoTop(void) {
  return Moved([](TableFile& table, bool hide) { table.GoTop(hide); });
}

int32_t xb_GoBottom(void) {
  return Moved([](TableFile& table, bool hide) { table.GoBottom(hide); });
}

int32_t xb_Skip(int32_t count) {
  return Moved([&](TableFile& table, bool hide) { table.Skip(count, hide); });
}

int32_t xb_Go(int32_t record) {
  return Moved([&](TableFile& table, bool) { table.Go(record > 0 ? record : 0); });
}

int16_t xb_Eof(void) {
  TableFile* table = CurrentTable();
  return Flag(!table || table->eof());
}

int16_t xb_Bof(void) {
  TableFile* table = CurrentTable();
  return Flag(!table || table->bof());
}

int16_t xb_Deleted(void) {
  return Guarded<int16_t>(kFalse, [] {
    TableFile* table = CurrentTable();
    return Flag(table && table->IsDeleted());
  });
}

int16_t xb_Delete(void) {
  return Guarded<int16_t>(kFalse, [] {
    TableFile* table = CurrentTable();
    return Flag(table && table->MarkDeleted());
  });
}

int16_t xb_GetRecord(char* buffer) {
  return Guarded<int16_t>(kFalse, [&] {
    TableFile* table = CurrentTable();
    return Flag(table && buffer && table->ReadRecord(buffer));
  });
}

int16_t xb_PutRecord(const char* buffer) {
  return Guarded<int16_t>(kFalse, [&] {
    TableFile* table = CurrentTable();
    return Flag(table && buffer && table->WriteRecord(buffer));
  });
}

int32_t xb_AppendBlank(void) {
  return Guarded<int32_t>(0, [] {
    TableFile* table = CurrentTable();
    return table ? static_cast<int32_t>(table->AppendBlank(Engine().settings.lock_wait_ms())) : 0;
  });
}

int16_t xb_Commit(void) {
  return Guarded<int16_t>(kFalse, [] {
    TableFile* table = CurrentTable();
    if (!table) return kFalse;
    table->Commit();
    return kTrue;
  });
}

int32_t xb_Count(void) {
  return Guarded<int32_t>(0, [] {
    TableFile* table = CurrentTable();
    if (!table) return int32_t{0};
    if (!Engine().settings.hide_deleted) return static_cast<int32_t>(table->RecordCount());
    // Counting moves through the table; the caller's position is kept.
    const uint32_t position = table->recno();
    int32_t count = 0;
    for (table->GoTop(true); !table->eof(); table->Skip(1, true)) ++count;
    table->Go(position);
    return count;
  });
}

int32_t xb_QueryRecCount(void) { return xb_Count(); }

double xb_OrderPosGet(void) {
  return Guarded<double>(0.0, [] {
    TableFile* table = CurrentTable();
    if (!table) return 0.0;
    const uint32_t count = table->RecordCount();
    if (table->eof()) return 1.0;
    if (count <= 1) return 0.0;
    return static_cast<double>(table->recno() - 1) / static_cast<double>(count - 1);
  });
}

int16_t xb_Replace(const char* field, int16_t kind, const char* text) {
  return Guarded<int16_t>(kFalse, [&] {
    if (kind != kMemoText) return kFalse;
    return Flag(WriteMemo(field, Text(text)));
  });
}

char* xb_GetMemo(const char* field, int16_t /*reserved*/) {
  return Guarded<char*>(kEmptyText, [&] {
    const std::string text = ReadMemo(field);
    // Callers see a zero-terminated text and release only one that is not
    // empty: a text that starts with a zero byte is empty to them.
    if (text.empty() || text[0] == '\0') return kEmptyText;
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (!copy) return kEmptyText;
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
  });
}

void xb_MemDealloc(char* text) {
  if (text != kEmptyText) std::free(text);
}

int32_t xb_GetBlobLength(const char* field) {
  return Guarded<int32_t>(0, [&] { return static_cast<int32_t>(ReadMemo(field).size()); });
}

int32_t xb_GetBlob(const char* field, void* buffer, int32_t length) {
  return Guarded<int32_t>(0, [&] {
    if (!buffer || length <= 0) return int32_t{0};
    const std::string bytes = ReadMemo(field);
    const std::size_t copied = std::min(bytes.size(), static_cast<std::size_t>(length));
    std::memcpy(buffer, bytes.data(), copied);
    return static_cast<int32_t>(copied);
  });
}

int32_t xb_PutBlob(const char* field, const void* data, int32_t size) {
  return Guarded<int32_t>(0, [&] {
    if (size < 0 || (!data && size > 0)) return int32_t{0};
    const std::string_view bytes(static_cast<const char*>(data), static_cast<std::size_t>(size));
    return WriteMemo(field, bytes) ? size : int32_t{0};
  });
}

int16_t xb_Flock(void) {
  return Guarded<int16_t>(kFalse, [] {
    TableFile* table = CurrentTable();
    return Flag(table && table->LockFile());
  });
}

int16_t xb_Rlock(int32_t record) {
  return Guarded<int16_t>(kFalse, [&] {
    TableFile* table = CurrentTable();
    return Flag(table && record > 0 && table->LockRecord(static_cast<uint32_t>(record)));
  });
}

int16_t xb_Unlock(int32_t record) {
  return Guarded<int16_t>(kFalse, [&] {
    TableFile* table = CurrentTable();
    if (!table || record < 0) return kFalse;
    table->Unlock(static_cast<uint32_t>(record));
    return kTrue;
  });
}

int16_t xb_ErrorLevel(int16_t level) {
  const int16_t previous = Engine().settings.error_level;
  Engine().settings.error_level = level;
  return previous;
}

int32_t xb_SetErrorFunc(void* function, int32_t /*data*/) {
  // Stored only: the engine reports failures by its results alone.
  Engine().settings.error_function = function;
  return 0;
}

int32_t xb_SysProp(int16_t item, int32_t data) {
  auto& settings = Engine().settings;
  switch (item) {
    case kSysPropIndexOrders:
      return 0;
    case kSysPropDeletedHidden:
      return Flag(settings.hide_deleted);
    case kSysPropOptimisticQuery:
      return Flag(settings.optimistic_buffer);
    case kSysPropOptimisticSet: {
      const int32_t previous = Flag(settings.optimistic_buffer);
      settings.optimistic_buffer = data != 0;
      return previous;
    }
    default:
      return 0;
  }
}

void xb_SetStringType(int16_t type) { Engine().settings.string_type = type; }
void xb_SetTurboRead(int16_t flag) { Engine().settings.turbo_read = flag != 0; }
void xb_SetTranslate(int16_t flag) { Engine().settings.translate = flag != 0; }
void xb_SetPassword(const char* /*password*/) {}
void xb_SetEpoch(int16_t year) { Engine().settings.epoch = year; }
void xb_SetDeleted(int16_t flag) { Engine().settings.hide_deleted = flag != 0; }
void xb_SetCentury(int16_t flag) { Engine().settings.century = flag != 0; }
void xb_SetMemoBlockSize(uint16_t size) { Engine().settings.memo_block_size = size; }
void xb_SetDateFormat(int16_t format) { Engine().settings.date_format = format; }
void xb_SetSoftSeek(int16_t flag) { Engine().settings.soft_seek = flag != 0; }
void xb_SetExact(int16_t flag) { Engine().settings.exact = flag != 0; }
void xb_SetLockTimeout(int16_t seconds) { Engine().settings.lock_timeout_seconds = seconds; }

}  // extern "C"
