// TDbfTable's properties, and the names and paths it derives from them.
#include <filesystem>

#include "platform/file_system.h"
#include "xbase/DbfTable.h"
#include "xbase/XbEngine.h"
#include "xbase/table_names.h"

namespace cratemark {
namespace {

const char kOpenTableMessage[] = "Cannot perform this operation on an open table";

std::string CurrentDirectory() {
  std::u8string path = std::filesystem::current_path().u8string();
  return std::string(path.begin(), path.end());
}

}  // namespace

// --- Properties --------------------------------------------------------------

void TDbfTable::SetDatabaseName(const std::string& value) {
  if (value == database_name_) return;
  database_name_ = value;
  if (value.find_first_of(":\\") != std::string::npos) access_method_ = amLocal;
  if (!Active() || table_name_.empty()) return;
  // The open work area stays on the file it has; a caller who wants the file
  // of the new directory closes and opens again.
  if (!FileExists(GetFullTableName())) {
    Close();
  } else {
    UpdateFieldDefs();
  }
}

void TDbfTable::SetTableName(const std::string& value) {
  if (value == table_name_) return;
  if (iWA > 0 || Active()) RaiseError(kOpenTableMessage);
  table_name_ = value;
  field_defs_.clear();
}

void TDbfTable::SetTableType(TDbfTableType value) {
  table_type_ = value;
  field_defs_.clear();
  if (Active()) UpdateFieldDefs();
}

void TDbfTable::SetReadOnly(bool value) {
  if (value != read_only_ && iWA > 0) RaiseError(kOpenTableMessage);
  read_only_ = value;
}

void TDbfTable::SetExclusive(bool value) {
  if (value != exclusive_ && iWA > 0) RaiseError(kOpenTableMessage);
  exclusive_ = value;
}

void TDbfTable::SetOEMTranslate(bool value) {
  if (value == FTranslate) return;
  FTranslate = value;
  if (iWA > 0) {
    Engine().xb_Select(iWA);
    Engine().xb_SetTranslate(Flag(value));
    Resync();
  }
}

void TDbfTable::SetAccessMethod(TAccessMethod value) {
  if (value != access_method_ && Active()) {
    RaiseError("Cannot change data access method while table is open");
  }
  access_method_ = value;
  if (value == amLocal) EnsureEngineLoaded();
}

void TDbfTable::SetCommitLevel(TDbfCommitLevel value) {
  if (value != commit_level_ && Active()) {
    RaiseError("Cannot change the commit level while the table is opened");
  }
  commit_level_ = value;
}

void TDbfTable::SetTurboRead(bool value) {
  turbo_read_ = value;
  if (iWA > 0) {
    Engine().xb_Select(iWA);
    Engine().xb_SetTurboRead(Flag(value));
  }
}

// --- Names and paths -----------------------------------------------------------

std::string TDbfTable::ComputeDataPath() {
  std::string path = database_name_;
  if (path.find_first_of("\\/:.") == std::string::npos) {
    // A name without any path character would name a database object; there
    // are none, so it must at least name something that exists.
    std::string bare = path;
    while (!bare.empty() && IsPathSeparator(bare.back())) bare.pop_back();
    if (!path.empty() && !PathExists(bare)) {
      RaiseError("Invalid DatabaseName value : " + database_name_);
    }
    if (path.empty()) path = CurrentDirectory();
  }
  std::string table_directory = DirectoryPart(table_name_);
  if (!table_directory.empty()) path = table_directory;
  if (path.empty() || !IsPathSeparator(path.back())) path += kPathSeparator;
  FDataPath = path;
  return FDataPath;
}

std::string TDbfTable::GetFullTableName() {
  return ComputeDataPath() + WithDefaultExtension(FileNamePart(table_name_));
}

bool TDbfTable::Exists() { return FileExists(GetFullTableName()); }

std::string TDbfTable::GenerateAlias(const std::string& file_name) {
  EnsureEngineLoaded();
  std::string alias = AliasBase(file_name);
  // A process holds far fewer areas than this; the bound only keeps a broken
  // engine that reports every alias taken from looping for ever.
  for (int n = 1; n < 100000000 && Engine().xb_WorkArea(alias.c_str()) > 0; ++n) {
    alias = NextAliasCandidate(alias, n);
  }
  return alias;
}

}  // namespace cratemark
