// Corner pieces at the corners of a list of designated points and caps at the ends of an open
// one: where they stand, how they turn, and the room the copies between them keep.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <tuple>
#include <vector>

#include "pattern/course.h"
#include "pattern/path_examples.h"
#include "pattern/pattern_test_support.h"

namespace gara {
namespace {

constexpr double kTol = 1e-9;

using testing::FigureRecorder;
using Placed = testing::PlacedFigure;

bool Near(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y) < kTol; }

// Lays the row along the designated points as mode "2" does, checking that the count before
// the layout agrees with it.
FigureRecorder Lay(const LayoutRow& row, const std::vector<Point>& points) {
  DrawingState state;
  for (size_t i = 0; i < points.size(); ++i) {
    state.designatedPoints[i + 1] = {true, points[i].x, points[i].y, DesignatedPointKind::kPlain};
  }
  const SegmentCourse course(state, static_cast<int>(points.size()), true);
  FigureRecorder rec;
  course.Lay(row, rec);
  const CourseCount count = course.Count(row);
  EXPECT_EQ(count.figures, static_cast<double>(rec.figures.size()));
  EXPECT_EQ(count.others[size_t(FigureSlot::kCorner)],
            static_cast<double>(rec.Of(FigureSlot::kCorner).size()));
  return rec;
}

LayoutRow FrameRow(double referenceOffset, bool caps = false) {
  return {.width = 10,
          .height = 6,
          .evenSpacing = true,
          .interval = 2,
          .referenceOffset = referenceOffset,
          .corner = {true, 8},
          .startCap = {caps, 5},
          .endCap = {caps, 7}};
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
// lines meet, turned as the path arrives there; each side's copies keep half the piece and the
// interval from both corners, or, the side too short, there are none but the pieces stand.
TEST(CornerTest, ClosedFramesGetOnePieceAtEveryCorner) {
  const std::vector<Point> rectangle = {{0, 0}, {100, 0}, {100, 60}, {0, 60}, {0, 0}};
  const std::vector<Point> triangle = {{0, 0}, {90, 0}, {45, 45 * std::sqrt(3.0)}, {0, 0}};
  struct Case {
    std::vector<Point> points;
    double referenceOffset;  // 中 3, 下 0
    bool roomy = true;       // room on every side for copies
  };
  for (const Case& c :
       {Case{rectangle, 3}, Case{rectangle, 0}, Case{triangle, 3}, Case{triangle, 0},
        Case{{{0, 0}, {12, 0}, {12, 12}, {0, 12}, {0, 0}}, 3, false}}) {
    const FigureRecorder rec = Lay(FrameRow(c.referenceOffset), c.points);
    const size_t sides = c.points.size() - 1;
    const std::vector<Placed> corners = rec.Of(FigureSlot::kCorner);
    ASSERT_EQ(corners.size(), sides);
    // The copies of each side follow the corner piece at its start.
    std::vector<std::vector<Point>> copies(sides);
    size_t side = sides - 1;
    for (const Placed& f : rec.figures) {
      if (f.slot == FigureSlot::kCorner) {
        side = (side + 1) % sides;
      } else {
        copies.at(side).push_back(f.at);
      }
    }
    for (size_t i = 0; i < sides; ++i) {
      // Side i runs from point i to point i + 1; its corner piece stands at point i.
      const Point a = c.points[(i + sides - 1) % sides], p = c.points[i], q = c.points[i + 1];
      const Point m = Meet(a, p, q, 3 - c.referenceOffset);
      EXPECT_TRUE(Near(corners[i].at, m)) << i;
      EXPECT_NEAR(std::remainder(corners[i].angle - std::atan2(p.y - a.y, p.x - a.x), 2 * kPi), 0,
                  kTol);
      const double len = std::hypot(q.x - p.x, q.y - p.y);
      const auto along = [&](Point x) {
        return ((x.x - p.x) * (q.x - p.x) + (x.y - p.y) * (q.y - p.y)) / len;
      };
      ASSERT_EQ(copies[i].empty(), !c.roomy) << i;
      if (!c.roomy) continue;
      EXPECT_NEAR(along(copies[i].front()) - 5, along(corners[i].at) + 4 + 2, kTol) << i;
      EXPECT_NEAR(along(copies[i].back()) + 5, along(corners[(i + 1) % sides].at) - 4 - 2, kTol);
    }
  }
}

// An open list: the start cap begins at point 1, the end cap ends at point 3, the corner piece
// stands at point 2, and the copies keep the interval from each.
TEST(CornerTest, OpenListGetsCapsAtItsEndsAndPiecesAtItsCorners) {
  const FigureRecorder rec = Lay(FrameRow(3, true), {{0, 0}, {60, 0}, {60, 40}});
  const std::tuple<FigureSlot, Point, double> pieces[] = {{FigureSlot::kStart, {2.5, 0}, 0},
                                                          {FigureSlot::kCorner, {60, 0}, 0},
                                                          {FigureSlot::kEnd, {60, 36.5}, kPi / 2}};
  for (const auto& [slot, at, angle] : pieces) {
    const std::vector<Placed> placed = rec.Of(slot);
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_TRUE(Near(placed[0].at, at)) << placed[0].at.x << " " << placed[0].at.y;
    EXPECT_NEAR(placed[0].angle, angle, kTol);
  }
  const std::vector<Placed> copies = rec.Of(FigureSlot::kMain);
  ASSERT_GE(copies.size(), 2u);
  EXPECT_NEAR(copies.front().at.x - 5, 5 + 2, kTol);  // after the start cap and the interval
  EXPECT_NEAR(copies.back().at.y + 5, 40 - 7 - 2, kTol);
}

// Mode "4": corner pieces only where the path turns sharply, caps at the ends of an open path;
// the count before the layout agrees with it.
TEST(CornerTest, PathsGetPiecesAtSharpJointsOnly) {
  const LayoutRow row = FrameRow(3, true);
  struct Case {
    std::vector<PathPiece> pieces;
    size_t corners, caps;
  };
  const std::vector<PathPiece> triangle = {LinePiece({0, 0}, {40, 0}), LinePiece({40, 0}, {40, 40}),
                                           LinePiece({40, 40}, {0, 0})};
  const Case cases[] = {
      {testing::RoundedRectangle(), 0, 0},  // closed, every joint smooth
      {testing::Polyline({{0, 0}, {50, 0}, {50, 40}}), 1, 2},
      {{LinePiece({0, 0}, {50, 0}), ArcPiece({50, 20}, 20, 1, 0, -kPi / 2, kPi)}, 0, 2},
      {testing::Polyline({{0, 0}, {40, 0}, {40, 40}, {0, 0}}), 3, 0},
  };
  for (const Case& c : cases) {
    const LaidPath laid = SplitRuns(ChainPieces(c.pieces).at(0));
    FigureRecorder rec;
    LayoutPath(row, laid, rec);
    const std::vector<Placed> corners = rec.Of(FigureSlot::kCorner);
    EXPECT_EQ(corners.size(), c.corners);
    EXPECT_EQ(rec.Of(FigureSlot::kStart).size() + rec.Of(FigureSlot::kEnd).size(), c.caps);
    EXPECT_EQ(PathCopies(row, laid).figures, static_cast<double>(rec.figures.size()));
    // With the reference in the middle a corner piece stands on the joint itself.
    for (const Placed& corner : corners) {
      EXPECT_TRUE(std::any_of(c.pieces.begin(), c.pieces.end(),
                              [&](const PathPiece& p) { return Near(p.from, corner.at); }));
    }
  }
}

// The pattern along the course as the drawing run lays it out, checking that the count before
// the layout agrees with it.
struct Laid {
  FigureRecorder rec;
  CourseCount count;
};
Laid LayCourse(const LayoutRow& row, const Course& course) {
  Laid laid;
  course.Lay(row, laid.rec);
  laid.count = course.Count(row);
  EXPECT_EQ(laid.count.figures, static_cast<double>(laid.rec.figures.size()));
  return laid;
}

// Designated points 1..n of modes "1" and "2", or the lines between them as the selection of
// mode "4".
enum class Mode { kTwoPoint, kMultiPoint, kPath };
std::unique_ptr<Course> CourseOf(Mode mode, const std::vector<Point>& points) {
  if (mode == Mode::kPath) {
    return std::make_unique<PathCourse>(ChainPieces(testing::Polyline(points)));
  }
  DrawingState state;
  for (size_t i = 0; i < points.size(); ++i) {
    state.designatedPoints[i + 1] = {true, points[i].x, points[i].y, DesignatedPointKind::kPlain};
  }
  return std::make_unique<SegmentCourse>(state, static_cast<int>(points.size()),
                                         mode == Mode::kMultiPoint);
}

// A turn of nearly 180 degrees: the middle lines of its sides would meet far away, so the corner
// piece stands at the designated point, across it as on a straight run of the side it ends, and
// both sides keep their copies from there, as many as a side with one corner piece takes.
// Nothing goes farther than the figure's height from the points.
TEST(CornerTest, NearReversalsKeepThePieceAtTheCorner) {
  for (const Mode mode : {Mode::kMultiPoint, Mode::kPath}) {
    for (const double referenceOffset : {0.0, 6.0}) {  // 下 and 上
      for (const double tip : {1.745, 0.0001, 1.745e-5}) {
        // A selection whose ends lie this close meets itself: a closed path, two corners.
        if (mode == Mode::kPath && tip < 1e-3) continue;
        SCOPED_TRACE(::testing::Message() << int(mode) << " " << referenceOffset << " " << tip);
        LayoutRow row = FrameRow(referenceOffset);
        row.width = 12;
        row.interval = 4;
        row.corner = {true, 7};
        const std::vector<Point> points = {{0, 0}, {100, 0}, {0, tip}};
        const Laid laid = LayCourse(row, *CourseOf(mode, points));
        const std::vector<Placed> corners = laid.rec.Of(FigureSlot::kCorner);
        ASSERT_EQ(corners.size(), 1u);
        EXPECT_NEAR(corners[0].at.x, 100, 1e-6);
        EXPECT_NEAR(corners[0].at.y, 3 - referenceOffset, 1e-6);
        const double perSide = PlanRun(row, 100 - 3.5 - 4, RunEnds::kOpen).count;
        ASSERT_GT(perSide, 0);
        EXPECT_EQ(static_cast<double>(laid.rec.Of(FigureSlot::kMain).size()), 2 * perSide);
        for (const Placed& f : laid.rec.figures) {
          EXPECT_TRUE(f.at.x > -6 && f.at.x < 106 && f.at.y > -6 && f.at.y < 6 + tip)
              << f.at.x << " " << f.at.y;
        }
      }
    }
  }
}

// Records the lines a layout draws.
class LineRecorder final : public PathSink {
 public:
  std::vector<std::array<Point, 2>> lines;
  void Attributes() override {}
  void Figure(FigureSlot, double, double, double, double) override {}
  void Line(double x1, double y1, double x2, double y2) override {
    lines.push_back({Point{x1, y1}, Point{x2, y2}});
  }
  void Arc(double, double, double, double, double) override {}
  void Circle(double, double, double) override {}
};

// Full-length lines at a turn of nearly 180 degrees end square at the corner, one bevel joining
// each to its continuation, rather than running off to where they would cross; at an exact
// reversal they stay square with nothing between, as before. The corner of a closed list and
// path (its first point) too.
TEST(CornerTest, FullLengthLinesBevelAtNearReversals) {
  struct Case {
    std::vector<Point> points;
    double cornerX;  // of the near reversal
    size_t bevels;   // the top and middle lines; the bottom one lies on the path
  };
  const Case cases[] = {
      {{{0, 0}, {100, 0}, {50, 1.745e-5}}, 100, 2},
      {{{0, 0}, {100, 0}, {50, 0}}, 100, 0},
      {{{0, 0}, {100, 0}, {100, 1}, {0, 0}}, 0, 2},
  };
  for (const Mode mode : {Mode::kMultiPoint, Mode::kPath}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::Message()
                   << int(mode) << " " << c.points.size() << " " << c.points[2].y);
      LayoutRow row = FrameRow(0);
      row.corner.on = false;
      row.lineModes = {LineMode::kFullLength, LineMode::kFullLength, LineMode::kFullLength};
      LineRecorder rec;
      CourseOf(mode, c.points)->Lay(row, rec);
      size_t bevels = 0;
      for (const auto& [a, b] : rec.lines) {
        for (const Point p : {a, b}) {
          EXPECT_TRUE(p.x > -6 && p.x < 106 && std::fabs(p.y) < 7) << p.x << " " << p.y;
        }
        bevels += std::fabs(a.x - c.cornerX) < 0.1 && std::fabs(b.x - c.cornerX) < 0.1;
      }
      EXPECT_EQ(bevels, c.bevels);
    }
  }
}

// Corner pieces and caps that do not fit their run are left out and counted, by one rule in
// every run mode: a piece whose room passes the other end of its run, and two that each fit
// but overlap. The rest is drawn as on a run without them.
TEST(CornerTest, PiecesThatDoNotFitTheirRunAreLeftOut) {
  struct Case {
    const char* name;
    Mode mode;
    std::vector<Point> points;
    double startCap, endCap, corner;  // widths, 0 for none
    std::array<double, 3> leftOut;    // corner pieces, start caps, end caps
  };
  const std::vector<Point> step = {{0, 0}, {100, 0}, {100, 4}, {200, 4}};  // a side 4 long
  const std::vector<Point> hook = {{0, 0}, {5, 0}, {5, 100}};
  const Case cases[] = {
      {"wide start cap", Mode::kTwoPoint, {{0, 0}, {100, 0}}, 1000, 6, 0, {0, 1, 0}},
      {"zero-length run", Mode::kTwoPoint, {{0, 0}, {0, 0}}, 5, 7, 0, {0, 1, 1}},
      {"caps overlapping", Mode::kTwoPoint, {{0, 0}, {100, 0}}, 60, 60, 0, {0, 1, 1}},
      {"caps filling the run", Mode::kTwoPoint, {{0, 0}, {100, 0}}, 60, 40, 0, {0, 0, 0}},
      {"corners on a short side", Mode::kMultiPoint, step, 0, 0, 8, {2, 0, 0}},
      {"cap on a short side", Mode::kMultiPoint, hook, 5.5, 0, 8, {0, 1, 0}},
      {"wide start cap on a line", Mode::kPath, {{0, 0}, {100, 0}}, 1000, 6, 0, {0, 1, 0}},
      {"corners on a short piece", Mode::kPath, step, 0, 0, 8, {2, 0, 0}},
      {"cap on a short piece", Mode::kPath, hook, 5.5, 0, 8, {0, 1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LayoutRow row = FrameRow(3);
    row.corner = {c.corner > 0, c.corner};
    row.startCap = {c.startCap > 0, c.startCap};
    row.endCap = {c.endCap > 0, c.endCap};
    const Laid laid = LayCourse(row, *CourseOf(c.mode, c.points));
    const FigureSlot slots[] = {FigureSlot::kCorner, FigureSlot::kStart, FigureSlot::kEnd};
    const double inner = static_cast<double>(c.points.size()) - 2;
    const double present[] = {c.corner > 0 ? inner : 0, c.startCap > 0 ? 1.0 : 0,
                              c.endCap > 0 ? 1.0 : 0};
    for (size_t i = 0; i < 3; ++i) {
      const size_t slot = size_t(slots[i]);
      EXPECT_EQ(laid.count.leftOut[slot], c.leftOut[i]) << i;
      EXPECT_EQ(static_cast<double>(laid.rec.Of(slots[i]).size()), present[i] - c.leftOut[i]) << i;
    }
    // A run whose caps are left out takes its copies from end to end, as one without caps.
    if (c.mode == Mode::kTwoPoint && c.leftOut[1] + c.leftOut[2] == 2) {
      const double length = Distance(0, 0, c.points[1].x, c.points[1].y);
      EXPECT_EQ(static_cast<double>(laid.rec.figures.size()),
                PlanRun(row, length, RunEnds::kOpen).count);
    }
  }
}

}  // namespace
}  // namespace gara
