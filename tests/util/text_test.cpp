// Text and number conversions of the file readers and the dialog.
#include "util/text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

namespace gara {
namespace {

using namespace std::string_view_literals;

struct BoolCase {
  std::string_view text;
  bool expected;
};

void PrintTo(const BoolCase& c, std::ostream* os) { *os << ::testing::PrintToString(c.text); }

class TextToBoolTest : public ::testing::TestWithParam<BoolCase> {};

TEST_P(TextToBoolTest, Converts) {
  EXPECT_EQ(TextToBool(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Words, TextToBoolTest,
    ::testing::Values(BoolCase{"T", true}, BoolCase{"TR", true}, BoolCase{"TRU", true},
                      BoolCase{"TRUE", true}, BoolCase{"1", true}, BoolCase{"１", true},
                      BoolCase{"○", true}, BoolCase{"ON", true}, BoolCase{"真", true},
                      BoolCase{"正", true}, BoolCase{"true", true}, BoolCase{" on ", true},
                      BoolCase{"Tr", true}, BoolCase{" t ", true}, BoolCase{"　t\t", true},
                      BoolCase{"t r u e", true}, BoolCase{"ｔ", false}, BoolCase{"YES", false},
                      BoolCase{"0", false}, BoolCase{"FALSE", false}, BoolCase{"", false},
                      BoolCase{"TRUEX", false}, BoolCase{"11", false}, BoolCase{"偽", false},
                      // A trail byte in a..z stays as it is: upper-casing 0x82 0x70 byte by byte
                      // would give 0x82 0x50, the full-width digit one.
                      BoolCase{"\x82p", false}));

TEST(BoolToText, Words) {
  EXPECT_EQ(BoolToText(true), "1");
  EXPECT_EQ(BoolToText(false), "0");
  EXPECT_TRUE(TextToBool(BoolToText(true)));
  EXPECT_FALSE(TextToBool(BoolToText(false)));
}

struct IntCase {
  std::string_view text;
  int32_t expected;
};

void PrintTo(const IntCase& c, std::ostream* os) { *os << ::testing::PrintToString(c.text); }

class TextToIntTest : public ::testing::TestWithParam<IntCase> {};

TEST_P(TextToIntTest, Converts) {
  EXPECT_EQ(TextToInt(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Literals, TextToIntTest,
    ::testing::Values(IntCase{"0", 0}, IntCase{"42", 42}, IntCase{"+42", 42}, IntCase{" -7", -7},
                      IntCase{"   12", 12}, IntCase{"007", 7}, IntCase{"-0", 0},
                      IntCase{"$FF", 255}, IntCase{"$ff", 255}, IntCase{"x10", 16},
                      IntCase{"X10", 16}, IntCase{"0x1F", 31}, IntCase{"0X1f", 31},
                      IntCase{"-$10", -16}, IntCase{"2147483647", 2147483647},
                      IntCase{"-2147483648", std::numeric_limits<int32_t>::min()},
                      IntCase{"$7FFFFFFF", 2147483647},
                      IntCase{"-$80000000", std::numeric_limits<int32_t>::min()}));

INSTANTIATE_TEST_SUITE_P(
    NotIntegers, TextToIntTest,
    ::testing::Values(IntCase{"", 0}, IntCase{" ", 0}, IntCase{"12 ", 0}, IntCase{"1.0", 0},
                      IntCase{"+", 0}, IntCase{"-", 0}, IntCase{"$", 0}, IntCase{"0x", 0},
                      IntCase{"x", 0}, IntCase{"- 7", 0}, IntCase{"\t7", 0}, IntCase{"1e3", 0},
                      IntCase{"$G", 0}, IntCase{"0x-1", 0}, IntCase{"$-1", 0}, IntCase{"++1", 0},
                      IntCase{"12a", 0}, IntCase{"1,000", 0}, IntCase{"2147483648", 0},
                      IntCase{"-2147483649", 0}, IntCase{"$80000000", 0}, IntCase{"$FFFFFFFF", 0},
                      IntCase{"99999999999999999999999", 0}, IntCase{"7\x00"sv, 0},
                      IntCase{"１２", 0}));

struct RealCase {
  std::string_view text;
  double expected;
};

void PrintTo(const RealCase& c, std::ostream* os) { *os << ::testing::PrintToString(c.text); }

class TextToRealTest : public ::testing::TestWithParam<RealCase> {};

TEST_P(TextToRealTest, Converts) {
  const double v = TextToReal(GetParam().text);
  EXPECT_TRUE(std::isfinite(v));
  EXPECT_EQ(v, GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Literals, TextToRealTest,
    ::testing::Values(RealCase{"0", 0.0}, RealCase{"1", 1.0}, RealCase{"-2.5E1", -25.0},
                      RealCase{"  3.25", 3.25}, RealCase{"+1.5", 1.5}, RealCase{"1e3", 1000.0},
                      RealCase{"1E+3", 1000.0}, RealCase{"125e-3", 0.125}, RealCase{".5", 0.5},
                      RealCase{"5.", 5.0}, RealCase{"-.5e1", -5.0}, RealCase{"0.1", 0.1},
                      RealCase{"6.12323399573677E-17", 6.12323399573677e-17},
                      RealCase{"1.7976931348623157e308", 1.7976931348623157e308},
                      RealCase{"00012.50", 12.5}));

INSTANTIATE_TEST_SUITE_P(
    NotReals, TextToRealTest,
    ::testing::Values(RealCase{"", 0.0}, RealCase{" ", 0.0}, RealCase{"1,5", 0.0},
                      RealCase{".", 0.0}, RealCase{"-", 0.0}, RealCase{"e5", 0.0},
                      RealCase{"1e", 0.0}, RealCase{"1e+", 0.0}, RealCase{"1.5 ", 0.0},
                      RealCase{"1.5x", 0.0}, RealCase{"nan", 0.0}, RealCase{"NaN", 0.0},
                      RealCase{"inf", 0.0}, RealCase{"-infinity", 0.0}, RealCase{"0x1p3", 0.0},
                      RealCase{"1.2.3", 0.0}, RealCase{"--1", 0.0}, RealCase{"\t1", 0.0},
                      RealCase{"1e999", 0.0}, RealCase{"-1e999", 0.0}, RealCase{"1e-999", 0.0},
                      RealCase{"2\x00"sv, 0.0}, RealCase{"１", 0.0}, RealCase{"1d5", 0.0}));

// Runs of eight digits and more, on both sides of the point, with a byte that is not a digit
// at every place of an eight-byte run: the same value as the general conversion, or no number.
TEST(TextToReal, LongDigitRunsAsTheGeneralConversion) {
  const std::string_view texts[] = {
      "12345678",          "123456789",           "-1234.5678901234",
      "4999.9999999999",   "0.12345678",          "12345678.87654321",
      "123456789012345",   "1234567890123456",    "99999999999999999999",
      "0.000000001234567", "98765432.1e-3",       "1234567812345678.5",
      "00000000000000001", "18446744073709551616"};
  for (std::string_view text : texts) {
    double expected = 0;
    std::from_chars(text.data() + (text[0] == '-'), text.data() + text.size(), expected);
    if (text[0] == '-') expected = -expected;
    EXPECT_EQ(TextToReal(text), expected) << text;
  }
  for (const char odd : {'/', ':', ' ', '.', 'e', '\x06', '\xff', '\0'}) {
    for (size_t at = 0; at < 8; ++at) {
      std::string text = "1234567812345678";
      text[at + 4] = odd;
      double expected = 0;  // no number, or for "e" an exponent far out of range
      if (odd == '.') std::from_chars(text.data(), text.data() + text.size(), expected);
      EXPECT_EQ(TextToReal(text), expected) << text;
    }
  }
}

TEST(TextToReal, NegativeZeroIsPlusZero) {
  EXPECT_FALSE(std::signbit(TextToReal("-0")));
  EXPECT_FALSE(std::signbit(TextToReal("-0.0e5")));
}

TEST(TextToReal, LongLiteralConverts) {
  std::string text = "1." + std::string(5000, '0') + "1";
  EXPECT_EQ(TextToReal(text), 1.0);
  EXPECT_EQ(TextToReal(std::string(400, '9')), 0.0);  // 1e400: out of range
}

struct FixedCase {
  int decimals;
  double value;
  std::string_view formatted;
  std::string_view trimmed;
};

void PrintTo(const FixedCase& c, std::ostream* os) {
  *os << c.value << " at " << c.decimals << " decimals";
}

class FixedTest : public ::testing::TestWithParam<FixedCase> {};

TEST_P(FixedTest, FormatsAndTrims) {
  const FixedCase& c = GetParam();
  EXPECT_EQ(FormatFixed(c.decimals, c.value), c.formatted);
  EXPECT_EQ(FixedText(c.decimals, c.value), c.trimmed);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FixedTest,
    ::testing::Values(FixedCase{10, 12.5, "12.5000000000", "12.5"},
                      FixedCase{10, 3.0, "3.0000000000", "3"},
                      FixedCase{2, 2.675, "2.67", "2.67"},  // 2.675 is 2.67499999... in binary
                      FixedCase{1, 0.25, "0.2", "0.2"},     // exact halves round to even
                      FixedCase{3, -1.0005, "-1.000", "-1"}, FixedCase{0, 2.5, "2", "2"},
                      FixedCase{0, 100.0, "100", "100"},
                      FixedCase{4, 1e20, "100000000000000000000.0000", "100000000000000000000"},
                      FixedCase{2, -0.001, "-0.00", "-0"}, FixedCase{-3, 7.6, "8", "8"},
                      FixedCase{3, std::numeric_limits<double>::quiet_NaN(), "0.000", "0"},
                      FixedCase{3, std::numeric_limits<double>::infinity(), "0.000", "0"},
                      FixedCase{1, -std::numeric_limits<double>::infinity(), "0.0", "0"}));

TEST(FormatFixed, PrecisionIsBounded) {
  const std::string tiny = FormatFixed(1074, std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(tiny.size(), 2u + 1074u);
  EXPECT_EQ(tiny.back(), '5');  // 2^-1074 ends in ...625
  const std::string wild = FormatFixed(std::numeric_limits<int>::max(), 1.5);
  EXPECT_EQ(wild.size(), 2u + static_cast<size_t>(kMaxFixedDecimals));
  EXPECT_EQ(wild.substr(0, 4), "1.50");
  EXPECT_EQ(FixedText(std::numeric_limits<int>::max(), 1.5), "1.5");
}

TEST(FormatFixed, LargestDouble) {
  const std::string text = FormatFixed(2, std::numeric_limits<double>::max());
  EXPECT_EQ(text.size(), 309u + 3u);
  EXPECT_EQ(text.substr(0, 5), "17976");
  EXPECT_EQ(text.substr(text.size() - 3), ".00");
}

struct TrimCase {
  std::string_view text;
  std::string_view expected;
};

void PrintTo(const TrimCase& c, std::ostream* os) { *os << ::testing::PrintToString(c.text); }

class TrimZerosTest : public ::testing::TestWithParam<TrimCase> {};

TEST_P(TrimZerosTest, Trims) { EXPECT_EQ(TrimZeros(GetParam().text), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Texts, TrimZerosTest,
                         ::testing::Values(TrimCase{"1.500", "1.5"}, TrimCase{"1.000", "1"},
                                           TrimCase{"100.", "100"}, TrimCase{"100", "100"},
                                           TrimCase{"2.000E-003", "2E-003"},
                                           TrimCase{"1.50e0", "1.50e"}, TrimCase{"", ""},
                                           TrimCase{".", ""}, TrimCase{"0.0", "0"},
                                           TrimCase{"E5", "E5"}, TrimCase{"1.20E", "1.2E"}));

struct FilterCase {
  std::string_view text;
  std::string_view withoutSpaces;
  std::string_view withoutControls;
  int chars;
};

void PrintTo(const FilterCase& c, std::ostream* os) { *os << ::testing::PrintToString(c.text); }

class FilterTest : public ::testing::TestWithParam<FilterCase> {};

TEST_P(FilterTest, Filters) {
  const FilterCase& c = GetParam();
  EXPECT_EQ(RemoveSpaces(c.text), c.withoutSpaces);
  EXPECT_EQ(IsBlankText(c.text), c.withoutSpaces.empty());
  EXPECT_EQ(RemoveControlChars(c.text), c.withoutControls);
  EXPECT_EQ(CharCount(c.text), c.chars);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FilterTest,
    ::testing::Values(FilterCase{"a　b c", "abc", "a　b c", 5},
                      FilterCase{"a\tb c", "abc", "ab c", 5}, FilterCase{"", "", "", 0},
                      FilterCase{"　 ", "", "　 ", 2}, FilterCase{"\r\n\x1f", "", "", 3},
                      FilterCase{"あa", "あa", "あa", 2},
                      // 0x81 0x20: the trail byte is a space byte but belongs to the character.
                      FilterCase{"\x81 x", "\x81 x", "\x81 x", 2},
                      // 0x95 0x09: a tab byte as trail byte is not a control character.
                      FilterCase{"\x95\tz", "\x95\tz", "\x95\tz", 2},
                      // A lead byte at the end is a one-byte character and kept.
                      FilterCase{"ab\x82", "ab\x82", "ab\x82", 3},
                      FilterCase{"a\x00"
                                 "b"sv,
                                 "ab", "ab", 3},
                      FilterCase{"\x7f\xa0\xdf", "\x7f\xa0\xdf", "\x7f\xa0\xdf", 3},
                      FilterCase{"\x80\x41\xfd\x41\xfe\x41", "\x80\x41\xfd\x41\xfe\x41",
                                 "\x80\x41\xfd\x41\xfe\x41", 4}));

}  // namespace
}  // namespace gara
