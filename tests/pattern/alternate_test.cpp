// An alternate figure: main, alternate, main, ... each at its own width; an open run begins and
// ends with the row's own figure, a closed one alternates all the way round.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/test_files.h"
#include "geom/path.h"
#include "pattern/draw.h"
#include "pattern/path_layout.h"
#include "pattern/pattern_test_support.h"
#include "pattern/run_plan.h"

namespace gara {
namespace {

constexpr double kTol = 1e-9;

LayoutRow AlternatingRow(double w, double a, double d, bool even, bool stretch) {
  LayoutRow row;
  row.width = w;
  row.height = 4;
  row.interval = d;
  row.evenSpacing = even;
  row.stretch = stretch;
  row.referenceOffset = 0;
  row.alternates = true;
  row.alternateWidth = a;
  return row;
}

// The rule counted out: an odd count on an open run, an even one on a closed run; the largest
// that fits, or with stretched copies the one of positive stretch nearest 1 (the larger on a
// tie).
double CountedOut(double length, double w, double a, double d, bool stretch, RunEnds ends) {
  const bool open = ends == RunEnds::kOpen;
  double best = 0, bestLog = INFINITY;
  for (double n = open ? 1 : 2; n <= 2001; n += 2) {
    const double mains = open ? (n + 1) / 2 : n / 2;
    const double widths = mains * w + (n - mains) * a;
    const double gaps = open ? n - 1 : n;
    if (!stretch) {
      if (widths + gaps * d <= length + 1e-12) best = n;
      continue;
    }
    const double s = (length - gaps * d) / widths;
    if (s > 0 && std::fabs(std::log(s)) <= bestLog) {
      bestLog = std::fabs(std::log(s));
      best = n;
    }
  }
  return best;
}

TEST(AlternateTest, CountsByArrangementAndEnds) {
  const double cases[][4] = {{100, 12, 5, 6}, {100, 12, 30, 2}, {11, 12, 5, 6},  {12, 12, 5, 6},
                             {47, 10, 7, 3},  {3.5, 1, 0.5, 0}, {250, 8, 14, 1}, {60, 20, 0, 5}};
  for (const auto& c : cases) {
    const auto& [length, w, a, d] = c;  // the run, the two widths and the interval
    for (const RunEnds ends : {RunEnds::kOpen, RunEnds::kClosed}) {
      for (int arrangement = 0; arrangement < 3; ++arrangement) {
        const bool stretch = arrangement == 2;
        const LayoutRow row = AlternatingRow(w, a, d, arrangement == 1, stretch);
        const RunPlan plan = PlanRun(row, length, ends);
        SCOPED_TRACE(::testing::Message() << "case " << &c - cases << ", " << arrangement);
        ASSERT_EQ(plan.count, CountedOut(length, w, a, d, stretch, ends));
        if (plan.count == 0) continue;
        // An open run keeps its gap at both ends (none when filled); a closed one ends one
        // interval before its start, the leftover by interval after that.
        const double n = plan.count;
        const double end = plan.gap + plan.Offset(n - 1) + plan.WidthOf(int64_t(n) - 1) +
                           (ends == RunEnds::kOpen ? plan.gap : plan.interval);
        if (ends == RunEnds::kClosed && arrangement == 0) {
          EXPECT_LE(end, length + kTol);
        } else {
          EXPECT_NEAR(end, length, kTol);
        }
      }
    }
  }
}

// A segment and an open line of a path alike: main first and last, each copy at its own width
// one interval after the one before, from the start of the run to its end when stretched.
TEST(AlternateTest, OpenRunBeginsAndEndsWithTheMainFigure) {
  const Point p{3, -2}, q{3 + 80, -2 + 60};  // 100 long
  const Point ends[] = {p, q};
  const Point u{0.8, 0.6};
  for (const bool stretch : {false, true}) {
    LayoutRow row = AlternatingRow(12, 5, 6, false, stretch);
    row.lineModes = {LineMode::kNone, LineMode::kNone, LineMode::kGaps};
    const RunPlan plan = PlanRun(row, 100, RunEnds::kOpen);
    testing::FigureRecorder segment, path;
    LayoutSegment(row, ends, 1, segment, 1e6);
    LayoutPath(row, SplitRuns(ChainPieces({LinePiece(p, q)}).at(0)), path);
    for (const testing::FigureRecorder* rec : {&segment, &path}) {
      ASSERT_EQ(rec->figures.size(), static_cast<size_t>(plan.count));
      double start = plan.gap;
      for (size_t k = 0; k < rec->figures.size(); ++k) {
        const Point f = rec->figures[k].at;
        EXPECT_EQ(rec->figures[k].slot, k % 2 ? FigureSlot::kAlternate : FigureSlot::kMain);
        const double w = (k % 2 ? 5 : 12) * plan.scale;
        EXPECT_NEAR((f.x - p.x) * u.x + (f.y - p.y) * u.y, start + w / 2, kTol) << k;
        EXPECT_NEAR((f.y - p.y) * u.x - (f.x - p.x) * u.y, 2, kTol);  // centred across at H/2
        start += w + 6;
      }
      // The interval between copies; by interval also the end gaps.
      for (const double gap : rec->gaps) {
        EXPECT_TRUE(std::fabs(gap - 6) < kTol || std::fabs(gap - plan.gap) < kTol) << gap;
      }
      EXPECT_EQ(rec->gaps.size(), rec->figures.size() - 1 + (stretch ? 0 : 2));
    }
  }
}

TEST(AlternateTest, ClosedCircleAlternatesAllTheWayRound) {
  for (int arrangement = 0; arrangement < 3; ++arrangement) {
    const LayoutRow row = AlternatingRow(7, 3, 2, arrangement == 1, arrangement == 2);
    testing::FigureRecorder rec;
    LayoutPath(row, SplitRuns(ChainPieces({ArcPiece({0, 0}, 20, 1, 0, 0, 2 * kPi)}).at(0)), rec);
    // An even count, so the last copy is an alternate beside the first main one.
    ASSERT_EQ(rec.figures.size(),
              CountedOut(2 * kPi * 20, 7, 3, 2, arrangement == 2, RunEnds::kClosed));
    EXPECT_EQ(rec.figures.back().slot, FigureSlot::kAlternate) << arrangement;
  }
}

// The whole run: the alternate's copies come from its own file, at its measured width, and the
// estimate counts each figure's entities.
TEST(AlternateTest, DrawingTakesTheAlternateFromItsFile) {
  using testing::CrLf;
  testing::MemoryFileSystem fs;
  fs.files["/p/sel.txt"] = CrLf({"-6,-2,6,2", "1", "N,1", "L,0,0,2,1,1,0,0,-6,-2,6,2", "BD,0"});
  fs.files["/p/alt.txt"] =
      CrLf({"0,0,5,4", "1", "N,2", "L,0,0,2,1,1,0,0,0,0,5,4", "L,0,0,2,1,1,0,0,0,4,5,0", "BD,0"});
  DrawingState state;
  state.designatedPoints[1] = {true, 0, 0, DesignatedPointKind::kPlain};
  state.designatedPoints[2] = {true, 100, 0, DesignatedPointKind::kPlain};
  PatternRow row{0, 12, 4, 2, 6.0, 1, 0, 0, 0};  // 伸縮配置
  const RunContext run;
  RowExtras files;
  files.alternate = "alt.txt";
  const DrawInputs inputs{state, &row, run, fs, "/p/", kMaxOutputBytesPerRun, files};
  const DrawEstimate estimate = EstimateDrawing(inputs, 2, false);
  EXPECT_EQ(estimate.figures, 7);  // s = (100 - 36) / (4 * 12 + 3 * 5) = 1.016
  EXPECT_EQ(estimate.entities, 4 * 1 + 3 * 2);
  OutputBuffer buffer;
  CommandWriter out(buffer, state);
  ASSERT_EQ(DrawPattern(inputs, out, 2, false), DrawResult::kDrawn);
  const std::vector<std::string> lines = testing::LineEntities(buffer);
  ASSERT_EQ(lines.size(), 10u);
  const double s = 64.0 / 63.0;
  EXPECT_EQ(lines.front(), "0 -2 " + NumberText(12 * s) + " 2");
  EXPECT_EQ(lines.back(), NumberText(100 - 12 * s) + " -2 100 2");
  // The first alternate stands one interval after the first copy, 5 s wide.
  EXPECT_EQ(lines[1], NumberText(12 * s + 6) + " -2 " + NumberText(12 * s + 6 + 5 * s) + " 2");
}

}  // namespace
}  // namespace gara
