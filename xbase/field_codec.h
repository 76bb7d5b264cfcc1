// How a field of each kind moves between its characters in the engine's raw
// record and its slot in the record buffer: one decode and one encode per
// kind, side by side, over the rules of field_conversion.h.
#pragma once

#include <span>
#include <string_view>

#include "xbase/DbfTableRecordBuffer.h"
#include "xbase/field_kind.h"

namespace cratemark {

// What the conversions take from the table: its captured regional decimal
// separator and its epoch for two-digit years.
struct TFieldCodecContext {
  char decimal_separator = '.';
  int epoch = 1980;
};

enum class TEncodeResult {
  kStored,
  kOutOfBounds,  // the value does not fit the field's width: nothing written
};

struct TFieldCodec {
  // Fills the slot from the field's characters (never fails).
  void (*decode)(std::string_view raw, const TFieldCodecContext& context, TFieldSlot slot);
  // Rewrites the field's characters (`raw`, the field's width) from the slot.
  // A date that is no date throws Error "'<day>.0' is not a valid timestamp".
  TEncodeResult (*encode)(TFieldSlot slot, int decimals, const TFieldCodecContext& context,
                          std::span<char> raw);
};

// The codec of a kind that has a slot; nullptr for memo and blob (their
// block reference lives in a blob entry) and for kinds left untouched.
const TFieldCodec* FieldCodecFor(TFieldKind kind);

}  // namespace cratemark
