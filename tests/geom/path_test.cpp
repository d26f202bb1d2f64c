#include "geom/path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "exchange/read_exchange.h"
#include "pattern/path_examples.h"
#include "pattern/selected_paths.h"

namespace gara {
namespace {

constexpr double kTol = 1e-9;

using testing::RoundedRectangle;

void ExpectNear(Point a, Point b) {
  EXPECT_NEAR(a.x, b.x, kTol);
  EXPECT_NEAR(a.y, b.y, kTol);
}

TEST(PathChainTest, RoundedRectangleInAnyOrderIsOneClosedPath) {
  const std::vector<PathPiece> pieces = RoundedRectangle();
  // Shuffled, with every second piece reversed; the first one given runs backwards.
  const int order[8] = {5, 2, 7, 0, 3, 6, 1, 4};
  std::vector<PathPiece> given;
  for (int k = 0; k < 8; ++k) {
    const PathPiece& p = pieces[order[k]];
    given.push_back(k % 2 == 0 ? Reversed(p) : p);
  }
  const std::vector<Path> paths = ChainPieces(given);
  ASSERT_EQ(paths.size(), 1u);
  const Path& path = paths[0];
  EXPECT_TRUE(path.closed);
  ASSERT_EQ(path.pieces.size(), 8u);
  EXPECT_NEAR(path.length, 2 * 80 + 2 * 40 + 2 * kPi * 10, kTol);
  // It runs the way its first given piece runs: clockwise.
  EXPECT_EQ(path.pieces[0].from.x, given[0].from.x);
  EXPECT_EQ(path.pieces[0].from.y, given[0].from.y);
  for (size_t i = 0; i < 8; ++i) {
    const PathPiece& a = path.pieces[i];
    const PathPiece& b = path.pieces[(i + 1) % 8];
    ExpectNear(a.to, b.from);
    EXPECT_LT(TurnAngle(a, b), 1e-6);
    if (a.IsArc()) {
      EXPECT_LT(a.sweep, 0);
    }
  }
}

TEST(PathChainTest, WhereThreeEndsMeetTheEarliestPiecesContinueEachOther) {
  // Three lines from the origin: the first chains with the second, the third stands alone.
  const std::vector<PathPiece> pieces = {LinePiece({10, 0}, {0, 0}), LinePiece({0, 10}, {0, 0}),
                                         LinePiece({0, 0}, {-10, 0})};
  const std::vector<Path> paths = ChainPieces(pieces);
  ASSERT_EQ(paths.size(), 2u);
  ASSERT_EQ(paths[0].pieces.size(), 2u);
  ExpectNear(paths[0].pieces[1].to, {0, 10});
  ASSERT_EQ(paths[1].pieces.size(), 1u);
  ExpectNear(paths[1].pieces[0].to, {-10, 0});
}

TEST(PathChainTest, ChainsGrowBackwardsFromTheFirstPiece) {
  const std::vector<PathPiece> pieces = {LinePiece({10, 0}, {20, 0}), LinePiece({0, 0}, {10, 0}),
                                         LinePiece({30, 5}, {20, 0})};
  const std::vector<Path> paths = ChainPieces(pieces);
  ASSERT_EQ(paths.size(), 1u);
  EXPECT_FALSE(paths[0].closed);
  ExpectNear(paths[0].pieces.front().from, {0, 0});
  ExpectNear(paths[0].pieces.back().to, {30, 5});
}

TEST(PathChainTest, WhereManyEndsMeetThePiecesPairOffInFileOrder) {
  for (const int spokes : {2, 7, 40}) {
    SCOPED_TRACE(spokes);
    // Spokes into the origin: each even one goes on into the next, which runs out again.
    std::vector<PathPiece> pieces;
    std::vector<Point> outer;
    for (int i = 0; i < spokes; ++i) {
      const double a = 2 * kPi * i / spokes;
      outer.push_back({10 * std::cos(a), 10 * std::sin(a)});
      pieces.push_back(LinePiece(outer.back(), {0, 0}));
    }
    const std::vector<Path> paths = ChainPieces(pieces);
    ASSERT_EQ(paths.size(), static_cast<size_t>((spokes + 1) / 2));
    for (size_t p = 0; p < paths.size(); ++p) {
      // An odd spoke out stands alone, into the origin.
      const bool alone = 2 * p + 1 == static_cast<size_t>(spokes);
      EXPECT_EQ(paths[p].pieces.size(), alone ? 1u : 2u);
      ExpectNear(paths[p].pieces.front().from, outer[2 * p]);
      ExpectNear(paths[p].pieces.back().to, alone ? Point{0, 0} : outer[2 * p + 1]);
    }
  }
}

TEST(PathChainTest, APolylineInEitherFileOrderRunsItsOwnWayWithItsPiecesAsGiven) {
  for (const bool backwards : {false, true}) {
    SCOPED_TRACE(backwards);
    std::vector<PathPiece> pieces;
    for (int i = 0; i < 500; ++i) {
      pieces.push_back(LinePiece({i * 10.0, (i % 2) * 7.0}, {i * 10.0 + 10, ((i + 1) % 2) * 7.0}));
    }
    std::vector<PathPiece> given = pieces;
    if (backwards) std::reverse(given.begin(), given.end());
    const std::vector<Path> paths = ChainPieces(given);
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_FALSE(paths[0].closed);
    ASSERT_EQ(paths[0].pieces.size(), pieces.size());
    for (size_t i = 0; i < pieces.size(); ++i) {
      EXPECT_EQ(paths[0].pieces[i].from.x, pieces[i].from.x);
      EXPECT_EQ(paths[0].pieces[i].to.y, pieces[i].to.y);
    }
  }
}

TEST(PathChainTest, SelectionKeepsLinesArcsAndCirclesOnly) {
  const DrawingState state = testing::ReadExchangeText(
      "0 0 100 0\r\n"
      "100 0 100 0\r\n"  // zero length
      "ci 100 10 10 270 90 1 0\r\n"
      "pt 5 5\r\n"
      "ch 0 0 1 0 \"text\r\n"
      "ci 500 500 20\r\n");
  const std::vector<Path> paths = SelectedPaths(state.entities);
  ASSERT_EQ(paths.size(), 2u);
  ASSERT_EQ(paths[0].pieces.size(), 2u);
  EXPECT_FALSE(paths[0].closed);
  EXPECT_NEAR(paths[0].length, 100 + kPi * 10, kTol);
  ExpectNear(paths[0].pieces[1].to, {100, 20});
  EXPECT_TRUE(paths[1].closed);
  EXPECT_NEAR(paths[1].length, 2 * kPi * 20, kTol);
}

// The length of the ellipse's arc by chords, 2N and N of them, extrapolated.
double ChordLength(const PathPiece& p, int n) {
  double sum = 0;
  Point prev = p.from;
  for (int i = 1; i <= n; ++i) {
    const Point q = EllipsePoint(p.centre.x, p.centre.y, p.radius, p.flatness, p.tilt,
                                 p.start + p.sweep * i / n);
    sum += Distance(prev.x, prev.y, q.x, q.y);
    prev = q;
  }
  return sum;
}

TEST(PathPieceTest, EllipticalArcsAreMeasuredToOnePartInABillion) {
  struct Case {
    double flatness, start, sweep;
  };
  for (const Case c :
       {Case{0.5, 0, 2 * kPi}, Case{0.05, 0.3, 2.5}, Case{3, -1, -4}, Case{1e4, 0.7, 2 * kPi}}) {
    const PathPiece p = ArcPiece({3, 4}, 20, c.flatness, 0.7, c.start, c.sweep);
    const double coarse = ChordLength(p, 100000);
    const double fine = ChordLength(p, 200000);
    const double exact = fine + (fine - coarse) / 3;
    EXPECT_NEAR(p.length / exact, 1, 1e-9) << c.flatness;
    // A point found by arc length lies that far along.
    const PathPiece part = PieceSpan(p, 0, p.length * 0.37);
    EXPECT_NEAR(part.length / (p.length * 0.37), 1, 1e-9);
    ExpectNear(part.to, PieceAt(p, p.length * 0.37));
  }
}

TEST(PathChainTest, ArcAnglesAreTakenWithinATurn) {
  // Angles past a turn name the same arc as their remainders; a sweep is never more than one
  // turn (one of a thousand turns once cost minutes).
  struct Case {
    const char* wild;
    const char* tame;
  };
  for (const Case c : {Case{"ci 100 40 40 270 360100 40 9 0", "ci 100 40 40 270 100 40 9 0"},
                       Case{"ci 0 0 10 720 1170 0.5 0", "ci 0 0 10 0 90 0.5 0"},
                       Case{"ci 0 0 10 -30 1020 1 0", "ci 0 0 10 -30 300 1 0"}}) {
    const std::vector<Path> wild =
        SelectedPaths(testing::ReadExchangeText(std::string(c.wild) + "\r\n").entities);
    const std::vector<Path> tame =
        SelectedPaths(testing::ReadExchangeText(std::string(c.tame) + "\r\n").entities);
    ASSERT_EQ(wild.size(), 1u) << c.wild;
    ASSERT_EQ(tame.size(), 1u);
    const PathPiece& w = wild[0].pieces[0];
    const PathPiece& t = tame[0].pieces[0];
    EXPECT_LE(std::fabs(w.sweep), 2 * kPi) << c.wild;
    EXPECT_NEAR(w.length, t.length, 1e-9 * t.length) << c.wild;
    ExpectNear(w.from, t.from);
    ExpectNear(w.to, t.to);
  }
  // A flatness whose length overflows leaves nothing to follow; an end angle of 1e300 is some
  // angle within a turn.
  EXPECT_TRUE(
      SelectedPaths(testing::ReadExchangeText("ci 0 0 1 0 90 1e300 0\r\n").entities).empty());
  const std::vector<Path> far =
      SelectedPaths(testing::ReadExchangeText("ci 0 0 10 1e300 -1e300 0.5 0\r\n").entities);
  for (const Path& path : far) EXPECT_LE(std::fabs(path.pieces[0].sweep), 2 * kPi);
}

// An arc entity of radius r about (0, y0 - r) whose chord of length `chord` lies across the top,
// from x = chord / 2 to x = -chord / 2.
std::string TopArc(double r, double chord, double y0 = 0) {
  const double half = std::asin(chord / 2 / r) * 180 / kPi;
  char text[160];
  std::snprintf(text, sizeof text, "ci 0 %.17g %.17g %.17g %.17g 1 0\r\n", y0 - r, r, 90 - half,
                90 + half);
  return text;
}

// An arc is taken by its own ends and sweep: only where its ends are one point is it the whole
// circle, and where it keeps within its precision of its chord it is that chord.
TEST(PathChainTest, ArcsByTheirOwnEnds) {
  struct Case {
    const char* name;
    std::string arc;
    bool closed, straight;
    double length;
  };
  const Case cases[] = {
      {"HugeRadiusIsItsChord", TopArc(1e12, 100), false, true, 100},
      {"TinySweepIsAnArc", TopArc(1e8, 157), false, false, 157},
      {"EqualAnglesAreTheWholeCircle", "ci 0 0 100 30 30 1 0\r\n", true, false, 200 * kPi},
      {"EndsWithinPrecisionAreTheWholeCircle", "ci 0 0 100 30 30.000000001 1 0\r\n", true, false,
       200 * kPi},
      {"HugeWholeCircle", "ci 0 0 1e12 90 90 1 0\r\n", true, false, 2e12 * kPi},
  };
  for (const Case& c : cases) {
    const std::vector<Path> paths = SelectedPaths(testing::ReadExchangeText(c.arc).entities);
    ASSERT_EQ(paths.size(), 1u) << c.name;
    ASSERT_EQ(paths[0].pieces.size(), 1u) << c.name;
    EXPECT_EQ(paths[0].closed, c.closed) << c.name;
    EXPECT_EQ(!paths[0].pieces[0].IsArc(), c.straight) << c.name;
    EXPECT_NEAR(paths[0].length, c.length, 1e-3 + 1e-12 * c.length) << c.name;
  }
}

// Each joint is judged by the tolerance of its two pieces alone: a millionth of the larger, or
// the precision of either.
TEST(PathChainTest, JointsAreJudgedByTheirOwnPieces) {
  const std::vector<PathPiece> gap = {LinePiece({0, 0}, {100, 0}),
                                      LinePiece({100.0002, 0}, {200, 0})};
  const std::vector<PathPiece> near = {LinePiece({0, 0}, {100, 0}),
                                       LinePiece({100.00005, 0}, {200, 0})};
  std::vector<PathPiece> gapBesideHugeArc = gap;
  gapBesideHugeArc.push_back(ArcPiece({0, 1e8 + 1000}, 1e8, 1, 0, -kPi / 2, 4e-6));
  // A short piece at the end of a long one meets it within the long one's tolerance.
  const std::vector<PathPiece> shortAtLong = {LinePiece({0, 0}, {100, 0}),
                                              LinePiece({100.00005, 0}, {100.00105, 0})};
  // A line at the true end of a 100 mm arc of radius 1e12, whose own end is found to a few
  // ten-thousandths of a millimetre.
  const PathPiece huge =
      SelectedPaths(testing::ReadExchangeText(TopArc(1e12, 100)).entities).at(0).pieces.at(0);
  const std::vector<PathPiece> hugeArc = {huge, LinePiece({-50, 0}, {-50, -100})};
  struct Case {
    const char* name;
    std::vector<PathPiece> pieces;
    size_t paths;
  };
  for (const Case& c :
       {Case{"Gap", gap, 2}, Case{"Near", near, 1}, Case{"GapBesideAHugeArc", gapBesideHugeArc, 3},
        Case{"ShortAtLong", shortAtLong, 1}, Case{"HugeArcsEnd", hugeArc, 1}}) {
    EXPECT_EQ(ChainPieces(c.pieces).size(), c.paths) << c.name;
  }
}

// The chains the index finds are those of the plain rule, the earliest unused piece in file
// order with an end within the joint's tolerance, looked for among all pieces one by one: pieces
// of every size, many ends near one another, some just beyond their tolerance.
std::vector<std::vector<Point>> PlainChains(const std::vector<PathPiece>& pieces) {
  std::vector<bool> used(pieces.size(), false);
  std::vector<std::vector<Point>> chains;
  const auto meet = [&](const PathPiece& a, Point p, const PathPiece& b, Point q) {
    return Distance(p.x, p.y, q.x, q.y) <= JointTolerance(a, b);
  };
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (used[i]) continue;
    used[i] = true;
    std::deque<PathPiece> chain = {pieces[i]};
    bool closed = meet(pieces[i], pieces[i].to, pieces[i], pieces[i].from);
    for (int side = 0; side < 2 && !closed; ++side) {
      for (bool grown = true; grown && !closed;) {
        const PathPiece& last = side == 0 ? chain.back() : chain.front();
        const Point head = side == 0 ? last.to : last.from;
        if (side == 0 && chain.size() > 1 && meet(last, head, chain.front(), chain.front().from)) {
          closed = true;
          break;
        }
        grown = false;
        for (size_t j = 0; j < pieces.size() && !grown; ++j) {
          if (used[j] || meet(pieces[j], pieces[j].to, pieces[j], pieces[j].from)) continue;
          for (const bool atStart : {true, false}) {
            if (grown || !meet(last, head, pieces[j], atStart ? pieces[j].from : pieces[j].to)) {
              continue;
            }
            used[j] = true;
            grown = true;
            const PathPiece next = (side == 0) == atStart ? pieces[j] : Reversed(pieces[j]);
            side == 0 ? chain.push_back(next) : chain.push_front(next);
          }
        }
      }
    }
    chains.emplace_back();
    for (const PathPiece& p : chain) chains.back().push_back(p.from);
    chains.back().push_back(chain.back().to);
  }
  return chains;
}

TEST(PathChainTest, TheIndexFindsTheChainsOfThePlainRule) {
  std::mt19937 random(5);
  std::uniform_real_distribution<double> unit(0, 1);
  for (int round = 0; round < 20; ++round) {
    // Corners on a coarse grid, each end moved off its corner by about the tolerance of a piece
    // of its size; lengths from a millimetre to a kilometre.
    std::vector<PathPiece> pieces;
    for (int i = 0; i < 300; ++i) {
      const double scale = std::pow(10.0, 6 * unit(random));
      const auto corner = [&] {
        const double jitter = 2e-6 * scale * (unit(random) - 0.5);
        return Point{std::floor(unit(random) * 6) * scale + jitter,
                     std::floor(unit(random) * 6) * scale + jitter};
      };
      const Point a = corner();
      const Point b = corner();
      pieces.push_back(i % 3 == 0 ? ArcPiece({(a.x + b.x) / 2, a.y}, scale, 1, 0, 0, 2)
                                  : LinePiece(a, b));
    }
    std::erase_if(pieces, [](const PathPiece& p) { return !(p.length > PiecePrecision(p)); });
    const std::vector<Path> paths = ChainPieces(pieces);
    const std::vector<std::vector<Point>> plain = PlainChains(pieces);
    ASSERT_EQ(paths.size(), plain.size()) << round;
    for (size_t k = 0; k < paths.size(); ++k) {
      ASSERT_EQ(paths[k].pieces.size() + 1, plain[k].size()) << round << " " << k;
      for (size_t j = 0; j < paths[k].pieces.size(); ++j) {
        EXPECT_EQ(paths[k].pieces[j].from.x, plain[k][j].x) << round << " " << k;
        EXPECT_EQ(paths[k].pieces[j].from.y, plain[k][j].y) << round << " " << k;
      }
    }
  }
}

TEST(PathPieceTest, PointsFoundOneAfterAnotherMatchThoseFoundFromTheStart) {
  for (const double flatness : {0.05, 0.4, 40.0}) {
    const PathPiece p = ArcPiece({3, 4}, 20, flatness, 0.7, 0.3, -5.5);
    ArcMark mark;
    // Forwards in uneven steps, then one step back.
    for (const double f : {0.001, 0.002, 0.2, 0.21, 0.5, 0.93, 0.999, 0.6}) {
      const Point walked = PieceAt(p, f * p.length, &mark);
      const Point direct = PieceAt(p, f * p.length);
      EXPECT_NEAR(walked.x, direct.x, 1e-9 * p.length) << flatness << " " << f;
      EXPECT_NEAR(walked.y, direct.y, 1e-9 * p.length) << flatness << " " << f;
    }
  }
}

}  // namespace
}  // namespace gara
