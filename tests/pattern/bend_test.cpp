// Figures bent along the curves of a path: exact arcs and radial lines on circles, chains of
// short lines within the tolerance elsewhere, today's bytes on straight pieces, and the copies
// that would fold placed unbent and counted.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "app/main_flow.h"
#include "app/outcome_message.h"
#include "app/test_files.h"
#include "geom/path.h"
#include "pattern/bend.h"
#include "pattern/course.h"
#include "pattern/draw.h"
#include "pattern/path_examples.h"
#include "pattern/pattern_test_support.h"
#include "settings/row_details.h"

namespace gara {
namespace {

using Figure = std::vector<std::string>;

// A 12 x 6 rectangle, and a diagonal with a circle in the same box.
const Figure kRectangle = {"-6,-3,6,3",
                           "1",
                           "N,4",
                           "L,0,0,2,1,1,0,0,-6,-3,6,-3",
                           "L,0,0,2,1,1,0,0,6,-3,6,3",
                           "L,0,0,2,1,1,0,0,6,3,-6,3",
                           "L,0,0,2,1,1,0,0,-6,3,-6,-3",
                           "BD,0"};
const Figure kDiagonalAndCircle = {"-6,-3,6,3",
                                   "1",
                                   "N,2",
                                   "L,0,0,2,1,1,0,0,-6,-3,6,3",
                                   "E,0,0,2,1,1,0,0,0,0,2.5,1,0,6.28318530718,0,1",
                                   "BD,0"};

struct Segment {
  Point a, b;
};
struct ArcRecord {
  double cx, cy, r;
};
struct Drawn {
  std::string bytes;
  std::vector<Segment> lines;
  std::vector<ArcRecord> arcs;  // arcs and circles
  DrawEstimate estimate;
};

std::vector<double> Numbers(const std::string& text) {
  std::istringstream in(text);
  std::vector<double> v;
  for (double x; in >> x;) v.push_back(x);
  return v;
}

void ParseEntities(const OutputBuffer& buffer, Drawn& drawn) {
  for (const std::string& line : testing::OutputLines(buffer)) {
    if (line.rfind("ci ", 0) == 0) {
      const std::vector<double> v = Numbers(line.substr(3));
      drawn.arcs.push_back({v[0], v[1], v[2]});
    } else if (!line.empty() && (line[0] == '-' || (line[0] >= '0' && line[0] <= '9'))) {
      const std::vector<double> v = Numbers(line);
      drawn.lines.push_back({{v[0], v[1]}, {v[2], v[3]}});
    }
  }
}

Drawn DrawAlong(const std::vector<PathPiece>& pieces, const PatternRow& row, const Figure& figure,
                bool bend) {
  testing::MemoryFileSystem fs;
  fs.files["/p/sel.txt"] = testing::CrLf(figure);
  const DrawingState state;
  const RunContext run;
  RowExtras extras;
  extras.bend = bend;
  const DrawInputs inputs{state, &row, run, fs, "/p/", kMaxOutputBytesPerRun, extras};
  const PathCourse course(ChainPieces(pieces, 1e-9));
  Drawn drawn;
  drawn.estimate = EstimateDrawing(inputs, course);
  OutputBuffer buffer;
  CommandWriter out(buffer, state);
  EXPECT_EQ(DrawPattern(inputs, out, course), DrawResult::kDrawn);
  drawn.bytes = buffer.FileImage();
  ParseEntities(buffer, drawn);
  return drawn;
}

PathPiece Circle(double r) { return ArcPiece({0, 0}, r, 1, 0, 0, 2 * kPi); }

double Radius(Point p) { return std::hypot(p.x, p.y); }

// 中, 均等配置, D 6 round a circle of radius 100: the tops and bottoms of all 34 rectangles are
// arcs of radii 97 and 103 about its centre, the sides radial, nothing outside the ring; unbent,
// the sides' chords poke out of it.
TEST(BendTest, RectanglesRoundACircleKeepToTheirRing) {
  const PatternRow row{0, 12, 6, 1, 6.0, 1, 0, 0, 0};
  const Drawn bent = DrawAlong({Circle(100)}, row, kRectangle, true);
  EXPECT_EQ(bent.estimate.figures, 34);
  ASSERT_EQ(bent.arcs.size(), 68u);
  ASSERT_EQ(bent.lines.size(), 68u);
  for (const double r : {97.0, 103.0}) {
    EXPECT_EQ(std::count_if(bent.arcs.begin(), bent.arcs.end(),
                            [&](const ArcRecord& a) {
                              return a.cx == 0 && a.cy == 0 && std::fabs(a.r - r) < 1e-9;
                            }),
              34);
  }
  for (const Segment& s : bent.lines) {
    const double cross = s.a.x * s.b.y - s.a.y * s.b.x;
    EXPECT_NEAR(cross / Radius(s.a), 0, 1e-6);  // on a line through the centre
    EXPECT_NEAR(std::fabs(Radius(s.b) - Radius(s.a)), 6, 1e-6);
  }
  // Along every line, in or out of the ring.
  const auto inRing = [](const std::vector<Segment>& lines) {
    for (const Segment& s : lines) {
      for (double t = 0; t <= 1; t += 0.125) {
        const double r = Radius({s.a.x + (s.b.x - s.a.x) * t, s.a.y + (s.b.y - s.a.y) * t});
        if (r < 97 - 1e-9 || r > 103 + 1e-9) return false;
      }
    }
    return true;
  };
  EXPECT_TRUE(inRing(bent.lines));
  EXPECT_FALSE(inRing(DrawAlong({Circle(100)}, row, kRectangle, false).lines));
}

// Straight pieces only, corners and gentle turns: a bending row writes today's bytes.
TEST(BendTest, StraightPathsKeepTheirBytes) {
  const std::vector<std::vector<PathPiece>> paths = {
      {LinePiece({0, 0}, {50, 0}), LinePiece({50, 0}, {100, 10}), LinePiece({100, 10}, {150, 10})},
      {LinePiece({0, 0}, {100, 0}), LinePiece({100, 0}, {100, 60}), LinePiece({100, 60}, {0, 60}),
       LinePiece({0, 60}, {0, 0})},
      {LinePiece({0, 0}, {80, 30})},
  };
  const PatternRow rows[] = {{0, 12, 6, 0, 2.0, 0, 1, 2, 1},
                             {0, 12, 6, 1, 6.0, 1, 2, 0, 2},
                             {0, 7, 3, 2, 1.5, 2, 1, 1, 1}};
  for (const auto& pieces : paths) {
    for (const PatternRow& row : rows) {
      EXPECT_EQ(DrawAlong(pieces, row, kRectangle, true).bytes,
                DrawAlong(pieces, row, kRectangle, false).bytes);
    }
  }
}

// The distance from p to the polyline.
double DistanceTo(Point p, const std::vector<Segment>& lines) {
  double best = INFINITY;
  for (const Segment& s : lines) {
    const double dx = s.b.x - s.a.x, dy = s.b.y - s.a.y;
    const double len2 = dx * dx + dy * dy;
    const double t =
        len2 > 0 ? std::clamp(((p.x - s.a.x) * dx + (p.y - s.a.y) * dy) / len2, 0.0, 1.0) : 0;
    best = std::min(best, std::hypot(p.x - s.a.x - t * dx, p.y - s.a.y - t * dy));
  }
  return best;
}

// A diagonal and a circle bent into one box: the chains and the true images (sampled densely
// from the path itself) are within the tolerance of each other, both ways, and the chains take
// no more lines than the estimate allows.
TEST(BendTest, ChainsFollowTheTrueImageWithinTheTolerance) {
  struct Case {
    const char* name;
    std::vector<PathPiece> pieces;
    double begin;
  };
  const Case cases[] = {
      {"circle", {Circle(100)}, 10},
      {"small clockwise circle", {Reversed(Circle(9))}, 3},
      {"ellipse", {ArcPiece({0, 0}, 80, 0.5, 0.3, 0, 2 * kPi)}, 5},
      {"rounded corner", testing::RoundedRectangle(), 75},
  };
  const double h = 6, ref = 3, w = 12;
  const double tol = BendTolerance(h);
  LongFontTable fonts;
  const FigureModel model = ParseFigure(testing::CrLf(kDiagonalAndCircle), RunContext(), fonts);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Path> paths = ChainPieces(c.pieces, 1e-9);
    ASSERT_EQ(paths.size(), 1u);
    const LaidPath laid = SplitRuns(std::move(paths[0]));
    const BentBox box(laid, c.begin, w, h, ref, {0, 0}, 0);
    ASSERT_TRUE(box.Curved());
    ASSERT_FALSE(box.Folds());
    OutputBuffer buffer;
    const DrawingState state;
    CommandWriter out(buffer, state);
    ReplayBentFigure(model, box, 1, out);
    Drawn drawn;
    ParseEntities(buffer, drawn);
    // The path's point and left normal by arc length, the normal from a short chord.
    const auto truth = [&](double x, double y) {
      const double s = c.begin + x;
      const Point p = PathAt(laid, s);
      const Point a = PathAt(laid, s - 1e-5);
      const Point b = PathAt(laid, s + 1e-5);
      return Along(p, y - ref, LeftOf(UnitOf(b.x - a.x, b.y - a.y, {1, 0})));
    };
    std::vector<Segment> image;
    Point prev{};
    for (int k = 0; k <= 4000; ++k) {
      const double t = k / 4000.0;
      // The diagonal (0, 0) ... (12, 6), then the circle about (6, 3) of radius 2.5.
      const Point p = k < 2000 ? truth(12 * t * 2, 6 * t * 2)
                               : truth(6 + 2.5 * std::cos(4 * kPi * (t - 0.5)),
                                       3 + 2.5 * std::sin(4 * kPi * (t - 0.5)));
      if (k > 0 && k != 2000) image.push_back({prev, p});
      if (k == 1999) image.push_back({p, truth(12, 6)});
      prev = p;
      EXPECT_LE(DistanceTo(p, drawn.lines), tol * 1.0001) << k;
    }
    for (const Segment& s : drawn.lines) {
      for (double t = 0; t <= 1; t += 0.25) {
        const Point p{s.a.x + (s.b.x - s.a.x) * t, s.a.y + (s.b.y - s.a.y) * t};
        EXPECT_LE(DistanceTo(p, image), tol * 1.0001);
      }
    }
    BendReach reach;
    for (const PathPiece& p : laid.path.pieces) reach.Add(PieceReach(p));
    reach.sections = static_cast<double>(box.sections().size());
    const BentCount bound = BentCopyBound(model, reach, h, ref);
    EXPECT_LE(static_cast<double>(drawn.lines.size()), bound.lines);
    EXPECT_GE(drawn.lines.size(), 10u);
  }
}

// A circle of radius 2 under figures 6 high: every copy would fold, so every one stands unbent,
// the bytes of a row that does not bend, and the run says how many.
TEST(BendTest, FiguresThatWouldFoldStandUnbentAndAreCounted) {
  const Figure narrow = {
      "-1,-3,1,3", "1", "N,2", "L,0,0,2,1,1,0,0,-1,-3,1,-3", "L,0,0,2,1,1,0,0,-1,3,1,3", "BD,0"};
  const PatternRow row{0, 2, 6, 1, 0.0, 1, 0, 0, 0};
  const Drawn bent = DrawAlong({Circle(2)}, row, narrow, true);
  const Drawn rigid = DrawAlong({Circle(2)}, row, narrow, false);
  EXPECT_EQ(bent.bytes, rigid.bytes);
  EXPECT_EQ(bent.estimate.figures, 6);
  EXPECT_EQ(bent.estimate.unbent, 6);
  EXPECT_EQ(rigid.estimate.unbent, 0);
  RunDetail detail;
  detail.estimate = bent.estimate;
  EXPECT_NE(OutcomeMessage(RunOutcome::kDrawn, detail).find("6 個の図形は曲げずに"),
            std::string::npos);
  detail.estimate.unbent = 0;
  EXPECT_EQ(OutcomeMessage(RunOutcome::kDrawn, detail), "");
}

// The estimate counts the bent lines before anything is drawn: never fewer than are drawn.
TEST(BendTest, EstimateBoundsTheBentOutput) {
  const PatternRow row{0, 12, 6, 1, 6.0, 1, 0, 0, 0};
  for (const std::vector<PathPiece>& pieces :
       {std::vector<PathPiece>{Circle(30)}, testing::RoundedRectangle(),
        std::vector<PathPiece>{ArcPiece({0, 0}, 80, 0.5, 0, 0, 2 * kPi)}}) {
    const Drawn bent = DrawAlong(pieces, row, kDiagonalAndCircle, true);
    const Drawn rigid = DrawAlong(pieces, row, kDiagonalAndCircle, false);
    EXPECT_GE(bent.estimate.entities, static_cast<double>(bent.lines.size() + bent.arcs.size()));
    EXPECT_GE(bent.estimate.bytes, static_cast<double>(bent.bytes.size()));
    EXPECT_GT(bent.estimate.bytes, rigid.estimate.bytes);
  }
}

// A curve that meets a line at a sharp corner: however the copies fill the curve's run, up to
// its very end, no point of them strays farther from the path than the box reaches across it.
TEST(BendTest, CopiesEndingAtACornerStayBesideThePath) {
  const std::vector<PathPiece> pieces = {ArcPiece({0, 0}, 50, 1, 0, 0, kPi / 2),
                                         LinePiece({0, 50}, {0, 120})};
  std::vector<Point> path;
  for (double t = 0; t <= kPi / 2; t += 0.0002)
    path.push_back({50 * std::cos(t), 50 * std::sin(t)});
  for (double y = 50; y <= 120; y += 0.01) path.push_back({0, y});
  for (const int arrangement : {0, 1, 2}) {
    const PatternRow row{0, 12, 6, arrangement, 1.0, 1, 0, 0, 0};
    const Drawn bent = DrawAlong(pieces, row, kRectangle, true);
    ASSERT_FALSE(bent.lines.empty());
    for (const Segment& s : bent.lines) {
      for (const Point p : {s.a, s.b}) {
        double nearest = INFINITY;
        for (const Point q : path) nearest = std::min(nearest, std::hypot(p.x - q.x, p.y - q.y));
        EXPECT_LE(nearest, 3 + 0.02) << arrangement << " " << p.x << " " << p.y;
      }
    }
  }
}

// bend=1 bends; any other value, or none, does not.
TEST(BendTest, TheDetailReadsOneAsBend) {
  const struct {
    const char* file;
    bool bend;
  } cases[] = {{"[1]\r\nbend=1\r\n", true},  {"[1]\r\nbend = 1\r\n", true},
               {"[1]\r\nbend=0\r\n", false}, {"[1]\r\nbend=yes\r\n", false},
               {"[2]\r\nbend=1\r\n", false}, {"", false}};
  testing::MemoryFileSystem fs;
  for (const auto& c : cases) {
    EXPECT_EQ(CheckedRowExtras(RowDetails::Parse(c.file), 1, fs, "/p/").bend, c.bend) << c.file;
  }
}

}  // namespace
}  // namespace gara
