#include "xbase/field_codec.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/error.h"
#include "xbase/field_conversion.h"

namespace cratemark {
namespace {

// Copies a whole field's characters, or blanks for a null value.
TEncodeResult Put(const std::optional<std::string>& text, std::span<char> raw) {
  if (!text) return TEncodeResult::kOutOfBounds;
  std::copy_n(text->begin(), std::min(raw.size(), text->size()), raw.begin());
  return TEncodeResult::kStored;
}

TEncodeResult Blanks(std::span<char> raw) {
  std::fill(raw.begin(), raw.end(), ' ');
  return TEncodeResult::kStored;
}

int Width(std::span<char> raw) { return static_cast<int>(raw.size()); }

// --- Text: always present, trailing blanks dropped; bounded by the slot,
// since a declared field may be narrower than the table's.
void DecodeText(std::string_view raw, const TFieldCodecContext&, TFieldSlot slot) {
  slot.SetText(ReadTextField(raw, slot.Room() - 1));
}
TEncodeResult EncodeText(TFieldSlot slot, int, const TFieldCodecContext&, std::span<char> raw) {
  return Put(WriteTextField(slot.IsPresent() ? slot.Text() : "", Width(raw)), raw);
}

// --- Small integer and integer: digits right-aligned.
template <typename Native>
void DecodeInteger(std::string_view raw, const TFieldCodecContext&, TFieldSlot slot) {
  std::optional<int32_t> value = ReadIntegerField(raw);
  slot.Set<Native>(value ? std::optional<Native>(static_cast<Native>(*value)) : std::nullopt);
}
template <typename Native>
TEncodeResult EncodeInteger(TFieldSlot slot, int, const TFieldCodecContext&, std::span<char> raw) {
  if (!slot.IsPresent()) return Blanks(raw);
  return Put(WriteIntegerField(slot.Get<Native>(), Width(raw)), raw);
}

// --- Boolean: one letter; the rest of a wider field stays as it was.
void DecodeBoolean(std::string_view raw, const TFieldCodecContext&, TFieldSlot slot) {
  std::optional<bool> value = ReadBooleanField(raw);
  slot.Set<int16_t>(value ? std::optional<int16_t>(*value ? 1 : 0) : std::nullopt);
}
TEncodeResult EncodeBoolean(TFieldSlot slot, int, const TFieldCodecContext&, std::span<char> raw) {
  if (!raw.empty()) raw[0] = !slot.IsPresent() ? ' ' : slot.Get<int16_t>() != 0 ? 'T' : 'F';
  return TEncodeResult::kStored;
}

// --- Float and currency: fixed-point with the field's decimals. A value
// that does not fit is refused like an integer, so that it never runs into
// the next field.
void DecodeFloat(std::string_view raw, const TFieldCodecContext& context, TFieldSlot slot) {
  slot.Set<double>(ReadFloatField(raw, context.decimal_separator));
}
// Currency is not read from the table: its slot keeps what it held.
void DecodeCurrency(std::string_view, const TFieldCodecContext&, TFieldSlot) {}
TEncodeResult EncodeFloat(TFieldSlot slot, int decimals, const TFieldCodecContext&,
                          std::span<char> raw) {
  if (!slot.IsPresent()) return Blanks(raw);
  return Put(WriteFloatField(slot.Get<double>(), Width(raw), decimals), raw);
}

// --- Date: "yyyymmdd" or blanks.
void DecodeDate(std::string_view raw, const TFieldCodecContext&, TFieldSlot slot) {
  slot.Set<int32_t>(ReadDateField(raw));
}
TEncodeResult EncodeDate(TFieldSlot slot, int, const TFieldCodecContext& context,
                         std::span<char> raw) {
  if (!slot.IsPresent()) return Blanks(raw);
  const int32_t day_number = slot.Get<int32_t>();
  std::optional<std::string> date = WriteDateField(day_number, context.epoch);
  if (!date) {
    throw Error(ErrorKind::kInvalidData,
                "'" + std::to_string(day_number) + ".0' is not a valid timestamp");
  }
  return Put(WriteTextField(*date, Width(raw)), raw);
}

constexpr TFieldCodec kText{DecodeText, EncodeText};
constexpr TFieldCodec kSmallInt{DecodeInteger<int16_t>, EncodeInteger<int16_t>};
constexpr TFieldCodec kInteger{DecodeInteger<int32_t>, EncodeInteger<int32_t>};
constexpr TFieldCodec kBoolean{DecodeBoolean, EncodeBoolean};
constexpr TFieldCodec kFloat{DecodeFloat, EncodeFloat};
constexpr TFieldCodec kCurrency{DecodeCurrency, EncodeFloat};
constexpr TFieldCodec kDate{DecodeDate, EncodeDate};

}  // namespace

const TFieldCodec* FieldCodecFor(TFieldKind kind) {
  switch (kind) {
    case TFieldKind::kText:
      return &kText;
    case TFieldKind::kSmallInt:
      return &kSmallInt;
    case TFieldKind::kInteger:
      return &kInteger;
    case TFieldKind::kBoolean:
      return &kBoolean;
    case TFieldKind::kFloat:
      return &kFloat;
    case TFieldKind::kCurrency:
      return &kCurrency;
    case TFieldKind::kDate:
      return &kDate;
    default:
      return nullptr;
  }
}

}  // namespace cratemark
