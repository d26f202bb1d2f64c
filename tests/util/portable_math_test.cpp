// The portable trigonometry: correctly rounded on the reference values (computed to 90 digits
// elsewhere), the C library's special cases, identities over a sweep, and on Linux at most one
// unit in the last place from glibc (where the two differ, these are the correctly rounded ones).
#include "util/portable_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

namespace gara {
namespace {

struct SinCosCase {
  double x, sin, cos;
};

TEST(PortableMath, SineAndCosineAreCorrectlyRounded) {
  const SinCosCase cases[] = {
      {0x1p+0, 0x1.aed548f090ceep-1, 0x1.14a280fb5068cp-1},
      {0x1.921fb54442d18p+1, 0x1.1a62633145c07p-53, -0x1.0000000000000p+0},  // pi
      {0x1.921fb54442d18p+0, 0x1.0000000000000p+0, 0x1.1a62633145c07p-54},   // pi/2
      {0x1.0p-1, 0x1.eaee8744b05f0p-2, 0x1.c1528065b7d50p-1},
      {0x1.4p+1, 0x1.326af0dcfcab1p-1, -0x1.9a2f7ef858b7dp-1},
      {-0x1.b7c3f3e2e5c9dp+3, -0x1.d8ac5d1b41348p-1, 0x1.89916cbd1e91ap-2},
      {0x1.e848p+19, -0x1.6664b2568d867p-2, 0x1.df9df9906d32cp-1},  // 1e6
      {0x1.5f5e1p+26, 0x1.a4cf3e514203ep-5, 0x1.ff52f496d4b88p-1},  // 1e8
      {0x1.6a09e667f3bcdp-40, 0x1.6a09e667f3bcdp-40, 0x1.0000000000000p+0},
      {-0x1.2d97c7f3321d2p+2, 0x1.0000000000000p+0, -0x1.a79394c9e8a0ap-53},  // -3pi/2
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PortableSin(c.x), c.sin) << std::hexfloat << c.x;
    EXPECT_EQ(PortableCos(c.x), c.cos) << std::hexfloat << c.x;
  }
}

struct Atan2Case {
  double y, x, expected;
};

TEST(PortableMath, ArcTangentIsCorrectlyRounded) {
  const Atan2Case cases[] = {
      {0x1p+0, 0x1.8p+1, 0x1.4978fa3269ee1p-2},
      {-0x1p+1, -0x1.cp+2, -0x1.6e8062854db5ep+1},
      {0x1p-1000, 0x1p+0, 0x1.0000000000000p-1000},
      {0x1.2p+10, -0x1.4p-3, 0x1.922898d27acafp+0},
      {-0x1.3333333333333p-2, 0x1.999999999999ap-1, -0x1.6f61941e4def0p-2},
      {0x1.5555555555555p-2, -0x1p+0, 0x1.68f095fdf593cp+1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PortableAtan2(c.y, c.x), c.expected) << std::hexfloat << c.y << " " << c.x;
  }
}

TEST(PortableMath, HypotenuseIsCorrectlyRoundedWithoutOverflow) {
  const Atan2Case cases[] = {
      {0x1.8p+1, 0x1p+2, 0x1.4000000000000p+2},  // 3, 4, 5
      {0x1p+0, 0x1p+0, 0x1.6a09e667f3bcdp+0},
      {0x1.5p+1000, 0x1.7p+1001, 0x1.9488c7e511e8ep+1001},
      {0x1.1p-1030, 0x1.3p-1030, 0x0.0197ebeb6d6bcp-1022},
      {-0x1.99999999999ap-4, 0x1.3333333333333p-3, 0x1.71355d04de191p-3},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PortableHypot(c.y, c.x), c.expected) << std::hexfloat << c.y << " " << c.x;
  }
}

TEST(PortableMath, SpecialValuesAsTheCLibrary) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
  constexpr double kPi = 0x1.921fb54442d18p+1;
  EXPECT_TRUE(std::signbit(PortableSin(-0.0)));
  EXPECT_EQ(PortableCos(0.0), 1.0);
  EXPECT_TRUE(std::isnan(PortableSin(kInf)));
  EXPECT_TRUE(std::isnan(PortableCos(-kInf)));
  EXPECT_TRUE(std::isnan(PortableSin(kNan)));

  const Atan2Case atan2Cases[] = {
      {0.0, 1.0, 0.0},        {-0.0, 1.0, -0.0},
      {0.0, -1.0, kPi},       {-0.0, -1.0, -kPi},
      {0.0, 0.0, 0.0},        {0.0, -0.0, kPi},
      {-0.0, -0.0, -kPi},     {1.0, 0.0, kPi / 2},
      {-1.0, -0.0, -kPi / 2}, {kInf, 5.0, kPi / 2},
      {3.0, kInf, 0.0},       {3.0, -kInf, kPi},
      {kInf, kInf, kPi / 4},  {-kInf, -kInf, -3 * kPi / 4},
  };
  for (const auto& c : atan2Cases) {
    const double a = PortableAtan2(c.y, c.x);
    EXPECT_EQ(a, c.expected) << c.y << " " << c.x;
    EXPECT_EQ(std::signbit(a), std::signbit(c.expected)) << c.y << " " << c.x;
  }
  EXPECT_TRUE(std::isnan(PortableAtan2(kNan, 1.0)));

  EXPECT_EQ(PortableHypot(kInf, kNan), kInf);
  EXPECT_EQ(PortableHypot(0.0, -0.0), 0.0);
  EXPECT_EQ(PortableHypot(-7.0, 0.0), 7.0);
  EXPECT_TRUE(std::isnan(PortableHypot(kNan, 1.0)));
}

TEST(PortableMath, IdentitiesHoldAcrossMagnitudes) {
  std::mt19937_64 random(20261207);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  for (int i = 0; i < 20000; ++i) {
    const double x = unit(random) * std::ldexp(1.0, i % 24 - 4);
    const double s = PortableSin(x);
    const double c = PortableCos(x);
    ASSERT_NEAR(s * s + c * c, 1.0, 4e-16) << x;
    ASSERT_EQ(PortableSin(-x), -s) << x;
    ASSERT_EQ(PortableCos(-x), c) << x;
    const double angle = PortableAtan2(s, c);
    // The angle comes back as the same turn, within the rounding of sine and cosine.
    const double turns = std::round((x - angle) / (2 * 0x1.921fb54442d18p+1));
    ASSERT_NEAR(angle + turns * 2 * 0x1.921fb54442d18p+1, x, 4e-16 * std::fmax(1.0, std::fabs(x)))
        << x;
    ASSERT_EQ(PortableHypot(s * 3, c * 3), PortableHypot(c * 3, -s * 3)) << x;
  }
}

#ifndef _WIN32
int64_t UlpDistance(double a, double b) {
  if (a == b) return 0;
  int64_t ia = 0;
  int64_t ib = 0;
  std::memcpy(&ia, &a, sizeof a);
  std::memcpy(&ib, &b, sizeof b);
  if ((ia < 0) != (ib < 0)) return std::numeric_limits<int64_t>::max();
  return ia > ib ? ia - ib : ib - ia;
}

// glibc is within one unit in the last place; these are too, and nothing is farther apart.
TEST(PortableMath, AtMostOneUnitFromGlibc) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  for (int i = 0; i < 50000; ++i) {
    const double scale = std::ldexp(1.0, i % 40 - 12);
    const double x = unit(random) * scale;
    const double y = unit(random) * scale * std::ldexp(1.0, i % 9 - 4);
    ASSERT_LE(UlpDistance(PortableSin(x), std::sin(x)), 1) << std::hexfloat << x;
    ASSERT_LE(UlpDistance(PortableCos(x), std::cos(x)), 1) << std::hexfloat << x;
    ASSERT_LE(UlpDistance(PortableAtan2(y, x), std::atan2(y, x)), 1) << std::hexfloat << y << x;
    ASSERT_LE(UlpDistance(PortableHypot(y, x), std::hypot(y, x)), 1) << std::hexfloat << y << x;
  }
}

// Where the 64-bit long double results lie clearly away from a rounding midpoint of doubles,
// they decide the correctly rounded double; every shortcut of the portable functions must give
// it. Angles of a drawing's range, near the table points of the sine and cosine and near right
// angles, and ratios of every size for the arc tangent.
bool ClearlyRounds(long double exact, double& rounded) {
  rounded = static_cast<double>(exact);
  const double up = std::nextafter(rounded, 1e300) - rounded;
  const double down = rounded - std::nextafter(rounded, -1e300);
  const long double midpoint = exact > rounded ? rounded + static_cast<long double>(up) / 2
                                               : rounded - static_cast<long double>(down) / 2;
  return std::fabs(midpoint - exact) > std::ldexp(std::fmin(up, down), -7);
}

TEST(PortableMath, CorrectlyRoundedWhereLongDoubleDecides) {
  if (std::numeric_limits<long double>::digits < 64) GTEST_SKIP() << "no extended long double";
  std::mt19937_64 random(31);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  int checked = 0;
  for (int i = 0; i < 200000; ++i) {
    double x = 0;
    switch (i % 4) {
      case 0:
        x = unit(random) * 8;
        break;
      case 1:
        x = std::round(unit(random) * 60) / 64 + unit(random) * 1e-6;
        break;
      case 2:
        x = std::round(unit(random) * 8) * 0x1.921fb54442d18p+0 + unit(random) * 1e-3;
        break;
      default:
        x = unit(random) * std::ldexp(1.0, -(i % 40));
    }
    const double y = unit(random) * std::ldexp(1.0, i % 30 - 15);
    const double w = unit(random);
    double expected = 0;
    if (ClearlyRounds(sinl(x), expected)) {
      ASSERT_EQ(PortableSin(x), expected) << std::hexfloat << x;
      ASSERT_EQ(PortableSinCos(x).sin, expected) << std::hexfloat << x;
      ++checked;
    }
    if (ClearlyRounds(cosl(x), expected)) {
      ASSERT_EQ(PortableCos(x), expected) << std::hexfloat << x;
      ASSERT_EQ(PortableSinCos(x).cos, expected) << std::hexfloat << x;
    }
    if (ClearlyRounds(atan2l(y, w), expected)) {
      ASSERT_EQ(PortableAtan2(y, w), expected) << std::hexfloat << y << " " << w;
    }
  }
  EXPECT_GT(checked, 190000);
}
#endif

}  // namespace
}  // namespace gara
