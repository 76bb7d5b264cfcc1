// Creating a table file and taking its file lock.
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "xbase/DbfTable.h"
#include "xbase/XbEngine.h"
#include "xbase/field_kind.h"
#include "xbase/table_names.h"

namespace cratemark {
namespace {

// Longest field name handed to the engine.
constexpr size_t kMaxFieldNameBytes = 16;

bool BeginsWithLetter(const std::string& name) {
  if (name.empty()) return false;
  char c = name[0];
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

void TDbfTable::CreateTable() {
  if (iWA > 0) Close();
  std::string directory = ComputeDataPath();
  std::string file_name = WithDefaultExtension(FileNamePart(table_name_));

  std::vector<TDbfFieldDef> to_create;
  for (const auto& field : fields_) {
    if (field->IsDeclared()) to_create.push_back({field->FieldName, field->Kind, field->Size});
  }
  if (to_create.empty()) to_create = field_defs_;
  if (to_create.empty()) RaiseError("Missing required field definitions");

  std::string alias = GenerateAlias(file_name);
  TXbEngine& engine = Engine();
  const std::string full_name = directory + file_name;
  const std::string unable = "Unable to create table.\r";
  const std::string file_part = "File: " + full_name;
  // A failed creation must not leave a file that looks like a table; one
  // that was there before is never ours to remove.
  const bool existed = FileExists(full_name);
  bool area_created = false;
  try {
    std::string path = Utf8ToAnsi(full_name);
    std::string ansi_alias = Utf8ToAnsi(alias);
    iWA = engine.xb_CreateNew(path.c_str(), ansi_alias.c_str(), table_type_,
                              static_cast<int16_t>(to_create.size()));
    area_created = iWA > 0;
    if (iWA < 0) RaiseError(unable + file_part);

    for (const TDbfFieldDef& def : to_create) {
      std::optional<TEngineField> field =
          EngineFieldFor(Utf8ToAnsi(def.Name).substr(0, kMaxFieldNameBytes), def.Kind, def.Size);
      if (!field) {
        RaiseError("Invalid field type [" + std::to_string(static_cast<int>(def.Kind)) + "]");
      }
      if (!BeginsWithLetter(field->name)) {
        RaiseError("Invalid field name. Field names must begin with a letter");
      }
      const char letter[] = {field->letter, '\0'};
      if (engine.xb_CreateField(field->name.c_str(), letter, static_cast<int16_t>(field->width),
                                static_cast<int16_t>(field->decimals)) == 0) {
        RaiseError(unable + "The engine refused the field " + AnsiToUtf8(field->name) + " (type " +
                   letter + ", width " + std::to_string(field->width) + ", decimals " +
                   std::to_string(field->decimals) + ").\r" + file_part);
      }
    }
    if (engine.xb_CreateExec() == 0) RaiseError(unable + file_part);
  } catch (...) {
    if (area_created) engine.xb_Close();
    iWA = 0;
    FCursorOpen = false;
    if (!existed && FileExists(full_name)) DeleteFileAt(full_name);
    throw;
  }
  if (area_created) engine.xb_Close();
  iWA = 0;
  FCursorOpen = false;
}

int16_t TDbfTable::FLock() {
  if (iWA < 1) return 0;
  Engine().xb_Select(iWA);
  return Engine().xb_Flock() != 0 ? -1 : 0;
}

}  // namespace cratemark
