// The number text that the exchange and settings files carry.
#include "util/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <string_view>

#include "support/shortest_text.h"
#include "util/text.h"

namespace gara {
namespace {

struct NumberCase {
  double value;
  std::string_view text;
};

void PrintTo(const NumberCase& c, std::ostream* os) { *os << gara::testing::ShortestText(c.value); }

class NumberTextTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberTextTest, Writes) {
  const NumberCase& c = GetParam();
  EXPECT_EQ(NumberText(c.value), c.text);
  char buffer[kNumberTextMax];
  EXPECT_EQ(std::string_view(buffer, WriteNumberText(buffer, c.value)), c.text);
  std::string appended = "x";
  AppendNumberText(appended, c.value);
  EXPECT_EQ(std::string_view(appended).substr(1), c.text);
  EXPECT_EQ(appended.front(), 'x');
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Examples, NumberTextTest,
    ::testing::Values(NumberCase{0.0, "0"}, NumberCase{-0.0, "0"}, NumberCase{10, "10"},
                      NumberCase{2.5, "2.5"}, NumberCase{-0.125, "-0.125"},
                      NumberCase{0.0001, "0.0001"}, NumberCase{0.00001, "1E-5"},
                      NumberCase{6.12323399573677e-17, "6.12323399573677E-17"},
                      NumberCase{1.5e20, "1.5E20"}, NumberCase{-3, "-3"}, NumberCase{101, "101"},
                      NumberCase{100, "100"}, NumberCase{0.1 + 0.2, "0.3"},
                      NumberCase{1.0 / 3, "0.333333333333333"},
                      NumberCase{2.0 / 3, "0.666666666666667"},
                      NumberCase{123456.789, "123456.789"}, NumberCase{-1e100, "-1E100"},
                      NumberCase{0.00012, "0.00012"}, NumberCase{-0.00001234, "-1.234E-5"},
                      NumberCase{1e-300, "1E-300"}, NumberCase{12.0000000000000001, "12"}));

INSTANTIATE_TEST_SUITE_P(
    Boundaries, NumberTextTest,
    ::testing::Values(
        // Fixed up to just below 1e15, judged after rounding to 15 digits.
        NumberCase{1e14, "100000000000000"}, NumberCase{999999999999999, "999999999999999"},
        NumberCase{999999999999999.4, "999999999999999"}, NumberCase{999999999999999.5, "1E15"},
        NumberCase{1e15, "1E15"}, NumberCase{-1e15, "-1E15"},
        NumberCase{1234567890123456, "1.23456789012346E15"},
        NumberCase{123456789012345.6, "123456789012346"},
        NumberCase{12345678901234.56, "12345678901234.6"},
        // Fixed down to 0.0001, also judged after rounding.
        NumberCase{0.0001, "0.0001"}, NumberCase{0.00009999999999999999, "0.0001"},
        NumberCase{0.0000999999999999, "9.99999999999E-5"},
        NumberCase{-0.00009999999999999999, "-0.0001"},
        NumberCase{0.000123456789012345678, "0.000123456789012346"},
        NumberCase{0.99999999999999999, "1"}, NumberCase{0.9999999999999999, "1"},
        NumberCase{-9.9999999999999999, "-10"}, NumberCase{0.999999999999999, "0.999999999999999"},
        // Extremes of the double range.
        NumberCase{std::numeric_limits<double>::max(), "1.79769313486232E308"},
        NumberCase{-std::numeric_limits<double>::max(), "-1.79769313486232E308"},
        NumberCase{std::numeric_limits<double>::min(), "2.2250738585072E-308"},
        NumberCase{std::numeric_limits<double>::denorm_min(), "4.94065645841247E-324"},
        NumberCase{-1.23456789012345e-308, "-1.23456789012345E-308"}));

INSTANTIATE_TEST_SUITE_P(NotFinite, NumberTextTest,
                         ::testing::Values(NumberCase{kNaN, "0"}, NumberCase{-kNaN, "0"},
                                           NumberCase{kInf, "0"}, NumberCase{-kInf, "0"}));

// printf's %.15g rounds to 15 significant digits and chooses fixed notation by the same rule
// (-4 <= exponent < 15 after rounding), so it is an independent reference once its exponent is
// laid out the exchange-file way.
std::string Reference(double v) {
  char printed[64];
  std::snprintf(printed, sizeof printed, "%.15g", v);
  std::string text(printed);
  const size_t e = text.find('e');
  if (e == std::string::npos) return text;
  std::string mantissa = text.substr(0, e);
  const bool negative = text[e + 1] == '-';
  std::string digits = text.substr(e + 2);
  digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
  return mantissa + "E" + (negative ? "-" : "") + digits;
}

TEST(NumberText, MatchesPrintfOnRandomValues) {
  std::mt19937_64 random(20261207);
  std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
  std::uniform_int_distribution<int> exponent(-30, 30);
  for (int i = 0; i < 200000; ++i) {
    double v;
    if (i % 2 == 0) {
      v = mantissa(random) * std::pow(10.0, exponent(random));
    } else {
      const uint64_t bits = random();
      std::memcpy(&v, &bits, sizeof v);
      if (!std::isfinite(v)) continue;
    }
    const std::string text = NumberText(v);
    ASSERT_LE(text.size(), static_cast<size_t>(kNumberTextMax));
    ASSERT_EQ(text, v == 0 ? "0" : Reference(v)) << v;
  }
}

// Values next to the midpoints between two 15-digit numbers, where rounding the shortest digits
// of a double and rounding the double itself could part.
TEST(NumberText, MatchesPrintfNextToRoundingMidpoints) {
  std::mt19937_64 random(5);
  std::uniform_int_distribution<uint64_t> mantissa(100000000000000, 999999999999999);
  std::uniform_int_distribution<int> exponent(-25, 25);
  for (int i = 0; i < 100000; ++i) {
    char literal[64];
    std::snprintf(literal, sizeof literal, "%llu5e%d",
                  static_cast<unsigned long long>(mantissa(random)), exponent(random));
    double v = std::strtod(literal, nullptr);
    for (int step = 0; step < 3; ++step) {
      ASSERT_EQ(NumberText(v), Reference(v)) << literal;
      v = std::nextafter(v, step == 0 ? 0.0 : 1e300);
      if (step == 0) v = std::nextafter(std::nextafter(v, 1e300), 1e300);
    }
  }
}

// Doubles that lie exactly halfway between two 15-digit numbers round to the even one, as
// printf rounds; so does a double whose rounding carries into a sixteenth digit.
TEST(NumberText, ExactMidpointsRoundToEven) {
  const NumberCase cases[] = {
      {12345678901234.25, "12345678901234.2"},   {12345678901234.75, "12345678901234.8"},
      {-12345678901234.25, "-12345678901234.2"}, {100000000000000.5, "100000000000000"},
      {100000000000001.5, "100000000000002"},    {999999999999999.5, "1E15"},
      {1234567890.12344, "1234567890.12344"},    {1002003004005.0625, "1002003004005.06"}};
  for (const NumberCase& c : cases) EXPECT_EQ(NumberText(c.value), c.text) << c.value;
}

// Every double of a binade range that the drawings use, sampled by its bits: the exact
// integer formatting of coordinates against printf.
TEST(NumberText, MatchesPrintfAcrossCoordinateBinades) {
  std::mt19937_64 random(11);
  for (int binade = -16; binade <= 52; ++binade) {
    for (int i = 0; i < 3000; ++i) {
      const double v =
          std::ldexp(1.0 + std::ldexp(static_cast<double>(random() >> 12), -52), binade);
      ASSERT_EQ(NumberText(v), Reference(v)) << v;
      ASSERT_EQ(NumberText(-v), Reference(-v)) << v;
    }
  }
}

// The point at every place of the 15 digits, trailing zeros on either side of the eighth digit
// from the end, and the longest texts: each written whole and nothing written past
// kNumberTextMax bytes, though the digits are stored in blocks of sixteen.
TEST(NumberText, PlacesThePointAndStaysWithinItsRoom) {
  const NumberCase cases[] = {{-1.23456789012345, "-1.23456789012345"},
                              {-12.3456789012345, "-12.3456789012345"},
                              {-1234567.89012345, "-1234567.89012345"},
                              {-12345678.9012345, "-12345678.9012345"},
                              {-12345678901234.5, "-12345678901234.5"},
                              {-123456789012345, "-123456789012345"},
                              {-1234567, "-1234567"},
                              {-12345678, "-12345678"},
                              {-1234567.5, "-1234567.5"},
                              {-100000000000000, "-100000000000000"},
                              {-0.000123456789012345, "-0.000123456789012345"},
                              {-0.1234567, "-0.1234567"},
                              {-1.23456789012345e-100, "-1.23456789012345E-100"}};
  for (const NumberCase& c : cases) {
    for (const double v : {c.value, -c.value}) {
      char room[kNumberTextMax + 16];
      std::memset(room, 'x', sizeof room);
      const char* end = WriteNumberText(room, v);
      const std::string_view expected = v < 0 ? c.text : c.text.substr(1);
      EXPECT_EQ(std::string_view(room, end), expected);
      EXPECT_EQ(std::string_view(room + kNumberTextMax, 16), std::string(16, 'x')) << expected;
    }
  }
}

TEST(NumberText, RoundTripsThroughTextToRealWithin15Digits) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> mantissa(-1000.0, 1000.0);
  for (int i = 0; i < 20000; ++i) {
    const double v = mantissa(random);
    const double back = TextToReal(NumberText(v));
    ASSERT_LE(std::fabs(back - v), std::fabs(v) * 1e-14) << v;
  }
}

// Every power of ten and its neighbours, up to the largest 64-bit value.
TEST(DigitText, CountsAndLastDigits) {
  EXPECT_EQ(DecimalDigitCount(0), 1);
  uint64_t power = 1;
  for (int digits = 1; digits <= 20; ++digits) {
    EXPECT_EQ(DecimalDigitCount(power), digits) << power;
    if (digits > 1) {
      EXPECT_EQ(DecimalDigitCount(power - 1), digits - 1) << power;
    }
    if (digits < 20) power *= 10;
  }
  EXPECT_EQ(DecimalDigitCount(UINT64_MAX), 20);
  char text[21] = {};
  WriteLastDigits(text, UINT64_MAX, 20);
  EXPECT_STREQ(text, "18446744073709551615");
  WriteLastDigits(text, 42, 5);
  EXPECT_EQ(std::string(text, 5), "00042");
}

}  // namespace
}  // namespace gara
