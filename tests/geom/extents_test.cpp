// The box around a figure: the same for every figure source.
#include "geom/extents.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "figure/figure_writer.h"
#include "support/shortest_text.h"
#include "util/text.h"

namespace gara {
namespace {

TEST(Extents, EmptyBoxIsAtTheOrigin) {
  const Extents box;
  EXPECT_TRUE(box.empty());
  EXPECT_EQ(box.Centre().x, 0);
  EXPECT_EQ(box.maxY(), 0);
}

TEST(Extents, FirstPointSetsTheBox) {
  Extents box;
  box.Add(5, 7);
  EXPECT_EQ(box.minX(), 5);
  EXPECT_EQ(box.maxX(), 5);
  EXPECT_EQ(box.minY(), 7);
  box.Add(-1, 9);
  EXPECT_EQ(box.minX(), -1);
  EXPECT_EQ(box.maxY(), 9);
  EXPECT_EQ(box.Centre().x, 2);
  EXPECT_EQ(box.Centre().y, 8);
}

TEST(Extents, NonFinitePointsAreLeftOut) {
  Extents box;
  box.Add(std::nan(""), 1);
  box.Add(1, std::numeric_limits<double>::infinity());
  EXPECT_TRUE(box.empty());
  box.Add(2, 3);
  box.Add(std::nan(""), std::nan(""));
  EXPECT_EQ(box.minX(), 2);
  EXPECT_EQ(box.maxY(), 3);
}

TEST(Extents, CentreOfAHugeBoxIsFinite) {
  Extents box;
  box.Add(1.7e308, 1.7e308);
  box.Add(1.6e308, 1.6e308);
  EXPECT_TRUE(std::isfinite(box.Centre().x));
  EXPECT_DOUBLE_EQ(box.Centre().y, 1.65e308);
}

TEST(Extents, CircleBox) {
  Extents box;
  AddCircleBox(box, 20, 25, 5);
  EXPECT_EQ(box.minX(), 15);
  EXPECT_EQ(box.minY(), 20);
  EXPECT_EQ(box.maxX(), 25);
  EXPECT_EQ(box.maxY(), 30);
}

struct SweepCase {
  double start, end, sweep;
  bool closed;
};

void PrintTo(const SweepCase& c, std::ostream* os) {
  *os << gara::testing::ShortestText(c.start) << " to " << gara::testing::ShortestText(c.end);
}

class ArcSweepTest : public ::testing::TestWithParam<SweepCase> {};

TEST_P(ArcSweepTest, Normalises) {
  const ArcSweep s = NormalizeArcSweepDeg(GetParam().start, GetParam().end);
  EXPECT_NEAR(s.sweepDeg, GetParam().sweep, 1e-9);
  EXPECT_EQ(s.closed, GetParam().closed);
}

INSTANTIATE_TEST_SUITE_P(
    Arcs, ArcSweepTest,
    ::testing::Values(SweepCase{0, 90, 90, false}, SweepCase{350, 10, 20, false},
                      SweepCase{30, 30, 360, true}, SweepCase{0, 360, 360, true},
                      SweepCase{10, 10 + 5e-9, 360, true}, SweepCase{10, 10 - 5e-9, 360, true},
                      SweepCase{0, 359.99, 359.99, false}, SweepCase{90, -90, 180, false}));

TEST(Extents, WholeCircleSamplesReachTheQuadrants) {
  Extents box;
  AddArcSamplesDeg(box, 0, 0, 5, 1, 0, 0, 360);
  EXPECT_NEAR(box.minX(), -5, 1e-12);
  EXPECT_NEAR(box.minY(), -5, 1e-12);
  EXPECT_NEAR(box.maxX(), 5, 1e-12);
  EXPECT_NEAR(box.maxY(), 5, 1e-12);
}

TEST(Extents, TiltedEllipseArcInDegreesAndRadiansAgree) {
  Extents degrees, radians;
  AddArcSamplesDeg(degrees, 1, 2, 10, 0.5, 30, 10, 200);
  AddArcSamples(radians, 1, 2, 10, 0.5, 30 * kPi / 180, 10 * kPi / 180, 200 * kPi / 180);
  EXPECT_NEAR(degrees.minX(), radians.minX(), 1e-9);
  EXPECT_NEAR(degrees.maxY(), radians.maxY(), 1e-9);
  // A quarter arc: from (11, 2) to (1, 12) and nothing beyond.
  Extents quarter;
  AddArcSamplesDeg(quarter, 1, 2, 10, 1, 0, 0, 90);
  EXPECT_NEAR(quarter.minX(), 1, 1e-12);
  EXPECT_NEAR(quarter.maxX(), 11, 1e-12);
  EXPECT_NEAR(quarter.minY(), 2, 1e-12);
  EXPECT_NEAR(quarter.maxY(), 12, 1e-12);
}

// The samples against the direct computation of every point, for arcs of every size and turn.
TEST(Extents, SamplesMatchTheDirectComputation) {
  struct Arc {
    double cx, cy, r, ratio, tilt, start, sweep;
  };
  for (const Arc& a :
       {Arc{0, 0, 5, 1, 0, 0, 360}, Arc{1234.5, -987.25, 4321, 0.3, 33, 350, 20},
        Arc{-5000, 5000, 0.001, 2, -170, -720, 359.9}, Arc{1e6, 1e6, 1e5, 0.01, 91, 45, -270}}) {
    Extents fast, direct;
    AddArcSamplesDeg(fast, a.cx, a.cy, a.r, a.ratio, a.tilt, a.start, a.sweep);
    for (int k = 0; k <= kCurveSampleSteps; ++k) {
      direct.Add(EllipsePointDeg(a.cx, a.cy, a.r, a.ratio, a.tilt, a.start + k * a.sweep / 72));
    }
    const double tolerance = 1e-13 * (std::fabs(a.cx) + std::fabs(a.cy) + a.r * (1 + a.ratio));
    EXPECT_NEAR(fast.minX(), direct.minX(), tolerance) << a.r;
    EXPECT_NEAR(fast.minY(), direct.minY(), tolerance) << a.r;
    EXPECT_NEAR(fast.maxX(), direct.maxX(), tolerance) << a.r;
    EXPECT_NEAR(fast.maxY(), direct.maxY(), tolerance) << a.r;
    Extents radians;
    AddArcSamples(radians, a.cx, a.cy, a.r, a.ratio, a.tilt * kPi / 180, a.start * kPi / 180,
                  a.sweep * kPi / 180);
    EXPECT_NEAR(radians.maxX(), direct.maxX(), tolerance) << a.r;
  }
}

TEST(Extents, TextBoxCornersAreThoseOfConvertTextAnchor) {
  for (double angle : {0.0, 30.0, 90.0, 137.25, 270.0, 359.9}) {
    for (int anchor = -1; anchor <= 9; ++anchor) {
      const TextBox box{7.25, 3.5, angle};
      const std::array<Point, 4> corners = TextBoxCorners(box, anchor, 12.5, -3.75);
      const int kinds[4] = {0, 2, 6, 8};
      for (int i = 0; i < 4; ++i) {
        const Point p = ConvertTextAnchor(anchor, kinds[i], 12.5, -3.75, 7.25, 3.5, angle);
        EXPECT_EQ(corners[i].x, p.x) << angle << " " << anchor << " " << kinds[i];
        EXPECT_EQ(corners[i].y, p.y) << angle << " " << anchor << " " << kinds[i];
      }
    }
  }
}

TEST(Extents, TextBoxes) {
  // "ab": two half-width characters of width 4 with spacing 1.
  const TextBox plain = MeasureTextBox(0, "ab", 4, 5, 1, 0, 1);
  EXPECT_EQ(plain.length, 4.5);
  EXPECT_EQ(plain.height, 5);
  EXPECT_EQ(plain.angleDeg, 90);
  // A vertical text runs its characters at fixed pitch along the height.
  const TextBox vertical = MeasureTextBox(1, "ab", 4, 5, 1, 1, 0);
  EXPECT_EQ(vertical.length, 11);
  EXPECT_EQ(vertical.height, 4);
  Extents box;
  AddTextBox(box, vertical, 4, 10, 10);  // anchored on its centre
  EXPECT_EQ(box.minX(), 4.5);
  EXPECT_EQ(box.maxX(), 15.5);
  EXPECT_EQ(box.minY(), 8);
  EXPECT_EQ(box.maxY(), 12);
}

TEST(FigureWriter, FixedTextMatchesTheTextHelper) {
  const double values[] = {0,
                           -0.0,
                           1,
                           -1,
                           0.5,
                           2.5000000000,
                           1e-11,
                           -1e-11,
                           5e-11,
                           1234.5678,
                           -98765.4321,
                           1e15,
                           1e300,
                           -1e300,
                           1.7e308,
                           kPi,
                           2 * kPi,
                           0.1 + 0.2,
                           123456789.123456789,
                           4.99999999995,
                           std::nan(""),
                           std::numeric_limits<double>::infinity()};
  for (int decimals : {0, 8, 10, 12}) {
    for (double v : values) {
      std::string out = "x";
      AppendFixedText(out, decimals, v);
      std::string expected = "x";
      expected += FixedText(decimals, v);
      if (expected == "x-0") expected = "x0";  // no negative zero in figure files
      EXPECT_EQ(out, expected) << decimals << " " << v;
    }
  }
}

// Random doubles of every magnitude, exact ties and values next to them: the same text as the
// general formatting.
TEST(FigureWriter, FixedTextMatchesTheTextHelperEverywhere) {
  std::mt19937_64 random(5);
  std::uniform_real_distribution<double> unit(-1, 1);
  std::uniform_int_distribution<int> exponent(-60, 70);
  std::vector<double> values;
  for (int i = 0; i < 100000; ++i) values.push_back(std::ldexp(unit(random), exponent(random)));
  for (int i = 0; i < 2000; ++i) {
    const double tie = (static_cast<double>(random() % 100000) + 0.5) / 1024;  // exact halves
    values.push_back(tie);
    values.push_back(-tie);
    values.push_back(std::nextafter(tie, 0.0));
    values.push_back(std::nextafter(tie, 1e9));
  }
  for (double v : {0.5, 1.5, 2.5, 0.125, 0.375, 5e-11, 1.5e-10, 2.5e-12, 0x1p60, 0x1p60 - 1024,
                   -0x1p60, 1e-320, 4.9e-324, 0x1p64 / 1e12, 0x1p63 / 1e10, 0x1p64 - 2048, 0x1p64,
                   18446744.073709551, 1844674407.3709551}) {
    values.push_back(v);
  }
  for (int decimals : {0, 1, 2, 8, 10, 12}) {
    for (double v : values) {
      std::string out;
      AppendFixedText(out, decimals, v);
      std::string expected = FixedText(decimals, v);
      if (expected == "-0") expected = "0";
      ASSERT_EQ(out, expected) << decimals << " " << v;
    }
  }
}

TEST(FigureWriter, QuotedText) {
  std::string out;
  AppendQuotedText(out, "a\"b\tc");
  EXPECT_EQ(out, "\"a\"\"bc\"");
  out.clear();
  AppendInteger(out, -2147483648LL);
  EXPECT_EQ(out, "-2147483648");
}

}  // namespace
}  // namespace gara
