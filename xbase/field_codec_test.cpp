// Each kind's decode and encode meet: a field's characters as the host
// stores them come back unchanged through the record buffer.
#include "xbase/field_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/error.h"

namespace cratemark {
namespace {

struct Slot {
  explicit Slot(int room) : bytes(static_cast<size_t>(room) + 1) {}
  TFieldSlot view() { return TFieldSlot(bytes.data(), bytes.size() - 1); }
  std::vector<uint8_t> bytes;
};

std::string RoundTrip(TFieldKind kind, const std::string& raw, int decimals,
                      const TFieldCodecContext& context) {
  const TFieldCodec* codec = FieldCodecFor(kind);
  Slot slot(FieldKindDataSize(kind, static_cast<int>(raw.size())));
  codec->decode(raw, context, slot.view());
  std::string out(raw.size(), '?');
  EXPECT_EQ(codec->encode(slot.view(), decimals, context, out), TEncodeResult::kStored) << raw;
  return out;
}

TEST(FieldCodecTest, StoredCharactersComeBackUnchanged) {
  const struct {
    TFieldKind kind;
    std::string raw;
    int decimals;
  } cases[] = {
      {TFieldKind::kText, "ABC       ", 0}, {TFieldKind::kText, "  AB      ", 0},
      {TFieldKind::kText, "          ", 0}, {TFieldKind::kSmallInt, "  7", 0},
      {TFieldKind::kSmallInt, "   ", 0},    {TFieldKind::kInteger, "-2147483648", 0},
      {TFieldKind::kBoolean, "T", 0},       {TFieldKind::kBoolean, " ", 0},
      {TFieldKind::kFloat, "  123.45", 2},  {TFieldKind::kFloat, "        ", 2},
      {TFieldKind::kDate, "20240229", 0},   {TFieldKind::kDate, "        ", 0},
  };
  for (char separator : {'.', ','}) {
    const TFieldCodecContext context{separator, 1980};
    for (const auto& c : cases) {
      EXPECT_EQ(RoundTrip(c.kind, c.raw, c.decimals, context), c.raw)
          << static_cast<int>(c.kind) << " with separator " << separator;
    }
  }
}

TEST(FieldCodecTest, ValuesThatDoNotFitAreRefusedAndWriteNothing) {
  const TFieldCodecContext context;
  const struct {
    TFieldKind kind;
    double value;
    int width;
  } cases[] = {{TFieldKind::kInteger, 1234, 3}, {TFieldKind::kFloat, 123456.0, 8}};
  for (const auto& c : cases) {
    Slot slot(8);
    if (c.kind == TFieldKind::kInteger) {
      slot.view().Set<int32_t>(static_cast<int32_t>(c.value));
    } else {
      slot.view().Set<double>(c.value);
    }
    std::string raw(static_cast<size_t>(c.width), '?');
    EXPECT_EQ(FieldCodecFor(c.kind)->encode(slot.view(), 2, context, raw),
              TEncodeResult::kOutOfBounds);
    EXPECT_EQ(raw, std::string(static_cast<size_t>(c.width), '?'));
  }
  Slot date(4);
  date.view().Set<int32_t>(0);
  std::string raw(8, '?');
  EXPECT_THROW(FieldCodecFor(TFieldKind::kDate)->encode(date.view(), 0, context, raw), Error);
}

TEST(FieldCodecTest, KindsWithoutASlotHaveNoCodec) {
  for (TFieldKind kind : {TFieldKind::kMemo, TFieldKind::kBlob, TFieldKind::kWord}) {
    EXPECT_EQ(FieldCodecFor(kind), nullptr);
  }
}

}  // namespace
}  // namespace cratemark
