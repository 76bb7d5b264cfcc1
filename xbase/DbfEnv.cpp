#include "xbase/DbfEnv.h"

#include <algorithm>

#include "xbase/DbfTable.h"
#include "xbase/DbfTableError.h"
#include "xbase/XbEngine.h"

namespace cratemark {
namespace {

struct Registry {
  std::vector<TDbfEnv*> envs;
  std::vector<TDbfTable*> tables;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

template <typename T>
void Remove(std::vector<T*>& list, T* item) {
  list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

int16_t Flag(bool value) { return value ? -1 : 0; }

}  // namespace

// --- Component search ---------------------------------------------------------

void TDbfComponentSearch::Register(TDbfEnv* env) {
  Remove(TheRegistry().envs, env);
  TheRegistry().envs.push_back(env);
}
void TDbfComponentSearch::Unregister(TDbfEnv* env) { Remove(TheRegistry().envs, env); }
void TDbfComponentSearch::Register(TDbfTable* table) {
  Remove(TheRegistry().tables, table);
  TheRegistry().tables.push_back(table);
}
void TDbfComponentSearch::Unregister(TDbfTable* table) { Remove(TheRegistry().tables, table); }
TDbfEnv* TDbfComponentSearch::FirstEnv() {
  return TheRegistry().envs.empty() ? nullptr : TheRegistry().envs.front();
}
std::vector<TDbfTable*> TDbfComponentSearch::Tables() { return TheRegistry().tables; }

// --- Environment object ----------------------------------------------------------

TDbfEnv::~TDbfEnv() { TDbfComponentSearch::Unregister(this); }

void TDbfEnv::Loaded() {
  if (apply_to_ == atLocal) EnsureEngineLoaded();
}

bool TDbfEnv::SendsLocally() {
  if ((apply_to_ & atLocal) == 0) return false;
  EnsureEngineLoaded();
  return true;
}

void TDbfEnv::SetDateFormat(TDbfDateFrmt value) {
  if (apply_to_ == 0) return;
  if (SendsLocally()) {
    XbEngineBinding().Engine().xb_SetDateFormat(value == dfWinDefault ? 99 : value);
  }
  date_format_ = value;
  // The engine's date format may reset the century; set it again.
  if (century_) {
    SetCentury(true);
  } else {
    RefreshDataSets();
  }
}

void TDbfEnv::SetCentury(bool value) {
  if (apply_to_ == 0) return;
  if (SendsLocally()) XbEngineBinding().Engine().xb_SetCentury(Flag(value));
  century_ = value;
  RefreshDataSets();
}

void TDbfEnv::SetEpoch(int value) {
  if (apply_to_ == 0) return;
  if (value == 0) {
    value = 1900;
  } else if (value < 100) {
    value = 100;
  } else if (value > 2999) {
    value = 2999;
  }
  epoch_ = value;
  if (SendsLocally()) XbEngineBinding().Engine().xb_SetEpoch(static_cast<int16_t>(value));
}

void TDbfEnv::SetDeleted(bool value) {
  if (apply_to_ == 0) return;
  deleted_ = value;
  if (SendsLocally()) XbEngineBinding().Engine().xb_SetDeleted(Flag(value));
  RefreshDataSets();
}

void TDbfEnv::SetExact(bool value) {
  if (apply_to_ == 0 || value == exact_) return;
  exact_ = value;
  if (SendsLocally()) XbEngineBinding().Engine().xb_SetExact(Flag(value));
}

void TDbfEnv::SetSoftSeek(bool value) {
  if (apply_to_ == 0 || value == soft_seek_) return;
  soft_seek_ = value;
  if (SendsLocally()) XbEngineBinding().Engine().xb_SetSoftSeek(Flag(value));
}

void TDbfEnv::SetMemoBlockSize(uint16_t value) {
  if (apply_to_ == 0 || value == memo_block_size_) return;
  if (SendsLocally()) XbEngineBinding().Engine().xb_SetMemoBlockSize(value);
  memo_block_size_ = value;
}

void TDbfEnv::SetLockTimeOut(int value) {
  if (apply_to_ == 0 || value == lock_time_out_) return;
  if (SendsLocally()) XbEngineBinding().Engine().xb_SetLockTimeout(static_cast<int16_t>(value));
  lock_time_out_ = value;
}

void TDbfEnv::SetOptimisticBuffer(bool value) {
  if (apply_to_ == 0 || !SendsLocally()) return;
  TXbEngine& engine = XbEngineBinding().Engine();
  engine.xb_SysProp(1009, Flag(value));
  optimistic_buffer_ = engine.xb_SysProp(1008, 0) != 0;
}

int TDbfEnv::ErrorLevel(int level) {
  if (!SendsLocally()) return 0;
  error_level_ = level;
  return XbEngineBinding().Engine().xb_ErrorLevel(static_cast<int16_t>(level));
}

int32_t TDbfEnv::SetErrorFunc(void* function, int32_t data) {
  if (!SendsLocally()) return -1;
  int32_t result = XbEngineBinding().Engine().xb_SetErrorFunc(function, data);
  error_func_ = function != nullptr ? result : -1;
  return result;
}

int32_t TDbfEnv::SysProp(int16_t item, int32_t data) {
  if (!SendsLocally()) return 0;
  return XbEngineBinding().Engine().xb_SysProp(item, data);
}

void TDbfEnv::OpenDataSets() {
  for (TDbfTable* table : TDbfComponentSearch::Tables()) {
    try {
      table->Open();
    } catch (const EDbfError& error) {
      if (ShowError) ShowError(error.what());
    }
  }
}

void TDbfEnv::CloseDataSets() {
  for (TDbfTable* table : TDbfComponentSearch::Tables()) table->Close();
}

void TDbfEnv::RefreshDataSets() {
  if (!AutoRefresh) return;
  for (TDbfTable* table : TDbfComponentSearch::Tables()) {
    if (table->Active()) table->Refresh();
  }
}

}  // namespace cratemark
