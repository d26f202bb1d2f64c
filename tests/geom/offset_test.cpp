#include "geom/offset.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace gara {
namespace {

// A closed polygon, counter-clockwise, as line pieces.
std::vector<PathPiece> Polygon(const std::vector<Point>& corners) {
  std::vector<PathPiece> pieces;
  for (size_t i = 0; i < corners.size(); ++i) {
    pieces.push_back(LinePiece(corners[i], corners[(i + 1) % corners.size()]));
  }
  return pieces;
}

// The distance of p from the full line through the piece.
double FromLine(const PathPiece& line, Point p) {
  const double dx = line.to.x - line.from.x;
  const double dy = line.to.y - line.from.y;
  return std::fabs(dx * (p.y - line.from.y) - dy * (p.x - line.from.x)) / std::hypot(dx, dy);
}

TEST(RailTest, ClosedRailsAreJoinedAllRoundTheirFirstCornerIncluded) {
  struct Case {
    const char* name;
    std::vector<PathPiece> path;
  };
  // Two circular arcs, of circles about (0, -6) and (0, 6), meeting at (8, 0) and (-8, 0).
  const double top = std::atan2(6, 8);
  const std::vector<PathPiece> lens = {ArcPiece({0, -6}, 10, 1, 0, top, kPi - 2 * top),
                                       ArcPiece({0, 6}, 10, 1, 0, top - kPi, kPi - 2 * top)};
  const Case cases[] = {
      {"square", Polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}})},
      {"triangle", Polygon({{0, 0}, {30, 0}, {10, 20}})},
      {"hexagon", Polygon({{0, 0}, {20, -5}, {40, 0}, {45, 20}, {20, 30}, {-5, 20}})},
      {"lens", lens},
  };
  for (const Case& c : cases) {
    for (const double k : {1.0, -1.0}) {
      SCOPED_TRACE(testing::Message() << c.name << " at " << k);
      const std::vector<PathPiece> rail = OffsetRail(c.path, true, k);
      ASSERT_FALSE(rail.empty());
      // Each offset starts where the one before ends, the first where the last one ends.
      for (size_t i = 0; i < rail.size(); ++i) {
        const PathPiece& before = rail[(i + rail.size() - 1) % rail.size()];
        EXPECT_NEAR(before.to.x, rail[i].from.x, 1e-9);
        EXPECT_NEAR(before.to.y, rail[i].from.y, 1e-9);
      }
      if (!c.path[0].IsArc()) {
        // The first corner of a polygon's rail is its mitre, |k| from the first and last sides.
        ASSERT_EQ(rail.size(), c.path.size());
        EXPECT_NEAR(FromLine(c.path.front(), rail.front().from), 1, 1e-9);
        EXPECT_NEAR(FromLine(c.path.back(), rail.front().from), 1, 1e-9);
      }
    }
  }
}

// Two lines turning by a given angle: their rails meet at the mitre up to a turn of about 160
// degrees; nearer a reversal a bevel joins the offsets' ends, so that no rail runs off towards
// where the nearly parallel offsets would cross; an exact reversal leaves them as they are. On
// either side of the path, at any distance.
TEST(RailTest, NearReversalsBevelPastTheMitreLimit) {
  enum Join { kMitre, kBevel, kNone };
  struct Case {
    double turnDeg;
    Join join;
  };
  const Case cases[] = {{90, kMitre},  {150, kMitre},        {160, kMitre}, {162, kBevel},
                        {179, kBevel}, {180 - 1e-5, kBevel}, {180, kNone}};
  for (const Case& c : cases) {
    for (const double k : {3.0, -3.0, 0.5}) {
      SCOPED_TRACE(testing::Message() << c.turnDeg << " degrees at " << k);
      const double turn = c.turnDeg * kPi / 180;
      const Point joint{100, 0};
      const Point end{100 + 100 * std::cos(turn), 100 * std::sin(turn)};
      const std::vector<PathPiece> rail =
          OffsetRail({LinePiece({0, 0}, joint), LinePiece(joint, end)}, false, k);
      ASSERT_EQ(rail.size(), c.join == kBevel ? 3u : 2u);
      const Point n2{-std::sin(turn), std::cos(turn)};  // to the left of the second line
      const Point squareEnd{100, k};
      const Point squareStart{100 + k * n2.x, k * n2.y};
      const auto at = [](Point p, Point q) { return std::hypot(p.x - q.x, p.y - q.y) < 1e-9; };
      switch (c.join) {
        case kMitre:
          EXPECT_TRUE(at(rail[0].to, rail[1].from));
          EXPECT_LE(std::hypot(rail[0].to.x - joint.x, rail[0].to.y - joint.y),
                    kMitreLimit * std::fabs(k) + 2 * std::fabs(k));
          break;
        case kBevel:
          EXPECT_TRUE(at(rail[0].to, squareEnd));
          EXPECT_FALSE(rail[1].IsArc());
          EXPECT_TRUE(at(rail[1].from, squareEnd));
          EXPECT_TRUE(at(rail[1].to, squareStart));
          EXPECT_TRUE(at(rail[2].from, squareStart));
          break;
        case kNone:
          EXPECT_TRUE(at(rail[0].to, squareEnd));
          EXPECT_TRUE(at(rail[1].from, squareStart));
          break;
      }
    }
  }
}

}  // namespace
}  // namespace gara
