// "伸縮配置": the count whose stretch is nearest 1, copies that fill each run from end to end,
// and figures stretched exactly along the run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "geom/path.h"
#include "pattern/layout.h"
#include "pattern/path_layout.h"
#include "pattern/pattern_test_support.h"
#include "pattern/place_figure.h"
#include "pattern/run_plan.h"
#include "util/lines.h"
#include "util/number_text.h"

namespace gara {
namespace {

constexpr double kTol = 1e-9;

LayoutRow StretchRow(double w, double d) {
  LayoutRow row;
  row.width = w;
  row.height = 4;
  row.interval = d;
  row.stretch = true;
  row.referenceOffset = 0;  // the base line on the run itself
  row.lineModes = {LineMode::kNone, LineMode::kNone, LineMode::kGaps};  // bottom line in gaps
  return row;
}

// The rule counted out: every n up to a bound, the positive stretch of smallest |log s|, the
// larger n on a tie.
double CountedOut(double length, double w, double d, RunEnds ends) {
  double best = 0, bestLog = INFINITY;
  for (double n = 1; n <= 10000; ++n) {
    const double s =
        ends == RunEnds::kOpen ? (length - (n - 1) * d) / (n * w) : (length / n - d) / w;
    if (s > 0 && std::fabs(std::log(s)) <= bestLog) {
      bestLog = std::fabs(std::log(s));
      best = n;
    }
  }
  return best;
}

struct CountCase {
  double length, w, d;
  RunEnds ends;
  double expected;  // -1: as counted out
};

TEST(StretchTest, CountIsTheOneOfStretchNearestOne) {
  const RunEnds kOpen = RunEnds::kOpen, kClosed = RunEnds::kClosed;
  const CountCase cases[] = {
      {2, 1, 1, kOpen, 2},     // s = 2 or 1/2: a tie goes to the larger count
      {6, 1, 0, kClosed, 6},   // exact fit
      {3, 1, 5, kClosed, 0},   // too short for the interval: no positive stretch
      {0, 1, 1, kOpen, 0},     // no length
      {100, 12, 6, kOpen, 6},  // s = 0.972 beats 1.267
      {100, 12, 6, kClosed, -1},
      {1, 10, 0, kOpen, 1},
      {1, 10, 5, kOpen, 1},
      {57.3, 3.1, 0.7, kOpen, -1},
      {57.3, 3.1, 0.7, kClosed, -1},
      {1000, 7, 2.5, kOpen, -1},
      {31.4159, 2, 3, kClosed, -1},
      {10, 2, -1, kOpen, -1},
      {10, 2, -1, kClosed, -1},
      {5, 4, 30, kOpen, 1},
      {123.456, 0.9, 0.05, kOpen, -1},
  };
  for (const CountCase& c : cases) {
    const RunPlan plan = PlanRun(StretchRow(c.w, c.d), c.length, c.ends);
    const double expected = c.expected >= 0 ? c.expected : CountedOut(c.length, c.w, c.d, c.ends);
    ASSERT_EQ(plan.count, expected) << c.length << " " << c.w << " " << c.d;
    if (plan.count == 0) continue;
    // Nothing left over: the copies and their intervals make up the run.
    const double gaps = c.ends == kOpen ? plan.count - 1 : plan.count;
    EXPECT_NEAR(plan.count * plan.width + gaps * c.d, c.length, kTol);
    EXPECT_NEAR(plan.scale * c.w, plan.width, kTol);
    EXPECT_EQ(plan.interval, c.d);
    EXPECT_EQ(plan.gap, 0);
  }
}

// The stored value 2 stretches; values outside the list still lay out by interval.
TEST(StretchTest, StoredValueTwoStretches) {
  for (const int32_t stored : {0, 1, 2, 3, -1}) {
    PatternRow row;
    row.arrangement = stored;
    EXPECT_EQ(ResolveRow(&row).stretch, stored == 2) << stored;
    EXPECT_EQ(ResolveRow(&row).evenSpacing, stored == 1) << stored;
  }
}

// Copies that never come near 1 but ever nearer with more of them have no count: the limits
// refuse it.
TEST(StretchTest, EverMoreCopiesAreRefusedByTheLimits) {
  EXPECT_EQ(PlanRun(StretchRow(10, -8), 5, RunEnds::kOpen).count, INFINITY);
  EXPECT_EQ(PlanRun(StretchRow(10, -10), 10, RunEnds::kOpen).count, INFINITY);
  EXPECT_EQ(PlanRun(StretchRow(10, 0), INFINITY, RunEnds::kOpen).count, INFINITY);
  EXPECT_EQ(PlanRun(StretchRow(10, 0), NAN, RunEnds::kOpen).count, 0);
}

struct Placed {
  double x, y, angle, stretch;
};

Path OnePath(PathPiece piece) { return ChainPieces({piece}).at(0); }

class Recorder final : public PathSink {
 public:
  std::vector<Placed> figures;
  std::vector<PathPiece> gaps;
  void Attributes() override {}
  void Figure(FigureSlot, double x, double y, double angle, double stretch) override {
    figures.push_back({x, y, angle, stretch});
  }
  void Line(double x1, double y1, double x2, double y2) override {
    gaps.push_back(LinePiece({x1, y1}, {x2, y2}));
  }
  void Arc(double cx, double cy, double r, double s, double e) override {
    const double sweep = std::fmod(e - s + 360, 360);
    gaps.push_back(ArcPiece({cx, cy}, r, 1, 0, s * kPi / 180, sweep * kPi / 180));
  }
  void Circle(double, double, double) override { ADD_FAILURE() << "no gap goes all round"; }
};

// Modes "1" and "2" (a segment) and "4" (an open line): the first copy begins at the start, the
// last ends at the end, the gap lines between them are the interval long.
TEST(StretchTest, StraightRunsAreFilledFromEndToEnd) {
  const LayoutRow row = StretchRow(12, 6);
  const Point p{3, -2}, q{3 + 80, -2 + 60};  // 100 long
  const Point ends[] = {p, q};
  Recorder segment, path;
  LayoutSegment(row, ends, 1, segment, 1e6);
  LayoutPath(row, SplitRuns(OnePath(LinePiece(p, q))), path);
  for (const Recorder* rec : {&segment, &path}) {
    const RunPlan plan = PlanRun(row, 100, RunEnds::kOpen);
    ASSERT_EQ(rec->figures.size(), 6u);
    ASSERT_EQ(rec->gaps.size(), 5u);  // between the copies only
    const Point u{0.8, 0.6};
    for (size_t i = 0; i < 6; ++i) {
      const Placed& f = rec->figures[i];
      // The centre of the box, half the height above the run.
      const double along = (f.x - p.x) * u.x + (f.y - p.y) * u.y;
      const double across = (f.y - p.y) * u.x - (f.x - p.x) * u.y;
      EXPECT_NEAR(along - plan.width / 2, static_cast<double>(i) * (plan.width + 6), kTol);
      EXPECT_NEAR(across, 2, kTol);
      EXPECT_EQ(f.stretch, plan.scale);
    }
    const Placed& last = rec->figures.back();
    EXPECT_NEAR((last.x - p.x) * u.x + (last.y - p.y) * u.y + plan.width / 2, 100, kTol);
    for (const PathPiece& gap : rec->gaps) EXPECT_NEAR(gap.length, 6, kTol);
  }
}

// A closed circle: the copies go round one pitch apart, the first beginning at the path's
// start, each gap the interval long.
TEST(StretchTest, ClosedCircleGoesRoundWithGapsOfTheInterval) {
  const double radius = 20;
  const LayoutRow row = StretchRow(5, 1.5);
  const double length = 2 * kPi * radius;
  const RunPlan plan = PlanRun(row, length, RunEnds::kClosed);
  ASSERT_EQ(plan.count, CountedOut(length, 5, 1.5, RunEnds::kClosed));
  Recorder rec;
  LayoutPath(row, SplitRuns(OnePath(ArcPiece({0, 0}, radius, 1, 0, 0, 2 * kPi))), rec);
  ASSERT_EQ(rec.figures.size(), static_cast<size_t>(plan.count));
  ASSERT_EQ(rec.gaps.size(), rec.figures.size());
  for (size_t j = 0; j < rec.figures.size(); ++j) {
    const Placed& f = rec.figures[j];
    // On the chord of the copy's box, centred along it.
    const double middle = (static_cast<double>(j) * plan.pitch + plan.width / 2) / radius;
    const double chord = radius * std::cos(plan.width / 2 / radius) - 2;
    EXPECT_NEAR(f.x, chord * std::cos(middle), 1e-9);
    EXPECT_NEAR(f.y, chord * std::sin(middle), 1e-9);
    EXPECT_NEAR(rec.gaps[j].length, 1.5, kTol);
  }
}

// ---------------------------------------------------------------------------------------------
// A stretched copy of a figure.

std::vector<double> Numbers(const std::string& line, size_t skip) {
  std::istringstream in(line.substr(skip));
  std::vector<double> v;
  for (double x; in >> x;) v.push_back(x);
  return v;
}

std::vector<std::string> PlaceStretched(const std::string& record, double angle, double s,
                                        const DrawingState& state = DrawingState{}) {
  testing::MemoryFileSystem fs;
  fs.files["/p/sel.txt"] =
      "-10,-10,10,10\r\n1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1\r\nN,1\r\n" + record + "\r\nBD,0\r\n";
  OutputBuffer buffer;
  CommandWriter out(buffer, state);
  RunContext run;
  FigurePlacer placer(fs, "/p/", run);
  placer.PlaceFigure(FigureKind::kSelected, 100, 50, angle, out, s);
  return testing::OutputLines(buffer);
}

struct CurveCase {
  double cx, cy, r, flatness, start, sweep, tilt;  // figure file: radians
};

// A circle or an elliptic arc becomes the ellipse it stretches to: every point of the written
// arc, taken back through the placement, lies on the figure's curve within its span, and the
// written arc's ends are the images of the curve's.
TEST(StretchTest, CurvesBecomeTheExactEllipse) {
  const CurveCase curves[] = {
      {0, 0, 5, 1, 0, 2 * kPi, 0},
      {2, -1, 4, 0.5, 0.3, 2.0, 0.7},
      {-3, 2, 6, 0.25, 5.5, 1.5, -1.1},
      {1, 1, 3, -0.6, 1.0, 2.5, 0.4},
  };
  for (const CurveCase& c : curves) {
    for (const double s : {0.7, 1.6}) {
      for (const double angle : {0.0, 0.7}) {
        std::ostringstream record;
        record.precision(17);
        record << "E,0,0,2,2,1,0,0," << c.cx << "," << c.cy << "," << c.r << "," << c.flatness
               << "," << c.start << "," << c.sweep << "," << c.tilt << ","
               << (c.sweep == 2 * kPi ? 1 : 0);
        const std::vector<std::string> lines = PlaceStretched(record.str(), angle, s);
        ASSERT_FALSE(lines.empty());
        const std::vector<double> v = Numbers(lines.back(), 3);
        ASSERT_EQ(v.size(), 7u) << lines.back();
        // Back from the copy into the figure: unturned, unstretched (the extents centre is 0).
        auto back = [&](Point q) {
          const double dx = q.x - 100, dy = q.y - 50;
          return Point{(std::cos(angle) * dx + std::sin(angle) * dy) / s,
                       -std::sin(angle) * dx + std::cos(angle) * dy};
        };
        const double sweepDeg = std::fmod(v[4] - v[3] + 720, 360);
        for (int k = 0; k <= 8; ++k) {
          const double tDeg = v[3] + (sweepDeg == 0 ? 360 : sweepDeg) * k / 8;
          const Point b = back(EllipsePointDeg(v[0], v[1], v[2], v[5], v[6], tDeg));
          // The figure's parameter of that point.
          const double ct = std::cos(c.tilt), st = std::sin(c.tilt);
          const double lx = (ct * (b.x - c.cx) + st * (b.y - c.cy)) / c.r;
          const double ly = (-st * (b.x - c.cx) + ct * (b.y - c.cy)) / (c.r * c.flatness);
          EXPECT_NEAR(std::hypot(lx, ly), 1, kTol) << lines.back();
          if (c.sweep == 2 * kPi || (k != 0 && k != 8)) continue;
          const double t = std::atan2(ly, lx);
          // The arc's ends, in the order of a reversed parameter when the flatness is negative.
          const double end = (k == 0) == (c.flatness > 0) ? c.start : c.start + c.sweep;
          EXPECT_NEAR(std::remainder(t - end, 2 * kPi), 0, 1e-9) << lines.back();
        }
      }
    }
  }
}

// A text keeps its height; its characters and their spacing stretch.
TEST(StretchTest, TextKeepsItsHeight) {
  const std::string text = "M,0,0,2,1,0,0,0,0,0,20,0,0,4,5,1,\"ＭＳ ゴシック\",\"ABCD\"";
  for (const double s : {0.5, 2.0}) {
    bool seen = false;
    for (const std::string& line : PlaceStretched(text, 0.3, s)) {
      if (line.rfind("cn0 ", 0) != 0) continue;
      const std::vector<double> v = Numbers(line, 4);
      ASSERT_EQ(v.size(), 4u);
      EXPECT_EQ(v[0], 4 * s);
      EXPECT_EQ(v[1], 5);
      EXPECT_EQ(v[2], 1 * s);
      seen = true;
    }
    EXPECT_TRUE(seen);
  }
}

// A text of the size table stretches as a free-size one does: Jw_cad would draw "cn" + kind at
// the table's size, so the copy writes the size it is drawn at, width and spacing stretched.
TEST(StretchTest, TextOfTheSizeTableStretchesToo) {
  DrawingState state;
  for (size_t k = 1; k <= 10; ++k) {
    const double n = static_cast<double>(k);
    state.textSizeTable[k] = {n + 0.5, n * 2, n / 4, static_cast<int32_t>(k % 5 + 1)};
  }
  state.writingTextWidth = 1.5;
  state.writingTextHeight = 2.5;
  state.writingTextSpacing = 0.75;
  state.writingTextColour = 6;
  struct Case {
    int32_t code;         // field 12: size kind plus style
    int32_t writingKind;  // for a kind Jw_cad does not have
    int sizeKind;         // the kind whose table sizes are drawn; 0 for free sizes
  };
  const Case cases[] = {{3, 1, 3}, {1, 1, 1},  {10, 1, 10}, {20003, 1, 3},
                        {0, 1, 0}, {57, 7, 7}, {-2, 0, 0}};
  for (const Case& c : cases) {
    state.writingTextSizeKind = c.writingKind;
    const std::string text =
        "M,0,0,2,7,1,0,0,-5,0,-1,0," + std::to_string(c.code) + ",3.5,4.5,0.5,\"Arial\",\"AB\"";
    const TextSize own{3.5, 4.5, 0.5, 7};
    const TextSize writing{1.5, 2.5, 0.75, 6};
    const TextSize size = c.sizeKind != 0     ? state.textSizeTable[size_t(c.sizeKind)]
                          : c.code % 100 == 0 ? own
                                              : writing;
    for (const double s : {19.0 / 18, 0.5}) {
      SCOPED_TRACE(std::to_string(c.code) + " at " + std::to_string(s));
      const std::vector<std::string> lines = PlaceStretched(text, 0.3, s, state);
      std::vector<std::string> sizes;
      for (const std::string& line : lines) {
        if (line.rfind("cn", 0) == 0 && line.rfind("cn\"", 0) != 0) sizes.push_back(line);
      }
      ASSERT_EQ(sizes.size(), 1u);
      EXPECT_EQ(sizes[0], "cn0 " + NumberText(size.width * s) + " " + NumberText(size.height) +
                              " " + NumberText(size.spacing * s) + " " +
                              std::to_string(size.colour));
    }
    // Unstretched, the command stays as it was.
    const std::vector<std::string> plain = PlaceStretched(text, 0.3, 1, state);
    if (c.sizeKind != 0) {
      EXPECT_NE(std::find(plain.begin(), plain.end(), "cn" + std::to_string(c.sizeKind)),
                plain.end());
    }
  }
}

}  // namespace
}  // namespace gara
