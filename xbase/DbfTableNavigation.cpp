// Moving through the records of an open table and fetching them into the
// record buffer.
#include <utility>

#include "xbase/DbfTable.h"
#include "xbase/XbEngine.h"

namespace cratemark {

// --- Fetching ----------------------------------------------------------------

TDbfTable::FetchResult TDbfTable::Fetch(FetchMode mode, TRecordBuffer& buffer) {
  TXbEngine& engine = Engine();
  engine.xb_Select(iWA);
  int32_t remembered = (FFirstCrack || FLastCrack) ? 0 : engine.xb_RecNo();
  FetchResult result = FetchResult::kOk;
  switch (mode) {
    case FetchMode::kCurrent:
      if (engine.xb_Bof() != 0 && engine.xb_Eof() != 0) {
        result = FetchResult::kAtEnd;
      } else if (engine.xb_Eof() != 0 && EOFAction == eaMoveLast) {
        engine.xb_GoBottom();
        if (engine.xb_Eof() != 0) result = FetchResult::kAtEnd;
      }
      break;
    case FetchMode::kNext:
      FFirstCrack ? engine.xb_GoTop() : engine.xb_Skip(1);
      if (engine.xb_Eof() != 0 || engine.xb_RecNo() == remembered) {
        engine.xb_GoBottom();
        result = FetchResult::kAtEnd;
      }
      break;
    case FetchMode::kPrior:
      FLastCrack ? engine.xb_GoBottom() : engine.xb_Skip(-1);
      if (engine.xb_Bof() != 0 || engine.xb_RecNo() == remembered) {
        engine.xb_GoTop();
        result = FetchResult::kAtBeginning;
      }
      break;
  }
  FRecNo = engine.xb_RecNo();
  buffer.Reset();
  FFirstCrack = false;
  FLastCrack = false;
  if (result == FetchResult::kOk) {
    // The raw record would otherwise still hold the record read before.
    if (engine.xb_GetRecord(engine_record_.data()) == 0) {
      RaiseError("Unable to read the record from table: " + GetFullTableName());
    }
    RecordToBuffer(buffer);
    buffer.SetPosition(TRecordPosition::kRecord);
    buffer.SetRecordNumber(FRecNo);
  }
  return result;
}

void TDbfTable::Resync() {
  if (iWA <= 0 || state_ == CursorState::kClosed || speed_mode_) return;
  Engine().xb_Select(iWA);
  Engine().xb_Go(buffer_.RecordNumber());
  has_record_ = false;  // until the fetch succeeds: the buffer is reset by then
  has_record_ = Fetch(FetchMode::kCurrent, buffer_) == FetchResult::kOk;
  at_end_ = !has_record_;
  if (has_record_) at_begin_ = false;
}

void TDbfTable::AfterScrollStep() {
  if (iWA > 0 && has_record_) {
    Engine().xb_Select(iWA);
    Engine().xb_Go(buffer_.RecordNumber());
  }
  if (AfterScroll) AfterScroll(*this);
}

void TDbfTable::CheckActive() {
  if (!Active()) {
    throw EDatabaseError::For(name_, "Cannot perform this operation on a closed dataset");
  }
}

void TDbfTable::SettlePending() {
  if (!IsEditing()) return;
  if (modified_) {
    Post();
  } else {
    Cancel();
  }
}

// --- Moving ------------------------------------------------------------------

void TDbfTable::First() {
  CheckActive();
  SettlePending();
  if (BeforeScroll) BeforeScroll(*this);
  TXbEngine& engine = Engine();
  if (*engine.xb_Alias(iWA) == '\0') {
    // The engine no longer knows the work area: open the table again.
    OpenEngineArea();
  }
  engine.xb_Select(iWA);
  engine.xb_GoTop();
  FFirstCrack = true;
  FLastCrack = false;
  FRecNo = 0;
  has_record_ = false;
  has_record_ = Fetch(FetchMode::kNext, buffer_) == FetchResult::kOk;
  at_begin_ = true;
  at_end_ = !has_record_;
  AfterScrollStep();
}

void TDbfTable::Last() {
  CheckActive();
  SettlePending();
  if (BeforeScroll) BeforeScroll(*this);
  Engine().xb_Select(iWA);
  Engine().xb_GoBottom();
  FLastCrack = true;
  FFirstCrack = false;
  has_record_ = false;
  has_record_ = Fetch(FetchMode::kPrior, buffer_) == FetchResult::kOk;
  at_end_ = true;
  at_begin_ = !has_record_;
  AfterScrollStep();
}

int TDbfTable::MoveBy(int distance) {
  CheckActive();
  SettlePending();
  if (speed_mode_) {
    Skip(distance);
    return distance;
  }
  int moved = 0;
  if ((distance > 0 && !at_end_) || (distance < 0 && !at_begin_)) {
    if (BeforeScroll) BeforeScroll(*this);
    at_begin_ = at_end_ = false;
    for (; distance > 0; --distance, ++moved) {
      if (Fetch(FetchMode::kNext, spare_) != FetchResult::kOk) {
        at_end_ = true;
        break;
      }
      std::swap(buffer_, spare_);
      has_record_ = true;
    }
    for (; distance < 0; ++distance, --moved) {
      if (Fetch(FetchMode::kPrior, spare_) != FetchResult::kOk) {
        at_begin_ = true;
        break;
      }
      std::swap(buffer_, spare_);
      has_record_ = true;
    }
    AfterScrollStep();
  }
  return moved;
}

void TDbfTable::Next() {
  if (speed_mode_) {
    Skip(1);
  } else {
    MoveBy(1);
  }
}

void TDbfTable::Prior() {
  if (speed_mode_) {
    Skip(-1);
  } else {
    MoveBy(-1);
  }
}

void TDbfTable::Skip(int32_t count) {
  if (iWA <= 0) return;
  if (count > 0) FFirstCrack = false;
  if (count < 0) FLastCrack = false;
  if (speed_mode_) {
    Engine().xb_Select(iWA);
    Engine().xb_Skip(count);
  } else {
    MoveBy(count);
  }
}

void TDbfTable::GoTop() {
  if (!speed_mode_) return First();
  Engine().xb_Select(iWA);
  Engine().xb_GoTop();
  FRecNo = 1;
}

void TDbfTable::GoBottom() {
  if (!speed_mode_) return Last();
  Engine().xb_Select(iWA);
  Engine().xb_GoBottom();
}

void TDbfTable::Go(int32_t record) {
  if (speed_mode_) {
    Engine().xb_Select(iWA);
    Engine().xb_Go(record);
    return;
  }
  CheckActive();
  SettlePending();
  buffer_.SetRecordNumber(record);
  buffer_.SetPosition(TRecordPosition::kRecord);
  Resync();
}

void TDbfTable::Refresh() {
  if (state_ == CursorState::kBrowse) Resync();
}

// --- Where the table stands ----------------------------------------------------

bool TDbfTable::Eof() {
  if (at_end_) return true;
  if (iWA <= 0) return false;
  Engine().xb_Select(iWA);
  return Engine().xb_Eof() != 0;
}

bool TDbfTable::Bof() {
  if (!speed_mode_ || iWA <= 0) return at_begin_;
  Engine().xb_Select(iWA);
  return Engine().xb_Bof() != 0 || at_begin_;
}

int32_t TDbfTable::RecNo() {
  if (iWA <= 0) return 0;
  if (speed_mode_) {
    Engine().xb_Select(iWA);
    return Engine().xb_RecNo();
  }
  return buffer_.RecordNumber();
}

void TDbfTable::RefreshCounts() {
  if (!FCountNeedsRefresh && FRowCount != -1) return;
  TXbEngine& engine = Engine();
  engine.xb_Select(iWA);
  FRecCount = engine.xb_RecCount();
  switch (SequencedCount) {
    case scAllCount:
      FRowCount = engine.xb_Count();
      break;
    case scFilterOnlyCount:
      FRowCount = engine.xb_QueryRecCount();
      break;
    case scRawCount:
      FRowCount = FRecCount;
      break;
  }
  FCountNeedsRefresh = false;
}

int32_t TDbfTable::RecordCount() {
  if (iWA <= 0) return 0;
  RefreshCounts();
  return FRowCount;
}

int32_t TDbfTable::RecCount() {
  if (iWA <= 0) return 0;
  RefreshCounts();
  return FRecCount;
}

bool TDbfTable::Deleted() {
  if (iWA <= 0) return false;
  Engine().xb_Select(iWA);
  Engine().xb_Go(speed_mode_ ? Engine().xb_RecNo() : buffer_.RecordNumber());
  return Engine().xb_Deleted() != 0;
}

void TDbfTable::DbfGetRecord(char* buffer) {
  if (iWA <= 0) RaiseError("Cannot perform this operation on a closed table");
  Engine().xb_Select(iWA);
  if (!speed_mode_) Engine().xb_Go(buffer_.RecordNumber());
  Engine().xb_GetRecord(buffer);
}

}  // namespace cratemark
