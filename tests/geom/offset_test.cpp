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

}  // namespace
}  // namespace gara
