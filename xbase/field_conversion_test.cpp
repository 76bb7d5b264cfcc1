// The reading and writing rules of stored field characters, case by case.
#include "xbase/field_conversion.h"

#include <gtest/gtest.h>

#include <string>

namespace cratemark {
namespace {

TEST(FieldConversionTest, TextDropsTrailingBlanksOnlyAndIsBoundedBySlot) {
  const struct {
    std::string raw;
    size_t max_chars;
    std::string expected;
  } cases[] = {
      {"ABC       ", 10, "ABC"},
      {"  AB      ", 10, "  AB"},
      {"          ", 10, ""},
      {"AB\t       ", 10, "AB\t"},
      {"ABCDEFGHIJ", 5, "ABCDE"},  // a declared field narrower than
                                   // the table's
      {"ABC  FGHIJ", 5, "ABC"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadTextField(c.raw, c.max_chars), c.expected) << '"' << c.raw << '"';
  }
}

TEST(FieldConversionTest, IntegersNullWhenBlankZeroWhenJunk) {
  const struct {
    std::string raw;
    std::optional<int32_t> expected;
  } cases[] = {
      {"  7", 7},
      {"   ", std::nullopt},
      {"7  ", 7},  // left-aligned, as other programs write it
      {" 7 ", 7},
      {"1,5", 0},
      {"-12", -12},
      {" +3", 3},
      {"\x01\x02 ", std::nullopt},
      {"  -", 0},
      {"abc", 0},
      {"99999999999", 0},  // leaves 32 bits
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadIntegerField(c.raw), c.expected) << '"' << c.raw << '"';
  }
}

TEST(FieldConversionTest, LogicalsAsXBaseProgramsWriteThem) {
  const struct {
    std::string raw;
    std::optional<bool> expected;
  } cases[] = {
      {"T", true},         {"Y", true},         {"t", true},         {"y", true},
      {"F", false},        {"N", false},        {"f", false},        {"n", false},
      {"?", std::nullopt}, {" ", std::nullopt}, {"X", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadBooleanField(c.raw), c.expected) << '"' << c.raw << '"';
  }
}

TEST(FieldConversionTest, FloatsReadTheSameWhateverTheDecimalSeparator) {
  const struct {
    std::string raw;
    std::optional<double> expected;
  } cases[] = {
      {"  123.45", 123.45}, {"        ", std::nullopt},
      {" -0.50  ", -0.5},   {"1,234.50", 0.0},  // a comma counts as a blank inside the number
      {"   12   ", 12.0},   {"  1.2.3 ", 0.0},
      {"  junk  ", 0.0},    {"  1.5e2 ", 150.0},
  };
  for (char separator : {'.', ','}) {
    for (const auto& c : cases) {
      EXPECT_EQ(ReadFloatField(c.raw, separator), c.expected)
          << '"' << c.raw << "\" with separator " << separator;
    }
  }
}

TEST(FieldConversionTest, DatesValidInvalidAndBlank) {
  const struct {
    std::string raw;
    std::optional<int32_t> expected;
  } cases[] = {
      {"20240229", DayNumber(2024, 2, 29)},
      {"00010101", 1},
      // Zeros and dates that do not exist mean no date.
      {"00000000", std::nullopt},
      {"20230229", std::nullopt},
      {"20240001", std::nullopt},
      {"20240100", std::nullopt},
      {"2024AB01", std::nullopt},
      {"00500101", DayNumber(50, 1, 1)},
      {"        ", std::nullopt},
      {"2 240101", std::nullopt},
      {std::string("2024\0\0\0\0", 8), std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadDateField(c.raw), c.expected) << '"' << c.raw << '"';
  }
}

TEST(FieldConversionTest, DayNumbersRoundTrip) {
  EXPECT_EQ(DayNumber(1, 1, 1), 1);
  EXPECT_EQ(DayNumber(1899, 12, 30), 693594);  // the usual date-time origin
  EXPECT_EQ(DayNumber(2023, 2, 29), 0);
  for (int32_t day : {1, 59, 60, 693594, 738945, DayNumber(2000, 2, 29), DayNumber(9999, 12, 31)}) {
    std::optional<TCalendarDate> date = CalendarDate(day);
    ASSERT_TRUE(date) << day;
    EXPECT_EQ(DayNumber(date->year, date->month, date->day), day);
  }
  EXPECT_FALSE(CalendarDate(0));
}

TEST(FieldConversionTest, WritingNumbers) {
  EXPECT_EQ(WriteIntegerField(7, 3), "  7");
  EXPECT_EQ(WriteIntegerField(-5, 4), "  -5");
  EXPECT_EQ(WriteIntegerField(999, 3), "999");
  EXPECT_EQ(WriteIntegerField(1234, 3), std::nullopt);
  EXPECT_EQ(WriteIntegerField(-100, 3), std::nullopt);

  EXPECT_EQ(WriteFloatField(123.45, 8, 2), "  123.45");
  EXPECT_EQ(WriteFloatField(-1.005, 8, 1), "    -1.0");
  EXPECT_EQ(WriteFloatField(-0.001, 5, 2), " 0.00");
  EXPECT_EQ(WriteFloatField(3, 5, 0), "    3");
  EXPECT_EQ(WriteFloatField(123456.7, 8, 2), std::nullopt);  // would run into the next field
  EXPECT_EQ(WriteFloatField(1.0 / 0.0, 8, 2), std::nullopt);
}

TEST(FieldConversionTest, WritingTextAndDates) {
  EXPECT_EQ(WriteTextField("AB", 4), "AB  ");
  EXPECT_EQ(WriteTextField("ABCDE", 3), "ABC");
  EXPECT_EQ(WriteDateField(DayNumber(2024, 2, 29), 1980), "20240229");
  EXPECT_EQ(WriteDateField(0, 1980), std::nullopt);
  // Two-digit years are completed with the epoch.
  EXPECT_EQ(WriteDateField(DayNumber(24, 3, 1), 1980), "20240301");
  EXPECT_EQ(WriteDateField(DayNumber(85, 3, 1), 1980), "19850301");
  EXPECT_EQ(WriteDateField(DayNumber(80, 3, 1), 1980), "19800301");
  EXPECT_EQ(WriteDateField(DayNumber(10, 3, 1), 2010), "20100301");
  EXPECT_EQ(WriteDateField(DayNumber(150, 3, 1), 1980), "01500301");
}

TEST(FieldConversionTest, GeneralNumbersAsMessagesShowThem) {
  EXPECT_EQ(FormatGeneralNumber(40000), "40000");
  EXPECT_EQ(FormatGeneralNumber(-32768), "-32768");
  EXPECT_EQ(FormatGeneralNumber(1.5), "1.5");
}

}  // namespace
}  // namespace cratemark
