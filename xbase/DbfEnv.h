// TDbfEnv: the engine's settings that belong to no single table (dates,
// deleted records, searches, memo blocks, locks, errors), and the component
// search through which tables find it.
//
// The programs place no TDbfEnv, so every open runs with the engine's own
// defaults. A program (or a test) that wants one creates it and registers it
// with TDbfComponentSearch; a table decides at each open whether it copies
// the settings. Property writes go to the engine at once (without selecting
// a work area) while ApplyTo holds atLocal; with ApplyTo empty they change
// nothing at all. One thread at a time, like the tables.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "xbase/DbfCommon.h"

namespace cratemark {

class TDbfTable;
class TDbfEnv;

enum TDbfApplyTo : uint8_t { atLocal = 1, atServer = 2 };

// The objects the programs own, in the order they were registered: the
// first registered TDbfEnv is the one tables use, and the environment's
// refresh and open/close operations reach the registered tables. Objects
// unregister themselves when destroyed.
class TDbfComponentSearch {
 public:
  static void Register(TDbfEnv* env);
  static void Unregister(TDbfEnv* env);
  static void Register(TDbfTable* table);
  static void Unregister(TDbfTable* table);
  static TDbfEnv* FirstEnv();
  static std::vector<TDbfTable*> Tables();
};

class TDbfEnv {
 public:
  TDbfEnv() = default;
  ~TDbfEnv();
  TDbfEnv(const TDbfEnv&) = delete;
  TDbfEnv& operator=(const TDbfEnv&) = delete;

  // Runs once the owner has set the stored values: with ApplyTo exactly
  // atLocal, loads the engine.
  void Loaded();

  uint8_t ApplyTo() const { return apply_to_; }
  void SetApplyTo(uint8_t value) { apply_to_ = value; }

  TDbfDateFrmt DateFormat() const { return date_format_; }
  void SetDateFormat(TDbfDateFrmt value);  // dfWinDefault reaches the engine as 99
  bool Century() const { return century_; }
  void SetCentury(bool value);
  int Epoch() const { return epoch_; }
  void SetEpoch(int value);  // 0 -> 1900, below 100 -> 100, above 2999 -> 2999
  bool Deleted() const { return deleted_; }
  void SetDeleted(bool value);
  bool Exact() const { return exact_; }
  void SetExact(bool value);
  bool SoftSeek() const { return soft_seek_; }
  void SetSoftSeek(bool value);
  uint16_t MemoBlockSize() const { return memo_block_size_; }
  void SetMemoBlockSize(uint16_t value);
  int LockTimeOut() const { return lock_time_out_; }
  void SetLockTimeOut(int value);
  bool OptimisticBuffer() const { return (apply_to_ & atLocal) != 0 && optimistic_buffer_; }
  void SetOptimisticBuffer(bool value);
  bool AutoRefresh = true;

  int ErrorFunc() const { return error_func_; }
  // The engine's previous level; 0 and nothing done without atLocal.
  int ErrorLevel(int level);
  int GetErrorLevel() const { return error_level_; }
  // -1 and nothing done without atLocal; an empty function stores -1.
  int32_t SetErrorFunc(void* function, int32_t data);
  int32_t SysProp(int16_t item, int32_t data);

  // Opens every registered table; a table's EDbfError goes to ShowError
  // (when set) and the next table is opened.
  void OpenDataSets();
  void CloseDataSets();
  // With AutoRefresh: re-reads the current record of every open table.
  void RefreshDataSets();
  std::function<void(const std::string& message)> ShowError;

 private:
  bool SendsLocally();  // atLocal set; loads the engine

  uint8_t apply_to_ = atLocal;
  TDbfDateFrmt date_format_ = dfWinDefault;
  bool century_ = true;
  int epoch_ = 1980;
  bool deleted_ = false;
  bool exact_ = false;
  bool soft_seek_ = false;
  uint16_t memo_block_size_ = 64;
  int lock_time_out_ = 1;
  bool optimistic_buffer_ = false;
  int error_func_ = -1;
  int error_level_ = 0;
};

}  // namespace cratemark
