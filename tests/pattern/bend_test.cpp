// Figures bent along the curves of a path: exact arcs and radial lines on circles, chains of
// short lines within the tolerance elsewhere, today's bytes on straight pieces, and the copies
// that would fold placed unbent and counted.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "geom/path.h"
#include "pattern/bend.h"
#include "pattern/course.h"
#include "pattern/draw.h"
#include "pattern/path_examples.h"
#include "pattern/pattern_test_support.h"
#include "settings/row_details.h"

namespace gara {
namespace {

// Figure files: a 12 x 6 rectangle, and a diagonal with a circle in the same box.
const std::string kRectangle =
    "-6,-3,6,3\r\n1\r\nN,4\r\nL,0,0,2,1,1,0,0,-6,-3,6,-3\r\nL,0,0,2,1,1,0,0,6,-3,6,3\r\n"
    "L,0,0,2,1,1,0,0,6,3,-6,3\r\nL,0,0,2,1,1,0,0,-6,3,-6,-3\r\nBD,0\r\n";
const std::string kDiagonalAndCircle =
    "-6,-3,6,3\r\n1\r\nN,2\r\nL,0,0,2,1,1,0,0,-6,-3,6,3\r\n"
    "E,0,0,2,1,1,0,0,0,0,2.5,1,0,6.28318530718,0,1\r\nBD,0\r\n";
const PatternRow kEvenRow{0, 12, 6, 1, 6.0, 1, 0, 0, 0};  // 中, 均等配置, D 6

struct Drawn {
  std::string bytes;
  std::vector<PathPiece> lines;
  std::vector<std::vector<double>> arcs;  // arcs and circles: centre, radius, ...
  DrawEstimate estimate;
};

// The arcs ("ci cx cy r ...") and the lines ("x1 y1 x2 y2") of the output.
Drawn Parse(const OutputBuffer& buffer) {
  Drawn drawn{buffer.FileImage(), {}, {}, {}};
  for (const std::string& line : testing::OutputLines(buffer)) {
    const bool arc = line.rfind("ci ", 0) == 0;
    std::istringstream in(arc ? line.substr(3) : line);
    std::vector<double> v;
    for (double x; in >> x;) v.push_back(x);
    if (arc) drawn.arcs.push_back(v);
    if (!arc && v.size() == 4) drawn.lines.push_back(LinePiece({v[0], v[1]}, {v[2], v[3]}));
  }
  return drawn;
}

Drawn DrawAlong(const std::vector<PathPiece>& pieces, const PatternRow& row,
                const std::string& figure, bool bend) {
  testing::MemoryFileSystem fs;
  fs.files["/p/sel.txt"] = figure;
  const DrawingState state;
  const RunContext run;
  RowExtras extras;
  extras.bend = bend;
  const DrawInputs inputs{state, &row, run, fs, "/p/", kMaxOutputBytesPerRun, extras};
  const PathCourse course(ChainPieces(pieces));
  OutputBuffer buffer;
  CommandWriter out(buffer, state);
  EXPECT_EQ(DrawPattern(inputs, out, course), DrawResult::kDrawn);
  Drawn drawn = Parse(buffer);
  drawn.estimate = EstimateDrawing(inputs, course);
  return drawn;
}

// A row that draws no lines of its own: the estimate, made before anything is drawn, never
// counts fewer entities or bytes than are drawn.
void ExpectEstimateBounds(const Drawn& drawn) {
  EXPECT_GE(drawn.estimate.entities, static_cast<double>(drawn.lines.size() + drawn.arcs.size()));
  EXPECT_GE(drawn.estimate.bytes, static_cast<double>(drawn.bytes.size()));
}

PathPiece Circle(double r) { return ArcPiece({0, 0}, r, 1, 0, 0, 2 * kPi); }

// The greatest distance from the lines `to` of a point along the lines (in eighths).
double FarthestFrom(const std::vector<PathPiece>& lines, const std::vector<PathPiece>& to) {
  double worst = 0;
  for (const PathPiece& s : lines) {
    for (double t = 0; t <= 1; t += 0.125) {
      const Point p{s.from.x + (s.to.x - s.from.x) * t, s.from.y + (s.to.y - s.from.y) * t};
      double best = INFINITY;
      for (const PathPiece& q : to) {
        const double dx = q.to.x - q.from.x, dy = q.to.y - q.from.y, len2 = dx * dx + dy * dy;
        const double dot = (p.x - q.from.x) * dx + (p.y - q.from.y) * dy;
        const double u = std::clamp(dot / std::max(len2, 1e-300), 0.0, 1.0);
        best = std::min(best, std::hypot(p.x - q.from.x - u * dx, p.y - q.from.y - u * dy));
      }
      worst = std::max(worst, best);
    }
  }
  return worst;
}

// Round a circle of radius 100: the tops and bottoms of all 34 rectangles are arcs of radii 97
// and 103 about its centre, the sides radial from one to the other: nothing outside the ring.
TEST(BendTest, RectanglesRoundACircleKeepToTheirRing) {
  const Drawn bent = DrawAlong({Circle(100)}, kEvenRow, kRectangle, true);
  EXPECT_EQ(bent.estimate.figures, 34);
  ExpectEstimateBounds(bent);
  ASSERT_EQ(bent.arcs.size(), 68u);
  ASSERT_EQ(bent.lines.size(), 68u);
  for (const double r : {97.0, 103.0}) {
    EXPECT_EQ(std::count_if(bent.arcs.begin(), bent.arcs.end(),
                            [&](const auto& a) {
                              return a[0] == 0 && a[1] == 0 && std::fabs(a[2] - r) < 1e-9;
                            }),
              34);
  }
  for (const PathPiece& s : bent.lines) {
    const double ra = std::hypot(s.from.x, s.from.y), rb = std::hypot(s.to.x, s.to.y);
    EXPECT_NEAR((s.from.x * s.to.y - s.from.y * s.to.x) / ra, 0, 1e-6);  // through the centre
    EXPECT_NEAR(std::min(ra, rb), 97, 1e-6);  // so all of it within the ring
    EXPECT_NEAR(std::max(ra, rb), 103, 1e-6);
  }
}

// Straight pieces only (corners, gentle turns no copy straddles), or a circle of radius 2 under
// figures 6 high where every copy would fold: a bending row writes the bytes of one that does
// not, and counts the copies it left unbent.
TEST(BendTest, WhereNothingCanBendTheBytesStay) {
  const std::string narrow =
      "-1,-3,1,3\r\n1\r\nN,2\r\nL,0,0,2,1,1,0,0,-1,-3,1,-3\r\nL,0,0,2,1,1,0,0,-1,3,1,3\r\nBD,0\r\n";
  using testing::Polyline;
  // Gentle turns at 35 and 89, where the copies leave gaps of 6 between them.
  const double slope = std::sqrt(54.0 * 54 - 100);
  const std::vector<PathPiece> paths[] = {
      Polyline({{0, 0}, {35, 0}, {35 + slope, 10}, {85 + slope, 10}}),
      Polyline({{0, 0}, {100, 0}, {100, 60}, {0, 60}, {0, 0}}),
      Polyline({{0, 0}, {80, 30}}),
      {Circle(2)}};
  const PatternRow rows[] = {{0, 12, 6, 0, 6.0, 0, 1, 2, 1},
                             {0, 12, 6, 1, 6.0, 1, 2, 0, 2},
                             {0, 7, 3, 2, 1.5, 2, 1, 1, 1},
                             {0, 2, 6, 1, 0.0, 1, 0, 0, 0}};
  for (size_t i = 0; i < 4; ++i) {
    const bool folds = i == 3;
    const Drawn bent = DrawAlong(paths[i], rows[i], folds ? narrow : kRectangle, true);
    EXPECT_EQ(bent.bytes, DrawAlong(paths[i], rows[i], folds ? narrow : kRectangle, false).bytes);
    EXPECT_EQ(bent.estimate.unbent, folds ? bent.estimate.figures : 0);  // all 6, or none
    EXPECT_TRUE(!folds || bent.estimate.figures == 6);
  }
}

// A diagonal and a circle bent into one box: the chains and the true images (sampled densely
// from the path itself) are within the tolerance of each other, both ways, and the chains take
// no more lines than their bound allows; a row of them, no more than its estimate.
TEST(BendTest, ChainsFollowTheTrueImageWithinTheTolerance) {
  const std::pair<std::vector<PathPiece>, double> cases[] = {
      {{Circle(100)}, 10},
      {{Reversed(Circle(9))}, 3},
      {{ArcPiece({0, 0}, 80, 0.5, 0.3, 0, 2 * kPi)}, 5},
      {testing::RoundedRectangle(), 75},  // the copy spans a rounded corner
  };
  const double h = 6, ref = 3;
  LongFontTable fonts;
  const FigureModel model = ParseFigure(kDiagonalAndCircle, RunContext(), fonts);
  for (const auto& [pieces, begin] : cases) {
    SCOPED_TRACE(begin);  // names the case
    const LaidPath laid = SplitRuns(ChainPieces(pieces).at(0));
    const BentBox box(laid, begin, 12, h, ref, {0, 0}, 0);
    ASSERT_TRUE(box.Curved() && !box.Folds());
    OutputBuffer buffer;
    const DrawingState state;
    CommandWriter out(buffer, state);
    ReplayBentFigure(model, box, 1, out);
    const Drawn drawn = Parse(buffer);
    // The path's point and left normal by arc length, the normal from a short chord.
    const auto truth = [&](double x, double y) {
      const Point a = PathAt(laid, begin + x - 1e-5), b = PathAt(laid, begin + x + 1e-5);
      return Along(PathAt(laid, begin + x), y - ref, LeftOf(UnitOf(b.x - a.x, b.y - a.y, {1, 0})));
    };
    // The diagonal (0, 0) ... (12, 6), and the circle about (6, 3) of radius 2.5.
    std::vector<Point> diagonal, circle;
    for (double t = 0; t <= 1 + 1e-12; t += 1.0 / 2000) {
      diagonal.push_back(truth(12 * t, 6 * t));
      circle.push_back(truth(6 + 2.5 * std::cos(2 * kPi * t), 3 + 2.5 * std::sin(2 * kPi * t)));
    }
    std::vector<PathPiece> image = testing::Polyline(diagonal), round = testing::Polyline(circle);
    image.insert(image.end(), round.begin(), round.end());
    EXPECT_LE(FarthestFrom(image, drawn.lines), BendTolerance(h) * 1.0001);
    EXPECT_LE(FarthestFrom(drawn.lines, image), BendTolerance(h) * 1.0001);
    BendReach reach;
    for (const PathPiece& p : laid.path.pieces) reach.Add(PieceReach(p));
    reach.sections = static_cast<double>(box.sections().size());
    EXPECT_LE(static_cast<double>(drawn.lines.size()), BentCopyBound(model, reach, h, ref).lines);
    ExpectEstimateBounds(DrawAlong(pieces, kEvenRow, kDiagonalAndCircle, true));
  }
}

// A figure curve in a 6 x 6 box centred on the origin: centre, radius, flatness, tilt and
// angles (radians), as the figure file holds them.
struct FigureCurve {
  double cx, cy, r, flat, tilt, start, end;
  bool circle;
  // Its point at t = 0 ... 1 in the box (the box's corner at the origin).
  double Sweep() const {
    const double sweep = circle ? 2 * kPi : std::fmod(end - start, 2 * kPi);
    return sweep <= 0 ? sweep + 2 * kPi : sweep;
  }
  Point At(double t) const {
    const double a = (circle ? 0 : start) + Sweep() * t;
    const double x = r * std::cos(a), y = r * flat * std::sin(a);
    return {3 + cx + x * std::cos(tilt) - y * std::sin(tilt),
            3 + cy + x * std::sin(tilt) + y * std::cos(tilt)};
  }
  std::string File() const {
    char line[200];
    std::snprintf(line, sizeof line, "E,0,0,2,1,1,0,0,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%d",
                  cx, cy, r, flat, circle ? 0 : start, Sweep(), tilt, circle);
    return "-3,-3,3,3\r\n1\r\nN,1\r\n" + std::string(line) + "\r\nBD,0\r\n";
  }
};

// The distance from p to the segment a ... b.
double ToSegment(Point p, Point a, Point b) {
  const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
  const double u =
      len2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / len2, 0.0, 1.0) : 0;
  return std::hypot(p.x - a.x - u * dx, p.y - a.y - u * dy);
}

// The fewest lines with their ends on the image, from its start on, that keep every point of
// the image within `tol` of them: each line reaching as far as it can (found by halving, the
// image between its ends sampled finely), which no other choice of ends beats.
int FewestLines(const std::function<Point(double)>& image, double tol) {
  const auto fits = [&](double a, double b) {
    const Point pa = image(a), pb = image(b);
    for (int k = 1; k < 200; ++k) {
      if (ToSegment(image(a + (b - a) * k / 200), pa, pb) > tol) return false;
    }
    return true;
  };
  int lines = 0;
  for (double t = 0; t < 1; ++lines) {
    if (fits(t, 1)) return lines + 1;
    double lo = t, hi = 1;
    for (int k = 0; k < 30; ++k) (fits(t, (lo + hi) / 2) ? lo : hi) = (lo + hi) / 2;
    t = lo;
  }
  return lines;
}

// Circles, ellipses and arcs of a 6 x 6 figure bent round circles from nearly as tight as the
// figure allows to wide: each chain takes no more than 1.3 times the fewest lines that meet the
// tolerance, and every point of every line of it lies within the tolerance of the true image.
TEST(BendTest, ChainsTakeFewLinesAndKeepWithinTheTolerance) {
  const FigureCurve curves[] = {
      {0, 0, 3, 1, 0, 0, 0, true},                // the box's own circle
      {0.5, -0.3, 2.5, 0.4, 0.5, 0, 0, false},    // a tilted flat ellipse, whole
      {0, 0, 2, 1, 0, 0.3, 2.5, false},           // an arc
      {0, 0.5, 2.4, 0.6, -0.4, 4.0, 1.0, false},  // an elliptic arc over its start
  };
  const double h = 6, ref = 3, tol = BendTolerance(h);
  LongFontTable fonts;
  for (const double radius : {3.5, 4.0, 10.0, 100.0}) {
    for (const bool inside : {false, true}) {
      const LaidPath laid =
          SplitRuns(ChainPieces({inside ? Circle(radius) : Reversed(Circle(radius))}).at(0));
      const BentBox box(laid, 1, 6, h, ref, {0, 0}, 0);
      for (const FigureCurve& curve : curves) {
        SCOPED_TRACE(::testing::Message() << radius << (inside ? " left " : " right ") << curve.r);
        const FigureModel model = ParseFigure(curve.File(), RunContext(), fonts);
        OutputBuffer buffer;
        const DrawingState state;
        CommandWriter out(buffer, state);
        ReplayBentFigure(model, box, 1, out);
        const std::vector<PathPiece> lines = Parse(buffer).lines;
        const auto image = [&](double t) {
          const Point b = curve.At(t);
          return box.Map(b.x, b.y);
        };
        const int fewest = FewestLines(image, tol);
        EXPECT_LE(static_cast<double>(lines.size()), 1.3 * fewest) << fewest;
        std::vector<Point> dense;
        for (int k = 0; k <= 4000; ++k) dense.push_back(image(k / 4000.0));
        double worst = 0;
        for (const PathPiece& line : lines) {
          for (double u = 0; u <= 1; u += 1.0 / 16) {
            const Point p{line.from.x + (line.to.x - line.from.x) * u,
                          line.from.y + (line.to.y - line.from.y) * u};
            double best = INFINITY;
            for (size_t k = 0; k + 1 < dense.size(); ++k) {
              best = std::min(best, ToSegment(p, dense[k], dense[k + 1]));
            }
            worst = std::max(worst, best);
          }
        }
        EXPECT_LE(worst, tol) << lines.size() << " lines";
      }
    }
  }
}

// An ellipse 80 x 20 (ci 0 0 40 60 120 0.25 0) is tight only at the ends of its long axis: 3 x 4
// rectangles along its flat top, where it curves round a radius of 107 at least, all bend; those
// at its tight end (radius 2.5 there), where they would pass the centre of curvature, stand
// rigid and are counted, while those on its flanks still bend.
TEST(BendTest, EachCopyOnAnEllipseFoldsOnlyWhereItsOwnPartCurvesTooTightly) {
  const std::string box =
      "-1.5,-2,1.5,2\r\n1\r\nN,4\r\nL,0,0,2,1,1,0,0,-1.5,-2,1.5,-2\r\nL,0,0,2,1,1,0,0,1.5,-2,1.5,"
      "2\r\n"
      "L,0,0,2,1,1,0,0,1.5,2,-1.5,2\r\nL,0,0,2,1,1,0,0,-1.5,2,-1.5,-2\r\nBD,0\r\n";
  const PatternRow row{0, 3, 4, 0, 1.0, 2, 0, 0, 0};
  const double deg = kPi / 180;
  const Drawn top = DrawAlong({ArcPiece({0, 0}, 40, 0.25, 0, 60 * deg, 60 * deg)}, row, box, true);
  EXPECT_EQ(top.estimate.figures, 10);
  EXPECT_EQ(top.estimate.unbent, 0);
  EXPECT_GT(
      top.lines.size() + top.arcs.size(),
      DrawAlong({ArcPiece({0, 0}, 40, 0.25, 0, 60 * deg, 60 * deg)}, row, box, false).lines.size());
  ExpectEstimateBounds(top);
  const Drawn end =
      DrawAlong({ArcPiece({0, 0}, 40, 0.25, 0, -60 * deg, 120 * deg)}, row, box, true);
  EXPECT_GT(end.estimate.unbent, 0);
  EXPECT_LT(end.estimate.unbent, end.estimate.figures);
  ExpectEstimateBounds(end);
}

// A 10 x 4 figure, lines along its top and bottom and a diagonal, straddling a joint where the
// path turns by 10 degrees, left or right, into an arc of radius 200 or another line: every end
// of every line and arc drawn meets another within 1e-9 but for the figure's two free corners
// (the lines on the outside of the turn joined by an arc about the joint point, those on the
// inside cut where they meet), and a row of such copies stays within its estimate.
TEST(BendTest, CopiesStayWholeThroughAJointWhereThePathTurns) {
  const std::string figure =
      "-5,-2,5,2\r\n1\r\nN,3\r\nL,0,0,2,1,1,0,0,-5,-2,5,-2\r\nL,0,0,2,1,1,0,0,-5,2,5,2\r\n"
      "L,0,0,2,1,1,0,0,-5,-2,5,2\r\nBD,0\r\n";
  LongFontTable fonts;
  const FigureModel model = ParseFigure(figure, RunContext(), fonts);
  const double turn = 10 * kPi / 180;
  for (const double side : {1.0, -1.0}) {
    const Point heading{std::cos(turn), side * std::sin(turn)};
    // An arc of radius 200 curving the way the joint turns, starting along `heading`.
    const std::vector<PathPiece> paths[] = {
        {LinePiece({0, 0}, {50, 0}),
         ArcPiece(Along({50, 0}, 200 * side, LeftOf(heading)), 200, 1, 0,
                  LineAngle(heading.x, heading.y) - side * kPi / 2, side * 0.3)},
        testing::Polyline({{0, 0}, {50, 0}, Along({50, 0}, 50, heading)})};
    for (const std::vector<PathPiece>& pieces : paths) {
      SCOPED_TRACE(::testing::Message() << side << " " << pieces[1].IsArc());
      const LaidPath laid = SplitRuns(ChainPieces(pieces).at(0));
      ASSERT_NEAR(laid.path.pieces[1].from.x, 50, 1e-9);
      ASSERT_NEAR(laid.path.pieces[1].from.y, 0, 1e-9);
      const BentBox box(laid, 45, 10, 4, 2, {0, 0}, 0);
      ASSERT_TRUE(box.Turns());
      OutputBuffer buffer;
      const DrawingState state;
      CommandWriter out(buffer, state);
      ReplayBentFigure(model, box, 1, out);
      const Drawn drawn = Parse(buffer);
      std::vector<Point> ends;
      for (const PathPiece& line : drawn.lines) {
        ends.push_back(line.from);
        ends.push_back(line.to);
      }
      size_t joins = 0;  // arcs about the joint: the outside line's
      for (const std::vector<double>& arc : drawn.arcs) {
        ASSERT_GE(arc.size(), 5u);
        if (std::hypot(arc[0] - 50, arc[1]) < 1e-9) {
          ++joins;
          EXPECT_NEAR(arc[2], 2, 1e-9);
        }
        for (const double deg : {arc[3], arc[4]}) {
          const double a = deg * kPi / 180;
          ends.push_back(Along({arc[0], arc[1]}, arc[2], {std::cos(a), std::sin(a)}));
        }
      }
      EXPECT_EQ(joins, 1u);
      size_t alone = 0;
      for (size_t i = 0; i < ends.size(); ++i) {
        size_t partners = 0;
        for (size_t j = 0; j < ends.size(); ++j) {
          partners += j != i && std::hypot(ends[i].x - ends[j].x, ends[i].y - ends[j].y) < 1e-9;
        }
        alone += partners == 0;
      }
      EXPECT_EQ(alone, 2u);
      ExpectEstimateBounds(DrawAlong(pieces, {0, 10, 4, 0, 1.0, 1, 0, 0, 0}, figure, true));
    }
  }
}

// Random figures of lines, arcs and ellipses bent along random paths of lines and arcs turning
// at their joints, and along elliptic arcs: whatever is drawn is finite, and never more than
// the estimate made before it.
TEST(BendTest, RandomBentRunsStayWithinTheirEstimate) {
  std::mt19937_64 random(7);
  const auto r = [&](double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(random);
  };
  for (int run = 0; run < 100; ++run) {
    std::string figure = "-5,-2,5,2\r\n1\r\nN,6\r\n";
    char line[200];
    for (int k = 0; k < 3; ++k) {
      std::snprintf(line, sizeof line, "L,0,0,2,1,1,0,0,%.4f,%.4f,%.4f,%.4f\r\n", r(-5, 5),
                    r(-2, 2), r(-5, 5), r(-2, 2));
      figure += line;
      std::snprintf(line, sizeof line, "E,0,0,2,1,1,0,0,%.4f,%.4f,%.4f,%.4f,%.4f,%.4f,%.4f,0\r\n",
                    r(-3, 3), r(-1, 1), r(0.1, 2), r(0.2, 1.5), r(0, 6), r(0.5, 6), r(0, 3));
      figure += line;
    }
    figure += "BD,0\r\n";
    std::vector<PathPiece> pieces;
    Point at{0, 0};
    double heading = 0;
    for (int k = 0; k < 4; ++k) {
      heading += r(-0.5, 0.5);  // turns of up to 29 degrees, within a run
      const Point h{std::cos(heading), std::sin(heading)};
      if (r(0, 1) < 0.5) {
        pieces.push_back(LinePiece(at, Along(at, r(3, 40), h)));
      } else {
        const double side = r(0, 1) < 0.5 ? 1 : -1, radius = r(4, 60), sweep = side * r(0.1, 1.5);
        pieces.push_back(ArcPiece(Along(at, radius * side, LeftOf(h)), radius, 1, 0,
                                  LineAngle(h.x, h.y) - side * kPi / 2, sweep));
        heading += sweep;
      }
      at = pieces.back().to;
    }
    if (run % 4 == 0)
      pieces = {ArcPiece({0, 0}, r(5, 60), r(0.1, 0.9), r(0, 3), r(0, 6), r(-6, 6))};
    const PatternRow row{0, 10, r(1, 8), run % 3, r(0, 3), run % 3, 0, 0, 0};
    const Drawn drawn = DrawAlong(pieces, row, figure, true);
    for (const PathPiece& s : drawn.lines) {
      ASSERT_TRUE(std::isfinite(s.from.x + s.from.y + s.to.x + s.to.y)) << run;
    }
    if (drawn.estimate.figures > 0) ExpectEstimateBounds(drawn);
  }
}

// A curve that meets a line at a sharp corner: however the copies fill the curve's run, up to
// its very end, no point of them strays farther from the path than the box reaches across it.
TEST(BendTest, CopiesEndingAtACornerStayBesideThePath) {
  std::vector<Point> path;
  for (double t = 0; t <= kPi / 2; t += 0.0002)
    path.push_back({50 * std::cos(t), 50 * std::sin(t)});
  path.push_back({0, 120});
  for (const int arrangement : {0, 1, 2}) {
    const Drawn bent =
        DrawAlong({ArcPiece({0, 0}, 50, 1, 0, 0, kPi / 2), LinePiece({0, 50}, {0, 120})},
                  {0, 12, 6, arrangement, 1.0, 1, 0, 0, 0}, kRectangle, true);
    ASSERT_FALSE(bent.lines.empty());
    EXPECT_LE(FarthestFrom(bent.lines, testing::Polyline(path)), 3 + 0.02) << arrangement;
  }
}

// bend=1 bends; any other value, or none, does not.
TEST(BendTest, TheDetailReadsOneAsBend) {
  const std::pair<const char*, bool> cases[] = {{"[1]\r\nbend=1\r\n", true},
                                                {"[1]\r\nbend=0\r\n", false},
                                                {"[1]\r\nbend=yes\r\n", false},
                                                {"", false}};
  testing::MemoryFileSystem fs;
  for (const auto& [file, bend] : cases) {
    EXPECT_EQ(CheckedRowExtras(RowDetails::Parse(file), 1, fs, "/p/").bend, bend) << file;
  }
}

}  // namespace
}  // namespace gara
