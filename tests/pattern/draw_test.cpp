#include "pattern/draw.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/test_files.h"
#include "geom/geometry.h"
#include "pattern/pattern_test_support.h"

namespace gara {
namespace {

using testing::CrLf;
using testing::MemoryFileSystem;
using testing::OutputLines;
using Lines = std::vector<std::string>;

const std::string kDir = "/prog/";

struct DrawRun {
  DrawingState state;
  PatternRow row;
  RunContext run;
  MemoryFileSystem fs;
  OutputBuffer buffer;
  RowExtras extras;

  void Points(const std::vector<Point>& points) {
    for (size_t i = 0; i < points.size(); ++i) {
      state.designatedPoints[i + 1] = {true, points[i].x, points[i].y, DesignatedPointKind::kPlain};
    }
  }
  PatternRow& Row() { return row; }
  void Figure(int records) {
    Lines lines = {"-5,-3,5,3", "1", "N," + std::to_string(records)};
    for (int i = 0; i < records; ++i) lines.push_back("L,0,0,2,1,1,0,0,-4,-2,4,2");
    fs.files[kDir + "sel.txt"] = CrLf(lines);
  }
  bool Draw(int pointCount, bool skipCoincident) {
    CommandWriter out(buffer, state);
    out.ResetCommandCache();
    return DrawPattern({state, &row, run, fs, kDir, kMaxOutputBytesPerRun, extras}, out, pointCount,
                       skipCoincident) == DrawResult::kDrawn;
  }
  DrawEstimate Estimate(int pointCount) {
    return EstimateDrawing({state, &row, run, fs, kDir, kMaxOutputBytesPerRun, extras}, pointCount,
                           false);
  }
};

TEST(DrawPatternTest, LaysOutEverySegmentInTurn) {
  DrawRun r;
  r.Points({{0, 0}, {30, 0}, {30, 30}});
  r.Row() = {0, 10, 6, 0, 0.0, 2, 0, 0, 0};
  r.Figure(1);
  ASSERT_TRUE(r.Draw(3, true));
  EXPECT_EQ(OutputLines(r.buffer), (Lines{"lg0", "ly0", "lc1",         "lt1", "ly2", "1 1 9 5",
                                          "ly0", "ly2", "11 1 19 5",   "ly0", "ly2", "21 1 29 5",
                                          "ly0", "ly2", "29 1 25 9",   "ly0", "ly2", "29 11 25 19",
                                          "ly0", "ly2", "29 21 25 29", "ly0"}));
}

TEST(DrawPatternTest, CoincidentSegmentsSkippedOnlyWhenAsked) {
  DrawRun r;
  r.Points({{0, 0}, {0, 0}, {0, 0}});
  r.Row().middleLine = 1;
  r.Row().interval = 4;  // a = (0 + 4) / 2: a gap line would be drawn
  ASSERT_TRUE(r.Draw(3, true));
  EXPECT_TRUE(r.buffer.empty());
  ASSERT_TRUE(r.Draw(2, false));
  EXPECT_EQ(OutputLines(r.buffer), (Lines{"lg0", "ly0", "lc1", "lt1", "0 0 2 0"}));
}

TEST(DrawPatternTest, FigureFileReadOnlyWhenAFigureIsPlaced) {
  DrawRun r;
  r.Points({{0, 0}, {5, 0}});
  r.Row().figureKind = 1;
  ASSERT_TRUE(r.Draw(2, false));
  EXPECT_EQ(r.fs.reads, 0);
  r.Points({{0, 0}, {500, 0}});
  ASSERT_TRUE(r.Draw(2, false));
  EXPECT_EQ(r.fs.reads, 1);
}

// The figure files of a run are measured before any is read: together past the limit, none is
// read and nothing drawn.
TEST(DrawPatternTest, FigureFilesTooLargeTogetherAreNotRead) {
  struct Case {
    uint64_t figure, alternate;  // reported sizes; 0: the file as it is
    bool refused;
  };
  const Case cases[] = {{kMaxFigureBytesPerRun - 1000, 0, false},
                        {kMaxFigureBytesPerRun + 1, 0, true},
                        {kMaxFigureBytesPerRun / 2, kMaxFigureBytesPerRun / 2 + 1, true}};
  for (const Case& c : cases) {
    DrawRun r;
    r.Points({{0, 0}, {500, 0}});
    r.Figure(1);
    r.fs.files[kDir + "alt.txt"] = r.fs.files[kDir + "sel.txt"];
    r.extras.alternate = "alt.txt";
    if (c.figure) r.fs.sizes[kDir + "sel.txt"] = c.figure;
    if (c.alternate) r.fs.sizes[kDir + "alt.txt"] = c.alternate;
    const DrawEstimate estimate = r.Estimate(2);
    EXPECT_EQ(estimate.Verdict() == DrawResult::kFiguresTooLarge, c.refused) << c.figure;
    EXPECT_EQ(r.fs.reads == 0, c.refused);
    EXPECT_EQ(r.Draw(2, false), !c.refused);
    EXPECT_EQ(r.buffer.empty(), c.refused);
    if (c.refused) {
      EXPECT_GE(estimate.figureBytes, c.figure + c.alternate);
    }
  }
}

TEST(DrawPatternTest, FewerThanTwoPointsDrawNothing) {
  DrawRun r;
  r.Points({{0, 0}});
  EXPECT_TRUE(r.Draw(1, true));
  EXPECT_TRUE(r.Draw(0, true));
  EXPECT_TRUE(r.Draw(-5, true));
  EXPECT_TRUE(r.buffer.empty());
}

TEST(DrawPatternTest, PointCountBeyondTheTableIsCut) {
  DrawRun r;
  std::vector<Point> points;
  for (int i = 0; i < 99; ++i) points.push_back({i * 100.0, 0});
  r.Points(points);
  r.Row().middleLine = 2;
  ASSERT_TRUE(r.Draw(500, true));
  // One full-length middle line per segment, 98 segments.
  EXPECT_EQ(r.buffer.size(), 4u + 98u);
}

// ---------------------------------------------------------------------------------------------
// Runs over the limits draw nothing at all, quickly and without memory to speak of.

struct LimitCase {
  const char* name;
  double width;
  double interval;
  double length;
  int segments;
  int records;
  bool drawn;
};

void PrintTo(const LimitCase& c, std::ostream* os) { *os << c.name; }

class RunLimitTest : public ::testing::TestWithParam<LimitCase> {};

TEST_P(RunLimitTest, WholeRunOrNothing) {
  const LimitCase& c = GetParam();
  DrawRun r;
  std::vector<Point> points;
  for (int i = 0; i <= c.segments; ++i) points.push_back({i * c.length, 0});
  r.Points(points);
  r.Row().width = c.width;
  r.Row().interval = c.interval;
  r.Row().middleLine = 2;
  if (c.records > 0) r.Figure(c.records);
  EXPECT_EQ(r.Draw(static_cast<int>(points.size()), true), c.drawn);
  EXPECT_EQ(r.buffer.empty(), !c.drawn);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RunLimitTest,
    ::testing::Values(
        // Billions of copies of a tiny width on a long segment.
        LimitCase{"TinyWidthLongSegment", 1e-6, 0, 1e6, 1, 0, false},
        // Beyond 64-bit integers.
        LimitCase{"CountBeyondSixtyFourBits", 1e-8 * 2, 0, 1e300, 1, 0, false},
        // A negative interval cancelling the width: infinitely many copies in one place.
        LimitCase{"IntervalCancellingWidth", 10, -10, 100, 1, 0, false},
        LimitCase{"NegativeQuotientPlacesNone", 10, -20, 100, 1, 0, true},
        LimitCase{"ExactlyTheLimit", 1, 0, 1e6, 1, 0, true},
        LimitCase{"OneOverTheLimit", 1, 0, 1e6 + 1, 1, 0, false},
        LimitCase{"SegmentsTogetherOverTheLimit", 1, 0, 20'000, 60, 0, false},
        LimitCase{"EntitiesOverTheLimit", 1, 0, 1e6, 1, 21, false},
        LimitCase{"EntitiesWithinTheLimit", 1, 0, 1e4, 1, 20, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RunLimitTest, HugeDesignatedPointsDrawNothing) {
  DrawRun r;
  r.Points({{-1.7e308, 0}, {1.7e308, 0}});
  EXPECT_FALSE(r.Draw(2, false));
  EXPECT_TRUE(r.buffer.empty());
}

}  // namespace
}  // namespace gara
