#include "pattern/layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "settings/settings.h"

namespace gara {
namespace {

constexpr double kTol = 1e-9;

// The layout as a list of steps, in the order the sink received them.
struct Step {
  enum Kind { kAttributes, kFigure, kLine } kind;
  double a = 0, b = 0, c = 0, d = 0;  // figure: x, y, angle, stretch; line: x1, y1, x2, y2
  FigureSlot slot = FigureSlot::kMain;
};

class Recorder final : public LayoutSink {
 public:
  void Attributes() override { steps.push_back({Step::kAttributes}); }
  void Figure(FigureSlot slot, double x, double y, double angle, double stretch) override {
    steps.push_back({Step::kFigure, x, y, angle, stretch, slot});
  }
  void Line(double x1, double y1, double x2, double y2) override {
    steps.push_back({Step::kLine, x1, y1, x2, y2});
  }
  std::vector<Step> Of(Step::Kind kind) const {
    std::vector<Step> out;
    for (const Step& s : steps) {
      if (s.kind == kind) out.push_back(s);
    }
    return out;
  }
  std::vector<Step> steps;
};

struct Seg {
  double x1, y1, x2, y2;
};

void ExpectLines(const std::vector<Step>& lines, const std::vector<Seg>& expected) {
  ASSERT_EQ(lines.size(), expected.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_NEAR(lines[i].a, expected[i].x1, kTol) << "line " << i;
    EXPECT_NEAR(lines[i].b, expected[i].y1, kTol) << "line " << i;
    EXPECT_NEAR(lines[i].c, expected[i].x2, kTol) << "line " << i;
    EXPECT_NEAR(lines[i].d, expected[i].y2, kTol) << "line " << i;
  }
}

LayoutRow Resolve(const PatternRow& row) { return ResolveRow(&row); }

PatternRow Row(double w, double h, int32_t arrangement, double d, int32_t reference) {
  PatternRow r;
  r.width = w;
  r.height = h;
  r.arrangement = arrangement;
  r.interval = d;
  r.referencePoint = reference;
  return r;
}

Recorder Layout(const PatternRow& row, const std::vector<Point>& points, int j = 1) {
  Recorder rec;
  LayoutSegment(Resolve(row), points, j, rec, 1e6);
  return rec;
}

const std::vector<Point> kHundred = {{0, 0}, {100, 0}};

// The worked layout: P = (0, 0), Q = (100, 0), W = 10, H = 6.
struct WorkedCase {
  const char* name;
  int32_t arrangement;
  double interval;
  std::vector<double> lowerLeftX;
};

void PrintTo(const WorkedCase& c, std::ostream* os) { *os << c.name; }

class WorkedLayoutTest : public ::testing::TestWithParam<WorkedCase> {};

TEST_P(WorkedLayoutTest, FigurePositionsForEveryReference) {
  const WorkedCase& c = GetParam();
  const double centreY[3] = {-3, 0, 3};  // "上", "中", "下"
  for (int32_t reference = 0; reference < 3; ++reference) {
    const Recorder rec = Layout(Row(10, 6, c.arrangement, c.interval, reference), kHundred);
    const auto figures = rec.Of(Step::kFigure);
    ASSERT_EQ(figures.size(), c.lowerLeftX.size());
    for (size_t i = 0; i < figures.size(); ++i) {
      EXPECT_NEAR(figures[i].a, c.lowerLeftX[i] + 5, kTol) << i;
      EXPECT_NEAR(figures[i].b, centreY[reference], kTol) << i;
      EXPECT_EQ(figures[i].c, 0.0);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, WorkedLayoutTest,
    ::testing::Values(WorkedCase{"IntervalFive", 0, 5, {0, 15, 30, 45, 60, 75, 90}},
                      WorkedCase{"IntervalFour", 0, 4, {3, 17, 31, 45, 59, 73, 87}},
                      WorkedCase{"EvenIntervalFour", 1, 4, {0, 15, 30, 45, 60, 75, 90}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LayoutTest, EmissionOrderAttributesFigureAttributes) {
  PatternRow row = Row(10, 6, 0, 4, 2);
  row.topLine = 1;
  const Recorder rec = Layout(row, kHundred);
  // Attributes, leading gap, then per figure: figure, attributes, gap (not after the last),
  // then the trailing gap.
  std::vector<Step::Kind> kinds;
  for (const Step& s : rec.steps) kinds.push_back(s.kind);
  std::vector<Step::Kind> expected = {Step::kAttributes, Step::kLine};
  for (int i = 0; i < 7; ++i) {
    expected.push_back(Step::kFigure);
    expected.push_back(Step::kAttributes);
    expected.push_back(Step::kLine);
  }
  EXPECT_EQ(kinds, expected);
}

TEST(LayoutTest, WorkedGapLines) {
  PatternRow row = Row(10, 6, 0, 4, 2);
  row.topLine = 1;
  ExpectLines(Layout(row, kHundred).Of(Step::kLine), {{0, 6, 3, 6},
                                                      {13, 6, 17, 6},
                                                      {27, 6, 31, 6},
                                                      {41, 6, 45, 6},
                                                      {55, 6, 59, 6},
                                                      {69, 6, 73, 6},
                                                      {83, 6, 87, 6},
                                                      {97, 6, 100, 6}});
}

TEST(LayoutTest, WorkedFullLengthLine) {
  PatternRow row = Row(10, 6, 0, 4, 2);
  row.topLine = 2;
  ExpectLines(Layout(row, kHundred).Of(Step::kLine), {{0, 6, 100, 6}});
}

TEST(LayoutTest, LinesInOrderTopMiddleBottom) {
  PatternRow row = Row(10, 6, 0, 4, 0);  // "上": the segment is the top edge
  row.topLine = 1;
  row.middleLine = 1;
  row.bottomLine = 2;
  const auto lines = Layout(row, kHundred).Of(Step::kLine);
  ASSERT_EQ(lines.size(), 8u * 2 + 1);
  EXPECT_NEAR(lines[0].b, 0, kTol);    // top of the leading gap
  EXPECT_NEAR(lines[1].b, -3, kTol);   // middle
  EXPECT_NEAR(lines[16].b, -6, kTol);  // bottom, full length, last
  EXPECT_NEAR(lines[16].a, 0, kTol);
  EXPECT_NEAR(lines[16].c, 100, kTol);
}

TEST(LayoutTest, LineModesOutsideTheListDrawNothing) {
  PatternRow row = Row(10, 6, 0, 4, 2);
  row.topLine = 3;
  row.middleLine = -1;
  row.bottomLine = 7;
  EXPECT_TRUE(Layout(row, kHundred).Of(Step::kLine).empty());
}

TEST(LayoutTest, ExactFitDrawsNoEndGaps) {
  PatternRow row = Row(10, 6, 0, 5, 2);  // 7 * 10 + 6 * 5 = 100
  row.topLine = 1;
  ExpectLines(Layout(row, kHundred).Of(Step::kLine), {{10, 6, 15, 6},
                                                      {25, 6, 30, 6},
                                                      {40, 6, 45, 6},
                                                      {55, 6, 60, 6},
                                                      {70, 6, 75, 6},
                                                      {85, 6, 90, 6}});
}

TEST(LayoutTest, TouchingFiguresDrawOnlyEndGaps) {
  PatternRow row = Row(30, 6, 0, 0, 2);  // n = 3, a = 5
  row.topLine = 1;
  const Recorder rec = Layout(row, kHundred);
  EXPECT_EQ(rec.Of(Step::kFigure).size(), 3u);
  ExpectLines(rec.Of(Step::kLine), {{0, 6, 5, 6}, {95, 6, 100, 6}});
}

TEST(LayoutTest, SegmentShorterThanOneFigure) {
  PatternRow row = Row(10, 6, 0, 4, 2);
  row.topLine = 1;
  const std::vector<Point> shortSeg = {{0, 0}, {8, 0}};
  // n = 0: a = (L + D) / 2 = 6; the trailing gap runs from B1 (E never moved) to B2.
  const Recorder rec = Layout(row, shortSeg);
  EXPECT_TRUE(rec.Of(Step::kFigure).empty());
  ExpectLines(rec.Of(Step::kLine), {{0, 6, 6, 6}, {0, 6, 8, 6}});

  row.arrangement = 1;
  row.middleLine = 2;
  ExpectLines(Layout(row, shortSeg).Of(Step::kLine), {{0, 3, 8, 3}});
}

TEST(LayoutTest, EvenSpacingWithOneFigureCentresIt) {
  PatternRow row = Row(60, 6, 1, 50, 2);  // (100 + 50) / (60 + 50): n = 1
  row.topLine = 1;
  const Recorder rec = Layout(row, kHundred);
  const auto figures = rec.Of(Step::kFigure);
  ASSERT_EQ(figures.size(), 1u);
  EXPECT_NEAR(figures[0].a, 50, kTol);
  EXPECT_NEAR(figures[0].b, 3, kTol);
  for (const Step& s : rec.steps) {
    EXPECT_TRUE(std::isfinite(s.a) && std::isfinite(s.b) && std::isfinite(s.c) &&
                std::isfinite(s.d));
  }
  // The leftover length is split between the two ends.
  ExpectLines(rec.Of(Step::kLine), {{0, 6, 20, 6}, {80, 6, 100, 6}});
}

TEST(LayoutTest, EvenSpacingSpreadsTheLeftover) {
  PatternRow row = Row(10, 6, 1, 0, 2);  // n = 10, exact fit, D' = 0
  row.topLine = 1;
  const Recorder rec = Layout(row, kHundred);
  EXPECT_EQ(rec.Of(Step::kFigure).size(), 10u);
  EXPECT_TRUE(rec.Of(Step::kLine).empty());

  row.width = 30;  // n = 3, D' = 5
  const Recorder three = Layout(row, kHundred);
  const auto figures = three.Of(Step::kFigure);
  ASSERT_EQ(figures.size(), 3u);
  EXPECT_NEAR(figures[0].a, 15, kTol);
  EXPECT_NEAR(figures[1].a, 50, kTol);
  EXPECT_NEAR(figures[2].a, 85, kTol);
  ExpectLines(three.Of(Step::kLine), {{30, 6, 35, 6}, {65, 6, 70, 6}});
}

TEST(LayoutTest, StoredRowWithoutWidthOrHeightDrawsNothing) {
  for (const auto& [w, h] :
       std::vector<std::pair<double, double>>{{1e-8, 6}, {0, 6}, {-3, 6}, {10, 1e-8}, {10, 0}}) {
    PatternRow row = Row(w, h, 0, 0, 1);
    row.middleLine = 2;
    EXPECT_TRUE(Layout(row, kHundred).steps.empty()) << w << " " << h;
  }
  PatternRow barely = Row(2e-8, 6, 0, 0, 1);
  barely.middleLine = 2;
  EXPECT_GT(PlanRun(Resolve(barely), 1, RunEnds::kOpen).count, 1e6);
}

TEST(LayoutTest, NoRowSelectedUsesTheDefaults) {
  for (int32_t selected : {0, 13, -1}) {
    Settings s;
    s.rows[0] = Row(0, 0, 1, 3, 0);  // row 1 would draw nothing
    s.selectedRow = selected;
    const LayoutRow row = ResolveRow(s.Row(s.selectedRow));
    EXPECT_EQ(row.width, 10.0);
    EXPECT_EQ(row.height, 10.0);
    EXPECT_EQ(row.interval, 0.0);
    EXPECT_FALSE(row.evenSpacing);
    EXPECT_EQ(row.referenceOffset, 5.0);
    EXPECT_EQ(row.figureKind, FigureKind::kSelected);
    Recorder rec;
    LayoutSegment(row, kHundred, 1, rec, 1e6);
    const auto figures = rec.Of(Step::kFigure);
    ASSERT_EQ(figures.size(), 10u);
    EXPECT_NEAR(figures[0].a, 5, kTol);
    EXPECT_NEAR(figures[0].b, 0, kTol);
    EXPECT_TRUE(rec.Of(Step::kLine).empty());
  }
}

TEST(LayoutTest, ReferenceOutsideTheListActsAsMiddle) {
  const Recorder rec = Layout(Row(10, 6, 0, 5, 7), kHundred);
  EXPECT_NEAR(rec.Of(Step::kFigure)[0].b, 0, kTol);
}

// A segment at each angle: copies stand on its up side with reference "下".
struct AngleCase {
  const char* name;
  Point q;
  double angle;
  Point firstCentre;
};

void PrintTo(const AngleCase& c, std::ostream* os) { *os << c.name; }

class SegmentAngleTest : public ::testing::TestWithParam<AngleCase> {};

TEST_P(SegmentAngleTest, FiguresTurnWithTheSegment) {
  const AngleCase& c = GetParam();
  const Recorder rec = Layout(Row(10, 6, 0, 0, 2), {{0, 0}, c.q});
  const auto figures = rec.Of(Step::kFigure);
  ASSERT_FALSE(figures.empty());
  EXPECT_NEAR(figures[0].a, c.firstCentre.x, kTol);
  EXPECT_NEAR(figures[0].b, c.firstCentre.y, kTol);
  EXPECT_NEAR(figures[0].c, c.angle, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Quadrants, SegmentAngleTest,
                         ::testing::Values(AngleCase{"East", {100, 0}, 0, {5, 3}},
                                           AngleCase{"North", {0, 100}, kPi / 2, {-3, 5}},
                                           AngleCase{"West", {-100, 0}, kPi, {-5, -3}},
                                           AngleCase{"South", {0, -100}, 3 * kPi / 2, {3, -5}},
                                           AngleCase{"NorthEast",
                                                     {60, 80},
                                                     std::atan2(80, 60),
                                                     {0.6 * 5 - 0.8 * 3, 0.8 * 5 + 0.6 * 3}},
                                           AngleCase{"SouthWest",
                                                     {-60, -80},
                                                     std::atan2(-80, -60) + 2 * kPi,
                                                     {-0.6 * 5 + 0.8 * 3, -0.8 * 5 - 0.6 * 3}}),
                         [](const auto& info) { return std::string(info.param.name); });

const std::vector<Point> kClosedSquare = {{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}};

TEST(CornerTest, WorkedClosedSquare) {
  PatternRow row = Row(10, 6, 0, 5, 2);
  row.topLine = 2;
  const std::vector<Seg> expected = {
      {6, 6, 94, 6}, {94, 6, 94, 94}, {94, 94, 6, 94}, {6, 94, 6, 6}};
  for (int j = 1; j <= 4; ++j) {
    ExpectLines(Layout(row, kClosedSquare, j).Of(Step::kLine), {expected[j - 1]});
  }
}

TEST(CornerTest, OpenPolylineKeepsItsOuterEndsSquare) {
  PatternRow row = Row(10, 6, 0, 5, 2);
  row.topLine = 2;
  const std::vector<Point> open = {{0, 0}, {100, 0}, {100, 100}};
  ExpectLines(Layout(row, open, 1).Of(Step::kLine), {{0, 6, 94, 6}});
  ExpectLines(Layout(row, open, 2).Of(Step::kLine), {{94, 6, 94, 100}});
}

TEST(CornerTest, OffsetsFollowTheReference) {
  // Reference "上": the top line lies on the segments, the bottom line 6 below them.
  PatternRow row = Row(10, 6, 0, 5, 0);
  row.topLine = 2;
  row.bottomLine = 2;
  ExpectLines(Layout(row, kClosedSquare, 1).Of(Step::kLine), {{0, 0, 100, 0}, {-6, -6, 106, -6}});
  // Reference "中": middle on the segment, top 3 inside the square.
  row.referencePoint = 1;
  row.bottomLine = 0;
  row.middleLine = 2;
  ExpectLines(Layout(row, kClosedSquare, 2).Of(Step::kLine), {{97, 3, 97, 97}, {100, 0, 100, 100}});
}

TEST(CornerTest, ParallelNeighbourLeavesTheEnd) {
  PatternRow row = Row(10, 6, 0, 5, 2);
  row.topLine = 2;
  const std::vector<Point> straight = {{0, 0}, {50, 0}, {100, 0}};
  ExpectLines(Layout(row, straight, 1).Of(Step::kLine), {{0, 6, 50, 6}});
}

TEST(CornerTest, RepeatedPointActsAsVerticalNeighbour) {
  PatternRow row = Row(10, 6, 0, 5, 2);
  row.topLine = 2;
  // Segment 2 is skipped by the caller, but segment 1 uses it as its next segment: the
  // collapsed neighbour line (the point (100, 100) moved 6 up) counts as the vertical line
  // x = 100.
  const std::vector<Point> repeated = {{0, 0}, {100, 100}, {100, 100}, {200, 0}};
  const auto lines = Layout(row, repeated, 1).Of(Step::kLine);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NEAR(lines[0].c, 100, 1e-7);
  EXPECT_NEAR(lines[0].d, 100 + 6 * std::sqrt(2.0), 1e-7);
}

TEST(CornerTest, VerticalSegmentsMeetAtTheirCorners) {
  PatternRow row = Row(10, 4, 0, 0, 2);
  row.bottomLine = 2;
  row.topLine = 2;
  // A zigzag of vertical and diagonal segments.
  const std::vector<Point> zig = {{0, 0}, {0, 100}, {100, 200}, {100, 300}};
  const auto lines = Layout(row, zig, 2).Of(Step::kLine);
  ASSERT_EQ(lines.size(), 2u);
  // Bottom line (k = 0): the segments themselves meet at the designated points.
  EXPECT_NEAR(lines[1].a, 0, 1e-7);
  EXPECT_NEAR(lines[1].b, 100, 1e-7);
  EXPECT_NEAR(lines[1].c, 100, 1e-7);
  EXPECT_NEAR(lines[1].d, 200, 1e-7);
  // Top line: 4 to the left of the vertical ones (x = -4 and x = 96).
  EXPECT_NEAR(lines[0].a, -4, 1e-7);
  EXPECT_NEAR(lines[0].c, 96, 1e-7);
}

TEST(FigureCountTest, QuotientTruncatedAndGuarded) {
  const LayoutRow row = Resolve(Row(10, 6, 0, 4, 1));
  LayoutRow negative = row;
  negative.interval = -20;  // (100 - 20) / (10 - 20) < 0
  LayoutRow cancelling = row;
  cancelling.interval = -10;  // 0 / 0 on a run of length 10
  struct Case {
    const LayoutRow& row;
    double length;
    RunEnds ends;
    double count;
  };
  for (const Case& c : std::vector<Case>{{row, 100, RunEnds::kOpen, 7},
                                         {row, 9.99, RunEnds::kOpen, 0},
                                         {row, 100, RunEnds::kClosed, 7},  // 100 / 14
                                         {row, 97.99, RunEnds::kClosed, 6},
                                         {negative, 100, RunEnds::kOpen, 0},
                                         {negative, 100, RunEnds::kClosed, 0},
                                         {cancelling, 10, RunEnds::kOpen, 0},
                                         {cancelling, 20, RunEnds::kOpen, INFINITY}}) {
    const double count = PlanRun(c.row, c.length, c.ends).count;
    EXPECT_EQ(count, c.count) << c.length;
    EXPECT_FALSE(std::signbit(count)) << c.length;
  }
  LayoutRow tiny = row;
  tiny.width = 1e-6;
  tiny.interval = 0;
  EXPECT_GT(PlanRun(tiny, 1e6, RunEnds::kOpen).count, 9.9e11);
}

// Where the copies stand: each arrangement's gap, interval and pitch on open and closed runs.
TEST(FigureCountTest, PlanPlacesTheCopies) {
  LayoutRow interval = Resolve(Row(10, 6, 0, 4, 1));
  LayoutRow even = interval;
  even.evenSpacing = true;
  struct Case {
    const LayoutRow& row;
    double length;
    RunEnds ends;
    RunPlan plan;
  };
  for (const Case& c : std::vector<Case>{
           {interval, 100, RunEnds::kOpen, {7, 3, 4, 14}},    // 7 * 10 + 6 * 4 = 94
           {even, 100, RunEnds::kOpen, {7, 0, 5, 15}},        // 30 / 6 between
           {even, 12, RunEnds::kOpen, {1, 1, 4, 14}},         // one copy in the middle
           {interval, 100, RunEnds::kClosed, {7, 0, 4, 14}},  // one pitch apart from the start
           {even, 100, RunEnds::kClosed, {7, 0, 100.0 / 7 - 10, 100.0 / 7}}}) {
    const RunPlan plan = PlanRun(c.row, c.length, c.ends);
    EXPECT_EQ(plan.count, c.plan.count) << c.length;
    EXPECT_DOUBLE_EQ(plan.gap, c.plan.gap) << c.length;
    EXPECT_DOUBLE_EQ(plan.interval, c.plan.interval) << c.length;
    EXPECT_DOUBLE_EQ(plan.pitch, c.plan.pitch) << c.length;
  }
}

TEST(FigureCountTest, SegmentOverTheLimitIsLeftOut) {
  PatternRow r = Row(1e-6, 6, 0, 0, 1);
  r.middleLine = 2;
  Recorder rec;
  LayoutSegment(Resolve(r), kHundred, 1, rec, 1e6);
  EXPECT_TRUE(rec.steps.empty());
}

TEST(FigureCountTest, HugeCoordinatesGiveNoNonFiniteFigure) {
  const double big = std::numeric_limits<double>::max();
  Recorder rec;
  LayoutSegment(Resolve(Row(10, 6, 0, 0, 1)), std::vector<Point>{{-big, 0}, {big, 0}}, 1, rec, 1e6);
  EXPECT_TRUE(rec.Of(Step::kFigure).empty());
}

}  // namespace
}  // namespace gara
