// Creating a table file and taking its file lock.
#include "platform/code_page.h"
#include "xbase/DbfTable.h"
#include "xbase/XbEngine.h"
#include "xbase/field_kind.h"
#include "xbase/table_names.h"

namespace cratemark {
namespace {

// Longest field name handed to the engine.
constexpr size_t kMaxFieldNameBytes = 16;

struct FieldToCreate {
  std::string name;
  TFieldKind kind;
  int size;
};

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

  std::vector<FieldToCreate> to_create;
  for (const auto& field : fields_) {
    if (field->IsDeclared()) to_create.push_back({field->FieldName, field->Kind, field->Size});
  }
  if (to_create.empty()) {
    for (const TDbfFieldDef& def : field_defs_) to_create.push_back({def.Name, def.Kind, def.Size});
  }
  if (to_create.empty()) RaiseError("Missing required field definitions");

  std::string alias = GenerateAlias(file_name);
  TXbEngine& engine = Engine();
  bool area_created = false;
  try {
    std::string path = Utf8ToAnsi(directory + file_name);
    std::string ansi_alias = Utf8ToAnsi(alias);
    iWA = engine.xb_CreateNew(path.c_str(), ansi_alias.c_str(), table_type_,
                              static_cast<int16_t>(to_create.size()));
    area_created = iWA > 0;
    if (iWA < 0) RaiseError("Unable to create table.\rFile: " + directory + file_name);

    for (const FieldToCreate& field : to_create) {
      std::optional<TEngineFieldSpec> engine_field = EngineFieldSpecFor(field.kind, field.size);
      if (!engine_field) {
        RaiseError("Invalid field type [" + std::to_string(static_cast<int>(field.kind)) + "]");
      }
      std::string name = Utf8ToAnsi(field.name).substr(0, kMaxFieldNameBytes);
      if (!BeginsWithLetter(name)) {
        RaiseError("Invalid field name. Field names must begin with a letter");
      }
      const char letter[] = {engine_field->letter, '\0'};
      engine.xb_CreateField(name.c_str(), letter, static_cast<int16_t>(engine_field->width),
                            static_cast<int16_t>(engine_field->decimals));
    }
    engine.xb_CreateExec();
  } catch (...) {
    if (area_created) engine.xb_Close();
    iWA = 0;
    FCursorOpen = false;
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
