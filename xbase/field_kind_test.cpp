#include "xbase/field_kind.h"

#include <gtest/gtest.h>

namespace cratemark {
namespace {

TEST(FieldKindTest, KindsFromEngineTypes) {
  struct Case {
    const char* type;
    int width, decimals;
    std::optional<TFieldKind> kind;
  };
  const Case cases[] = {
      {"C", 10, 0, TFieldKind::kText},
      {"N", 5, 0, TFieldKind::kFloat},
      {"N", 3, 0, TFieldKind::kSmallInt},
      {"N", 4, 0, TFieldKind::kSmallInt},
      {"N", 8, 2, TFieldKind::kFloat},
      {"F", 2, 1, TFieldKind::kFloat},
      {"I", 11, 0, TFieldKind::kInteger},
      {"L", 1, 0, TFieldKind::kBoolean},
      {"D", 8, 0, TFieldKind::kDate},
      {"M", 10, 0, TFieldKind::kMemo},
      {"Bx", 10, 0, TFieldKind::kBlob},
      {"G", 10, 0, TFieldKind::kBlob},
      {"X", 1, 0, std::nullopt},
      {"C", -25536, 0, std::nullopt},  // 40000 wide, past the engine's answer
      {"", 1, 0, std::nullopt},
      // FoxPro's binary fields are carried, not read.
      {"I", 4, 0, std::nullopt},
      {"B", 8, 0, std::nullopt},
      {"M", 4, 0, std::nullopt},
      {"G", 4, 0, std::nullopt},
      {"Y", 8, 4, std::nullopt},
      {"T", 8, 0, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KindForTypeText(c.type, c.width, c.decimals), c.kind) << c.type << c.width;
  }
}

TEST(FieldKindTest, EngineFieldsForKinds) {
  struct Case {
    TFieldKind kind;
    char letter;
    int width, decimals;
  };
  const Case cases[] = {
      {TFieldKind::kText, 'C', 10, 0},         {TFieldKind::kSmallInt, 'N', 6, 0},
      {TFieldKind::kAutoIncrement, 'N', 6, 0}, {TFieldKind::kInteger, 'N', 11, 0},
      {TFieldKind::kBoolean, 'L', 1, 0},       {TFieldKind::kFloat, 'N', 20, 4},
      {TFieldKind::kCurrency, 'N', 20, 2},     {TFieldKind::kDate, 'D', 8, 0},
      {TFieldKind::kTime, 'D', 8, 0},          {TFieldKind::kDateTime, 'D', 8, 0},
      {TFieldKind::kBlob, 'M', 10, 0},         {TFieldKind::kMemo, 'M', 10, 0},
  };
  for (const Case& c : cases) {
    auto engine_field = EngineFieldFor("NAME", c.kind, 10);
    ASSERT_TRUE(engine_field) << static_cast<int>(c.kind);
    EXPECT_EQ(engine_field->name, "NAME");
    EXPECT_EQ(engine_field->letter, c.letter);
    EXPECT_EQ(engine_field->width, c.width);
    EXPECT_EQ(engine_field->decimals, c.decimals);
  }
  for (TFieldKind unsupported : {TFieldKind::kWord, TFieldKind::kBcd, TFieldKind::kBytes,
                                 TFieldKind::kVarBytes, TFieldKind::kUnknown}) {
    EXPECT_FALSE(EngineFieldFor("NAME", unsupported, 10));
  }
}

}  // namespace
}  // namespace cratemark
