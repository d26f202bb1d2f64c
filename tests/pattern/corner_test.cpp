// Corner pieces at the corners of a list of designated points and caps at the ends of an open
// one: where they stand, how they turn, and the room the copies between them keep.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "pattern/course.h"
#include "pattern/path_examples.h"

namespace gara {
namespace {

constexpr double kTol = 1e-9;

struct Placed {
  FigureSlot slot;
  Point at;
  double angle;
};

class Recorder final : public PathSink {
 public:
  std::vector<Placed> figures;
  void Attributes() override {}
  void Figure(FigureSlot slot, double x, double y, double angle, double) override {
    figures.push_back({slot, {x, y}, angle});
  }
  void Line(double, double, double, double) override {}
  void Arc(double, double, double, double, double) override {}
  void Circle(double, double, double) override {}
  std::vector<Placed> Of(FigureSlot slot) const {
    std::vector<Placed> out;
    for (const Placed& f : figures) {
      if (f.slot == slot) out.push_back(f);
    }
    return out;
  }
};

// Lays the row along the designated points as mode "2" does, checking that the count before
// the layout agrees with it.
Recorder Lay(const LayoutRow& row, const std::vector<Point>& points) {
  DrawingState state;
  for (size_t i = 0; i < points.size(); ++i) {
    state.designatedPoints[i + 1] = {true, points[i].x, points[i].y, DesignatedPointKind::kPlain};
  }
  const SegmentCourse course(state, static_cast<int>(points.size()), true);
  Recorder rec;
  course.Lay(row, rec);
  const CourseCount count = course.Count(row);
  EXPECT_EQ(count.figures, static_cast<double>(rec.figures.size()));
  EXPECT_EQ(count.others[size_t(FigureSlot::kCorner)],
            static_cast<double>(rec.Of(FigureSlot::kCorner).size()));
  return rec;
}

LayoutRow FrameRow(double referenceOffset) {
  LayoutRow row;
  row.width = 10;
  row.height = 6;
  row.interval = 2;
  row.evenSpacing = true;
  row.referenceOffset = referenceOffset;
  row.corner = {true, 8};
  return row;
}

// The corner piece's centre: where the lines k to the left of a-b and b-c meet.
Point Meet(Point a, Point b, Point c, double k) {
  const auto left = [](Point p, Point q) {
    const double len = std::hypot(q.x - p.x, q.y - p.y);
    return Point{-(q.y - p.y) / len, (q.x - p.x) / len};
  };
  const Point n1 = left(a, b), n2 = left(b, c);
  const double f = k / (1 + n1.x * n2.x + n1.y * n2.y);
  return {b.x + f * (n1.x + n2.x), b.y + f * (n1.y + n2.y)};
}

// Closed frames, counter-clockwise: one corner piece at every corner, centred where the middle
// lines meet and turned as the path arrives there; on each side the copies keep half the piece
// and the interval from both corners.
TEST(CornerTest, ClosedFramesGetOnePieceAtEveryCorner) {
  const std::vector<Point> rectangle = {{0, 0}, {100, 0}, {100, 60}, {0, 60}, {0, 0}};
  const std::vector<Point> triangle = {{0, 0}, {90, 0}, {45, 45 * std::sqrt(3.0)}, {0, 0}};
  struct Case {
    std::vector<Point> points;
    double referenceOffset;  // 中 3, 下 0
  };
  for (const Case& c :
       {Case{rectangle, 3}, Case{rectangle, 0}, Case{triangle, 3}, Case{triangle, 0}}) {
    const LayoutRow row = FrameRow(c.referenceOffset);
    const Recorder rec = Lay(row, c.points);
    const size_t sides = c.points.size() - 1;
    const std::vector<Placed> corners = rec.Of(FigureSlot::kCorner);
    ASSERT_EQ(corners.size(), sides);
    const double k = 3 - c.referenceOffset;
    for (size_t i = 0; i < sides; ++i) {
      // Side i runs from point i to point i + 1; its corner piece stands at point i.
      const Point a = c.points[(i + sides - 1) % sides], b = c.points[i];
      const Point m = Meet(a, b, c.points[i + 1], k);
      EXPECT_NEAR(corners[i].at.x, m.x, kTol);
      EXPECT_NEAR(corners[i].at.y, m.y, kTol);
      EXPECT_NEAR(std::remainder(corners[i].angle - std::atan2(b.y - a.y, b.x - a.x), 2 * kPi), 0,
                  kTol);
    }
    // The copies of each side, in order, between the corner pieces at its ends.
    size_t next = 0;
    for (size_t i = 0; i < sides; ++i) {
      const Point p = c.points[i], q = c.points[i + 1];
      const double len = std::hypot(q.x - p.x, q.y - p.y);
      const Point u{(q.x - p.x) / len, (q.y - p.y) / len};
      const auto along = [&](Point x) { return (x.x - p.x) * u.x + (x.y - p.y) * u.y; };
      const double first = along(corners[i].at) + 4 + 2;
      const double last = along(corners[(i + 1) % sides].at) - 4 - 2;
      std::vector<double> centres;
      for (; next < rec.figures.size(); ++next) {
        if (rec.figures[next].slot == FigureSlot::kCorner) {
          if (!centres.empty()) break;
          continue;
        }
        centres.push_back(along(rec.figures[next].at));
      }
      ASSERT_FALSE(centres.empty()) << i;
      EXPECT_NEAR(centres.front() - 5, first, kTol) << i;
      EXPECT_NEAR(centres.back() + 5, last, kTol) << i;
    }
  }
}

// An open list: the start cap begins at point 1, the end cap ends at point 3, the corner piece
// stands at point 2, and the copies keep the interval from each.
TEST(CornerTest, OpenListGetsCapsAtItsEndsAndPiecesAtItsCorners) {
  LayoutRow row = FrameRow(3);
  row.startCap = {true, 5};
  row.endCap = {true, 7};
  const Recorder rec = Lay(row, {{0, 0}, {60, 0}, {60, 40}});
  const std::vector<Placed> start = rec.Of(FigureSlot::kStart), end = rec.Of(FigureSlot::kEnd);
  const std::vector<Placed> corners = rec.Of(FigureSlot::kCorner);
  ASSERT_EQ(start.size(), 1u);
  ASSERT_EQ(end.size(), 1u);
  ASSERT_EQ(corners.size(), 1u);
  EXPECT_NEAR(start[0].at.x, 2.5, kTol);
  EXPECT_NEAR(start[0].at.y, 0, kTol);
  EXPECT_NEAR(end[0].at.x, 60, kTol);
  EXPECT_NEAR(end[0].at.y, 40 - 3.5, kTol);
  EXPECT_NEAR(end[0].angle, kPi / 2, kTol);
  EXPECT_NEAR(corners[0].at.x, 60, kTol);
  EXPECT_NEAR(corners[0].at.y, 0, kTol);
  const std::vector<Placed> copies = rec.Of(FigureSlot::kMain);
  ASSERT_GE(copies.size(), 2u);
  EXPECT_NEAR(copies.front().at.x - 5, 5 + 2, kTol);  // after the start cap and the interval
  EXPECT_NEAR(copies.back().at.y + 5, 40 - 7 - 2, kTol);
}

// Too short a side takes no copy; its corner pieces stand all the same. Without pieces or caps
// nothing changes.
TEST(CornerTest, ShortSidesKeepTheirCornerPieces) {
  const Recorder rec = Lay(FrameRow(3), {{0, 0}, {12, 0}, {12, 12}, {0, 12}, {0, 0}});
  EXPECT_EQ(rec.Of(FigureSlot::kCorner).size(), 4u);
  EXPECT_EQ(rec.Of(FigureSlot::kMain).size(), 0u);
}

// Mode "4": corner pieces only where the path turns sharply, caps at the ends of an open path;
// the count before the layout agrees with it.
TEST(CornerTest, PathsGetPiecesAtSharpJointsOnly) {
  LayoutRow row = FrameRow(3);
  row.startCap = {true, 5};
  row.endCap = {true, 7};
  struct Case {
    std::vector<PathPiece> pieces;
    size_t corners, caps;
  };
  const Case cases[] = {
      {testing::RoundedRectangle(), 0, 0},  // closed, every joint smooth
      {{LinePiece({0, 0}, {50, 0}), LinePiece({50, 0}, {50, 40})}, 1, 2},
      {{LinePiece({0, 0}, {50, 0}), ArcPiece({50, 20}, 20, 1, 0, -kPi / 2, kPi)}, 0, 2},
      {{LinePiece({0, 0}, {40, 0}), LinePiece({40, 0}, {40, 40}), LinePiece({40, 40}, {0, 0})},
       3,
       0},  // a closed triangle
  };
  for (const Case& c : cases) {
    const LaidPath laid = SplitRuns(ChainPieces(c.pieces, 1e-6).at(0));
    Recorder rec;
    LayoutPath(row, laid, rec);
    const std::vector<Placed> corners = rec.Of(FigureSlot::kCorner);
    EXPECT_EQ(corners.size(), c.corners);
    EXPECT_EQ(rec.Of(FigureSlot::kStart).size() + rec.Of(FigureSlot::kEnd).size(), c.caps);
    EXPECT_EQ(PathCopies(row, laid).figures, static_cast<double>(rec.figures.size()));
    // With the reference in the middle a corner piece stands on the joint itself.
    for (const Placed& corner : corners) {
      const bool onJoint = std::any_of(c.pieces.begin(), c.pieces.end(), [&](const PathPiece& p) {
        return std::hypot(p.from.x - corner.at.x, p.from.y - corner.at.y) < kTol;
      });
      EXPECT_TRUE(onJoint) << corner.at.x << " " << corner.at.y;
    }
  }
}

}  // namespace
}  // namespace gara
