// TDbfTable: creating and destroying the object, opening (with the field
// discovery and binding) and closing.
#include "xbase/DbfTable.h"

#include <cstdlib>

#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/local_time.h"
#include "platform/text.h"
#include "xbase/DbfEnv.h"
#include "xbase/XbEngine.h"
#include "xbase/field_kind.h"
#include "xbase/table_names.h"

namespace cratemark {

TDbfTable::TDbfTable(std::string name)
    : name_(std::move(name)), format_(SystemDefaultRegionalSettings()) {}

TDbfTable::~TDbfTable() {
  TDbfComponentSearch::Unregister(this);
  if (state_ != CursorState::kClosed || iWA > 0) {
    state_ = CursorState::kClosed;
    ReleaseCursor();
  }
}

TXbEngine& TDbfTable::Engine() { return XbEngineBinding().Engine(); }

void TDbfTable::RaiseError(const std::string& message) {
  FErrorMsg = message;
  throw EDbfError(message);
}

void TDbfTable::Loaded() {
  if (access_method_ == amLocal) EnsureEngineLoaded();
}

// --- Opening -----------------------------------------------------------------

void TDbfTable::Open() {
  if (state_ != CursorState::kClosed) return;
  if (BeforeOpen) BeforeOpen(*this);
  try {
    state_ = CursorState::kOpening;
    OpenEngineArea();
    LOpeningTable = true;
    DiscoverFields();
    LOpeningTable = false;
    BindFields();
    engine_record_.assign(static_cast<size_t>(FRecSize), ' ');
    FCursorOpen = true;

    Engine().xb_GoTop();
    FFirstCrack = true;
    FLastCrack = false;
    at_begin_ = true;
    has_record_ = Fetch(FetchMode::kNext, buffer_) == FetchResult::kOk;
    at_end_ = !has_record_;
    modified_ = false;
  } catch (...) {
    LOpeningTable = false;
    state_ = CursorState::kClosed;
    ReleaseCursor();
    throw;
  }
  state_ = CursorState::kBrowse;
  if (AfterOpen) AfterOpen(*this);
  if (!at_end_) AfterScrollStep();
}

void TDbfTable::OpenEngineArea() {
  TXbEngine& engine = Engine();
  iWA = 0;
  if (table_name_.empty() && FErrorFunc == -1) {
    RaiseError(name_ + " : Missing TableName property");
  }
  EnsureEngineLoaded();
  std::string file_name = FileNamePart(table_name_);
  std::string alias = GenerateAlias(file_name);
  int16_t engine_type = table_type_ == ttXBNTX       ? 1
                        : table_type_ == ttXBNSX     ? 3
                        : table_type_ == ttXBNSX_DBT ? 4
                                                     : 2;
  int16_t open_mode = exclusive_ ? 2 : read_only_ ? 1 : 0;

  ApplyEnvironment();

  std::string full_name = GetFullTableName();
  if (!FileExists(full_name) && FErrorFunc == -1) {
    RaiseError("Table, file or directory does not exist.\rFile: " + full_name);
  }
  two_digit_year_window_ = static_cast<int16_t>(std::abs(NowLocal().year - FEpoch) % 100);

  if (FApplyEnvSettings) {
    engine.xb_SetEpoch(static_cast<int16_t>(FEpoch));
    engine.xb_SetDeleted(Flag(FDeleted));
    engine.xb_SetCentury(Flag(FCentury));
    engine.xb_SetMemoBlockSize(FMemoBlockSize);
    engine.xb_SetDateFormat(FDateFormat);
    engine.xb_SetSoftSeek(Flag(FSoftSeek));
    engine.xb_SetExact(Flag(FExact));
  }
  if (FErrorFunc == -1) engine.xb_ErrorLevel(0);

  std::string path = Utf8ToAnsi(FDataPath + file_name);
  std::string ansi_alias = Utf8ToAnsi(alias);
  int16_t area =
      engine.xb_UseEx(path.c_str(), ansi_alias.c_str(), open_mode, engine_type, commit_level_);
  iWA = area;
  if (iWA < 1) {
    // The engine's reason, when it gives one: which part of the file it refused.
    const std::string reason = AnsiToUtf8(engine.xb_LastError());
    RaiseError("Unable to open table: " + full_name + (reason.empty() ? "" : "\r" + reason));
  }

  engine.xb_ErrorLevel(static_cast<int16_t>(FErrorLevel));
  engine.xb_SetTurboRead(Flag(turbo_read_));
  engine.xb_SetTranslate(Flag(FTranslate));

  FFieldCount = FEngineFieldCount = std::max<int>(0, engine.xb_FieldCount());
  FRecSize = std::max<int32_t>(0, engine.xb_RecSize());
  engine.xb_Select(iWA);
  FIsEncrypted = engine.xb_IsEncrypted(0) != 0;
  if (!password_.empty()) engine.xb_SetPassword(Utf8ToAnsi(password_).c_str());
  engine.xb_SetTurboRead(Flag(turbo_read_));

  // Index orders: none of the tables opened here use one.
  engine.xb_Select(iWA);
  engine.xb_SetStringType(1);
  engine.xb_SysProp(3000, 0);

  FRowCount = engine.xb_RecCount();
  FIndexCondition = engine.xb_IndexCondition();
  FRecCount = FRowCount;
  FCountNeedsRefresh = true;
  FUpdateLockList = true;
}

void TDbfTable::ApplyEnvironment() {
  FApplyEnvSettings = false;
  TDbfEnv* env = TDbfComponentSearch::FirstEnv();
  uint8_t receiver = access_method_ == amServer ? atServer : atLocal;
  if (env == nullptr || (env->ApplyTo() & receiver) == 0) return;
  FEpoch = env->Epoch();
  FErrorLevel = env->GetErrorLevel();
  FErrorFunc = env->ErrorFunc();
  FCentury = env->Century();
  FExact = env->Exact();
  FSoftSeek = env->SoftSeek();
  FDateFormat = env->DateFormat();
  FMemoBlockSize = env->MemoBlockSize();
  FDeleted = env->Deleted();
  FApplyEnvSettings = true;
}

void TDbfTable::DiscoverFields() {
  TXbEngine& engine = Engine();
  engine.xb_Select(iWA);
  // Native offsets belong to the bound field objects; keep them when the
  // catalogue is rebuilt on an open table.
  std::vector<TFieldInfo> previous = std::move(catalogue_);
  catalogue_.clear();
  field_defs_.clear();
  for (int i = 1; i <= FFieldCount; ++i) {
    std::string engine_name = engine.xb_FieldName(static_cast<int16_t>(i));
    TFieldInfo info;
    info.Name = ToUpper(AnsiToUtf8(engine_name));
    info.Type = AnsiToUtf8(engine.xb_FieldType(engine_name.c_str()));
    info.EngineOffset = engine.xb_FieldOffset(engine_name.c_str()) - 1;
    info.Width = engine.xb_FieldWidth(engine_name.c_str());
    info.Decimals = engine.xb_FieldDecimals(engine_name.c_str());
    if (static_cast<size_t>(i) <= previous.size() && previous[i - 1].Name == info.Name) {
      info.NativeOffset = previous[i - 1].NativeOffset;
    }
    if (auto kind = KindForTypeText(info.Type, info.Width, info.Decimals)) {
      int size = *kind == TFieldKind::kText ? info.Width : 0;
      field_defs_.push_back({AnsiToUtf8(engine_name), *kind, size, false, i});
    }
    catalogue_.push_back(std::move(info));
  }
}

void TDbfTable::BindFields() {
  bool any_declared = false;
  for (const auto& field : fields_) any_declared = any_declared || field->IsDeclared();
  if (!any_declared) {
    for (const TDbfFieldDef& def : field_defs_) {
      auto field = std::make_unique<TDbfField>(this, def.Name, def.Kind, def.Size, false);
      if (def.Kind == TFieldKind::kFloat || def.Kind == TFieldKind::kCurrency) {
        const TFieldInfo& info = catalogue_[static_cast<size_t>(def.FieldNo - 1)];
        field->DisplayFormat = FloatDisplayPattern(info.Decimals);
        field->Precision = info.Width + 1;
      }
      fields_.push_back(std::move(field));
    }
  }

  for (const auto& field : fields_) {
    const TDbfFieldDef* def = nullptr;
    for (const TDbfFieldDef& candidate : field_defs_) {
      if (EqualsNoCase(candidate.Name, field->FieldName)) def = &candidate;
      if (def != nullptr) break;
    }
    if (def == nullptr) {
      throw EDatabaseError::For(name_, FieldNotFoundText(field->FieldName));
    }
    if (field->Kind != def->Kind) {
      throw EDatabaseError::For(name_,
                                "Type mismatch for field '" + field->FieldName +
                                    "', expecting: " + std::string(FieldKindName(field->Kind)) +
                                    " actual: " + std::string(FieldKindName(def->Kind)));
    }
    if (field->Kind == TFieldKind::kText && field->Size > def->Size) field->Size = def->Size;
    field->info_index_ = def->FieldNo - 1;
  }

  int offset = 0;
  int blob_count = 0;
  for (const auto& field : fields_) {
    catalogue_[static_cast<size_t>(field->info_index_)].NativeOffset = offset;
    offset += field->DataSize() + 1;
    field->blob_index_ = IsBlobKind(field->Kind) ? blob_count++ : -1;
  }
  buffer_ = TRecordBuffer(offset, /*calc_bytes=*/0, blob_count);
  spare_ = buffer_;
}

// --- Fields ------------------------------------------------------------------

TDbfField& TDbfTable::AddField(const std::string& name, TFieldKind kind, int size) {
  fields_.push_back(std::make_unique<TDbfField>(this, name, kind, size, true));
  return *fields_.back();
}

std::vector<TDbfField*> TDbfTable::Fields() const {
  std::vector<TDbfField*> fields;
  for (const auto& field : fields_) fields.push_back(field.get());
  return fields;
}

void TDbfTable::UpdateFieldDefs() {
  if (iWA > 0) {
    DiscoverFields();
    return;
  }
  try {
    OpenEngineArea();
    DiscoverFields();
  } catch (...) {
    ReleaseCursor();
    throw;
  }
  Engine().xb_Select(iWA);
  Engine().xb_Close();
  iWA = 0;
}

// --- Closing -----------------------------------------------------------------

void TDbfTable::Close() {
  if (state_ == CursorState::kClosed) return;
  if (BeforeClose) BeforeClose(*this);
  state_ = CursorState::kClosed;
  ReleaseCursor();
  if (AfterClose) AfterClose(*this);
}

void TDbfTable::ReleaseCursor() {
  FRowCount = FRecCount = -1;
  FCountNeedsRefresh = true;
  FDataPath.clear();
  FCursorOpen = false;

  std::erase_if(fields_, [](const auto& field) { return !field->IsDeclared(); });
  for (const auto& field : fields_) {
    field->info_index_ = -1;
    field->blob_index_ = -1;
  }
  engine_record_.clear();
  buffer_ = TRecordBuffer();
  spare_ = TRecordBuffer();
  catalogue_.clear();
  at_begin_ = at_end_ = false;
  has_record_ = modified_ = false;
  FOldRec = 0;

  if (iWA > 0) {
    std::string alias = Engine().xb_Alias(iWA);
    if (!alias.empty()) {  // the engine still has the area open
      Engine().xb_Select(iWA);
      Engine().xb_Close();
    }
  }
  iWA = 0;
}

}  // namespace cratemark
