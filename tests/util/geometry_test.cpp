// Geometry helpers shared by the layout, the placement, the export and the writer.
#include "geom/geometry.h"
#include "support/shortest_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string_view>

namespace gara {
namespace {

constexpr double kTight = 1e-12;

struct RoundCase {
  double x;
  double expected;
};

void PrintTo(const RoundCase& c, std::ostream* os) { *os << gara::testing::ShortestText(c.x); }

class RoundE10Test : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundE10Test, Rounds) {
  EXPECT_DOUBLE_EQ(RoundE10(GetParam().x), GetParam().expected) << GetParam().x;
}

INSTANTIATE_TEST_SUITE_P(Values, RoundE10Test,
                         ::testing::Values(RoundCase{0, 0}, RoundCase{1.23456789012e-10, 1e-10},
                                           RoundCase{1.6e-10, 2e-10}, RoundCase{-1.6e-10, -2e-10},
                                           RoundCase{0.4e-10, 0}, RoundCase{-0.4e-10, 0},
                                           RoundCase{89.99999999999, 90.0},
                                           RoundCase{-45.00000000004, -45.0}));

TEST(Distance, Pythagoras) {
  EXPECT_DOUBLE_EQ(Distance(1, 2, 4, 6), 5);
  EXPECT_EQ(Distance(3, 3, 3, 3), 0);
}

struct AngleCase {
  double dx, dy;
  double radians;
  double degrees;
};

void PrintTo(const AngleCase& c, std::ostream* os) {
  *os << "(" << gara::testing::ShortestText(c.dx) << ", " << gara::testing::ShortestText(c.dy)
      << ")";
}

class LineAngleTest : public ::testing::TestWithParam<AngleCase> {};

TEST_P(LineAngleTest, Direction) {
  const AngleCase& c = GetParam();
  EXPECT_NEAR(LineAngle(c.dx, c.dy), c.radians, kTight);
  EXPECT_NEAR(LineAngleDeg(c.dx, c.dy), c.degrees, 1e-10);
}

INSTANTIATE_TEST_SUITE_P(
    Vectors, LineAngleTest,
    ::testing::Values(AngleCase{0, 0, 0, 0}, AngleCase{1, 0, 0, 0}, AngleCase{0, 1, kPi / 2, 90},
                      AngleCase{-1, 0, kPi, 180}, AngleCase{0, -1, 3 * kPi / 2, 270},
                      AngleCase{1, 1, kPi / 4, 45}, AngleCase{1, -1, 7 * kPi / 4, 315},
                      AngleCase{5e-11, 5e-11, 0, 0},  // below the angle tolerance: no direction
                      AngleCase{2e-10, 0, 0, 0}, AngleCase{0, 2e-10, kPi / 2, 90}));

TEST(LineAngle, NeverNegativeNorBeyondFullTurn) {
  for (double dy : {-1e-300, -1e-9, -0.0}) {
    const double a = LineAngle(1, dy);
    EXPECT_GE(a, 0) << dy;
    EXPECT_LE(a, 2 * kPi) << dy;
  }
  EXPECT_NEAR(LineAngleDeg(1, -1e-16), 360.0, 1e-12);  // just below a full turn rounds to 360
}

struct NormalizeCase {
  double in;
  double out;
};

void PrintTo(const NormalizeCase& c, std::ostream* os) {
  *os << gara::testing::ShortestText(c.in) << " to " << gara::testing::ShortestText(c.out);
}

class NormalizeDegTest : public ::testing::TestWithParam<NormalizeCase> {};

TEST_P(NormalizeDegTest, IntoOneTurn) {
  EXPECT_NEAR(NormalizeDeg(GetParam().in), GetParam().out, 1e-9) << GetParam().in;
  EXPECT_GE(NormalizeDeg(GetParam().in), 0);
  EXPECT_LT(NormalizeDeg(GetParam().in), 360);
}

INSTANTIATE_TEST_SUITE_P(
    Angles, NormalizeDegTest,
    ::testing::Values(NormalizeCase{0, 0}, NormalizeCase{-90, 270}, NormalizeCase{720, 0},
                      NormalizeCase{360, 0}, NormalizeCase{-360, 0}, NormalizeCase{45, 45},
                      NormalizeCase{405, 45}, NormalizeCase{-405, 315},
                      NormalizeCase{359.99999999999, 0}, NormalizeCase{720.00000000001, 0},
                      NormalizeCase{-1e-11, 0}, NormalizeCase{-1e-9, 360 - 1e-9},
                      NormalizeCase{1e9 + 30, 310}));

TEST(RotatePoint, QuarterTurnAboutCentre) {
  const Point p = RotatePoint(2, 1, 1, 1, kPi / 2);
  EXPECT_NEAR(p.x, 1, kTight);
  EXPECT_NEAR(p.y, 2, kTight);
  const Point q = RotatePointDeg(2, 1, 1, 1, 180);
  EXPECT_NEAR(q.x, 0, kTight);
  EXPECT_NEAR(q.y, 1, kTight);
  const Point r = RotatePointDeg(3, 4, 0, 0, -90);
  EXPECT_NEAR(r.x, 4, kTight);
  EXPECT_NEAR(r.y, -3, kTight);
}

TEST(EllipsePoint, AxesAndTurn) {
  // Semi-axes 4 and 2, turned by 90 degrees: the point at t = 0 lies straight up.
  const Point a = EllipsePointDeg(10, 20, 4, 0.5, 90, 0);
  EXPECT_NEAR(a.x, 10, kTight);
  EXPECT_NEAR(a.y, 24, kTight);
  const Point b = EllipsePointDeg(10, 20, 4, 0.5, 90, 90);
  EXPECT_NEAR(b.x, 8, kTight);
  EXPECT_NEAR(b.y, 20, kTight);
  const Point c = EllipsePoint(0, 0, 4, 0.5, 0, kPi / 2);
  EXPECT_NEAR(c.x, 0, kTight);
  EXPECT_NEAR(c.y, 2, kTight);
}

struct NearCase {
  double difference;
  bool equal;
};

void PrintTo(const NearCase& c, std::ostream* os) {
  *os << "difference " << gara::testing::ShortestText(c.difference);
}

class NearlyTest : public ::testing::TestWithParam<NearCase> {};

TEST_P(NearlyTest, ComparesWithTolerance) {
  const double d = GetParam().difference;
  EXPECT_EQ(NearlyEqual(5, 5 + d), GetParam().equal) << d;
  EXPECT_EQ(NearlyEqual(5 + d, 5), GetParam().equal) << d;
  EXPECT_EQ(NearlySamePoint(1, 2, 1 + d, 2), GetParam().equal) << d;
  EXPECT_EQ(NearlySamePoint(1, 2, 1, 2 - d), GetParam().equal) << d;
}

INSTANTIATE_TEST_SUITE_P(Differences, NearlyTest,
                         ::testing::Values(NearCase{0, true}, NearCase{0.5e-8, true},
                                           NearCase{0.99e-8, true}, NearCase{2e-8, false},
                                           NearCase{1, false}));

TEST(NearlySamePoint, BothCoordinatesMustAgree) {
  EXPECT_FALSE(NearlySamePoint(0, 0, 0, 1));
  EXPECT_FALSE(NearlySamePoint(0, 0, 1, 0));
  EXPECT_TRUE(NearlySamePoint(0, 0, 5e-9, -5e-9));
}

struct AnchorCase {
  int anchor;
  double ax, ay;  // anchor position in the unturned 10 x 4 box
};

void PrintTo(const AnchorCase& c, std::ostream* os) { *os << "anchor " << c.anchor; }

class TextAnchorTest : public ::testing::TestWithParam<AnchorCase> {};

TEST_P(TextAnchorTest, OriginUnturnedAndTurned) {
  const AnchorCase& c = GetParam();
  const Point o = TextOrigin(c.anchor, 100, 50, 10, 4, 0);
  EXPECT_NEAR(o.x, 100 - c.ax, kTight);
  EXPECT_NEAR(o.y, 50 - c.ay, kTight);
  // Turned by 90 degrees the box's x axis points up.
  const Point t = TextOrigin(c.anchor, 100, 50, 10, 4, 90);
  EXPECT_NEAR(t.x, 100 + c.ay, kTight);
  EXPECT_NEAR(t.y, 50 - c.ax, kTight);
  // From lower left to this anchor and back.
  const Point to = ConvertTextAnchor(0, c.anchor, 0, 0, 10, 4, 30);
  const Point back = ConvertTextAnchor(c.anchor, 0, to.x, to.y, 10, 4, 30);
  EXPECT_NEAR(back.x, 0, kTight);
  EXPECT_NEAR(back.y, 0, kTight);
  const Point direct = ConvertTextAnchor(0, c.anchor, 0, 0, 10, 4, 0);
  EXPECT_NEAR(direct.x, c.ax, kTight);
  EXPECT_NEAR(direct.y, c.ay, kTight);
}

INSTANTIATE_TEST_SUITE_P(Kinds, TextAnchorTest,
                         ::testing::Values(AnchorCase{0, 0, 0}, AnchorCase{1, 5, 0},
                                           AnchorCase{2, 10, 0}, AnchorCase{3, 0, 2},
                                           AnchorCase{4, 5, 2}, AnchorCase{5, 10, 2},
                                           AnchorCase{6, 0, 4}, AnchorCase{7, 5, 4},
                                           AnchorCase{8, 10, 4}, AnchorCase{9, 0, 0},
                                           AnchorCase{-1, 0, 0}, AnchorCase{1000, 0, 0}));

TEST(ConvertTextAnchor, EqualKindsIgnoreBoxAndAngle) {
  const Point p = ConvertTextAnchor(4, 4, 3, 7, 1e300, -1e300, 1234);
  EXPECT_EQ(p.x, 3);
  EXPECT_EQ(p.y, 7);
}

TEST(ConvertTextAnchor, CentreToUpperRightTurned) {
  const Point p = ConvertTextAnchor(4, 8, 0, 0, 10, 4, 90);
  EXPECT_NEAR(p.x, -2, kTight);
  EXPECT_NEAR(p.y, 5, kTight);
}

using enum LineCrossing;

struct IntersectCase {
  double xa1, ya1, xa2, ya2, xb1, yb1, xb2, yb2;
  LineCrossing result;
  double x, y;
};

void PrintTo(const IntersectCase& c, std::ostream* os) {
  *os << "(" << c.xa1 << " " << c.ya1 << ", " << c.xa2 << " " << c.ya2 << ") x (" << c.xb1 << " "
      << c.yb1 << ", " << c.xb2 << " " << c.yb2 << ")";
}

class IntersectLinesTest : public ::testing::TestWithParam<IntersectCase> {};

TEST_P(IntersectLinesTest, Crossing) {
  const IntersectCase& c = GetParam();
  const Intersection i = IntersectLines(c.xa1, c.ya1, c.xa2, c.ya2, c.xb1, c.yb1, c.xb2, c.yb2);
  EXPECT_EQ(i.result, c.result);
  if (c.result != kParallel) {
    EXPECT_NEAR(i.point.x, c.x, 1e-9);
    EXPECT_NEAR(i.point.y, c.y, 1e-9);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, IntersectLinesTest,
    ::testing::Values(
        // Two horizontal lines at different heights: parallel.
        IntersectCase{0, 0, 10, 0, 0, 5, 10, 5, kParallel, 0, 0},
        // Both vertical.
        IntersectCase{0, 0, 0, 10, 5, 0, 5, 10, kParallel, 0, 0},
        // Horizontal and vertical, crossing inside both pieces.
        IntersectCase{0, 0, 10, 0, 4, -1, 4, 1, kInsideBoth, 4, 0},
        IntersectCase{4, -1, 4, 1, 0, 0, 10, 0, kInsideBoth, 4, 0},
        // ... and outside the horizontal piece.
        IntersectCase{0, 0, 10, 0, 12, -1, 12, 1, kOutside, 12, 0},
        // Outside by less than the margin still counts as inside.
        IntersectCase{0, 0, 10, 0, 10.000000005, -1, 10.000000005, 1, kInsideBoth, 10.000000005, 0},
        // The crossing lies beyond the vertical piece.
        IntersectCase{0, 0, 10, 0, 4, 1, 4, 3, kOutside, 4, 0},
        // Diagonals.
        IntersectCase{0, 0, 10, 10, 0, 10, 10, 0, kInsideBoth, 5, 5},
        IntersectCase{0, 0, 1, 1, 0, 10, 1, 9, kOutside, 5, 5},
        // Same slope within 1e-8: parallel.
        IntersectCase{0, 0, 1, 1, 0, 5, 1, 6.000000001, kParallel, 0, 0},
        // A nearly vertical line counts as vertical: xa1 - xa2 = -1.4e-8 is in the zero band.
        IntersectCase{0, 0, 1.4e-8, 10, -5, 5, 5, 5, kInsideBoth, 0, 5}));

TEST(TextRunWidth, HalfAndFullWidthCharacters) {
  EXPECT_DOUBLE_EQ(TextRunWidth("ab", 4, 1), 4.5);
  EXPECT_DOUBLE_EQ(TextRunWidth("あa", 4, 1), 7);
  EXPECT_DOUBLE_EQ(TextRunWidth("", 4, 1), 0);
  EXPECT_DOUBLE_EQ(TextRunWidth("a", 4, 1), 2);
  // Control bytes have no width but are followed by half the spacing.
  EXPECT_DOUBLE_EQ(TextRunWidth("a\tb", 4, 1), 2 + 0.5 + 0 + 0.5 + 2);
  // A lead byte at the end counts as a whole full-width character without spacing after it.
  EXPECT_DOUBLE_EQ(TextRunWidth("a\x82", 4, 1), 2 + 0.5 + 4);
}

TEST(TextRunWidthFixed, CountsCharacters) {
  EXPECT_DOUBLE_EQ(TextRunWidthFixed("", 4, 1), -1);
  EXPECT_DOUBLE_EQ(TextRunWidthFixed("ab", 4, 1), 9);
  EXPECT_DOUBLE_EQ(TextRunWidthFixed("あa", 4, 1), 9);
}

}  // namespace
}  // namespace gara
