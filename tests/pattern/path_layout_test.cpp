#include "pattern/path_layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "exchange/read_exchange.h"
#include "pattern/path_examples.h"
#include "pattern/selected_paths.h"

namespace gara {
namespace {

struct Placed {
  double x, y, angle;
};
struct Round {  // an arc (start < end in degrees) or a circle (start = end = 0)
  double x, y, r, start, end;
};

class Recorder final : public PathSink {
 public:
  std::vector<Placed> figures;
  std::vector<PathPiece> lines;
  std::vector<Round> rounds;
  void Attributes() override {}
  void Figure(FigureSlot, double x, double y, double angle, double) override {
    figures.push_back({x, y, angle});
  }
  void Line(double x1, double y1, double x2, double y2) override {
    lines.push_back(LinePiece({x1, y1}, {x2, y2}));
  }
  void Arc(double cx, double cy, double r, double s, double e) override {
    rounds.push_back({cx, cy, r, s, e});
  }
  void Circle(double cx, double cy, double r) override { rounds.push_back({cx, cy, r, 0, 0}); }
};

LayoutRow Row(double w, double h, double d, bool even, std::vector<int32_t> modes) {
  LayoutRow row;
  row.width = w;
  row.height = h;
  row.interval = d;
  row.evenSpacing = even;
  row.referenceOffset = h / 2;
  for (int k = 0; k < 3; ++k) row.lineModes[k] = static_cast<LineMode>(modes[k]);
  return row;
}

Path MakePath(std::vector<PathPiece> pieces) {
  const std::vector<Path> paths = ChainPieces(pieces);
  EXPECT_EQ(paths.size(), 1u);
  return paths[0];
}

using testing::RoundedRectangle;

// Every rail piece starts where the one before it ends (and the last meets the first when
// the rail is closed).
void ExpectJoined(const std::vector<PathPiece>& rail, bool closed) {
  ASSERT_FALSE(rail.empty());
  for (size_t i = 0; i + 1 < rail.size() + (closed ? 1 : 0); ++i) {
    const PathPiece& a = rail[i];
    const PathPiece& b = rail[(i + 1) % rail.size()];
    EXPECT_NEAR(Distance(a.to.x, a.to.y, b.from.x, b.from.y), 0, 1e-9) << i;
  }
}

// A straight run after a corner is laid out as the two-point segment of its ends, to the last
// bit: its length is the segment's own, not the difference of its stations along the path
// (1000.1 + 7.3 - 1000.1 is not 7.3).
TEST(PathLayoutTest, StraightRunAfterACornerIsItsSegment) {
  for (const bool even : {false, true}) {
    const LayoutRow row = Row(2, 1, 0.3, even, {1, 0, 0});
    const Path path =
        MakePath({LinePiece({0, 0}, {1000.1, 0}), LinePiece({1000.1, 0}, {1000.1, 7.3})});
    Recorder along;
    LayoutPath(row, SplitRuns(path), along);
    Recorder segment;
    const Point ends[2] = {{1000.1, 0}, {1000.1, 7.3}};
    LayoutSegment(row, ends, 1, segment, INFINITY);
    ASSERT_FALSE(segment.figures.empty());
    ASSERT_GE(along.figures.size(), segment.figures.size());
    const size_t skip = along.figures.size() - segment.figures.size();
    for (size_t i = 0; i < segment.figures.size(); ++i) {
      EXPECT_EQ(along.figures[skip + i].x, segment.figures[i].x) << i;
      EXPECT_EQ(along.figures[skip + i].y, segment.figures[i].y) << i;
    }
    EXPECT_EQ(PathFigureCount(row, SplitRuns(path)), static_cast<double>(along.figures.size()));
  }
}

TEST(PathLayoutTest, CircleEvenlySpaced) {
  Recorder sink;
  const Path circle = MakePath({ArcPiece({20, 30}, 100, 1, 0, 0, 2 * kPi)});
  LayoutPath(Row(12, 6, 6, true, {2, 0, 2}), SplitRuns(circle), sink);
  ASSERT_EQ(sink.figures.size(), 34u);
  for (size_t i = 0; i < 34; ++i) {
    const Placed& f = sink.figures[i];
    EXPECT_NEAR(Distance(f.x, f.y, 20, 30), 100 * std::cos(0.06), 1e-9);
    // Equal angles, the first figure's middle 6 along the circle from its start.
    const double a = 0.06 + 2 * kPi * i / 34;
    EXPECT_NEAR(f.x, 20 + 100 * std::cos(0.06) * std::cos(a), 1e-9);
    EXPECT_NEAR(f.angle, std::fmod(a + kPi / 2, 2 * kPi), 1e-9);
  }
  ASSERT_EQ(sink.rounds.size(), 2u);  // top inside, bottom outside
  EXPECT_NEAR(sink.rounds[0].r, 97, 1e-12);
  EXPECT_NEAR(sink.rounds[1].r, 103, 1e-12);
  EXPECT_EQ(sink.rounds[0].start, sink.rounds[0].end);
}

TEST(PathLayoutTest, RoundedRectangleIsOneClosedRunWithClosedRails) {
  const Path path = MakePath(RoundedRectangle());
  const LaidPath laid = SplitRuns(path);
  ASSERT_EQ(laid.runs.size(), 1u);
  EXPECT_TRUE(laid.runs[0].closed);
  Recorder sink;
  LayoutPath(Row(10, 6, 2, false, {2, 0, 2}), laid, sink);
  EXPECT_EQ(sink.figures.size(), static_cast<size_t>(std::floor(path.length / 12)));
  for (const double k : {3.0, -3.0}) {
    const std::vector<PathPiece> rail = OffsetRail(path.pieces, true, k);
    ExpectJoined(rail, true);
    // Each point of the rail lies k from the path: 10 - k from the inner rectangle.
    for (const PathPiece& p : rail) {
      for (double t = 0; t <= 1; t += 0.125) {
        const Point q = PieceAt(p, p.length * t);
        const double dx = std::max({10 - q.x, 0.0, q.x - 90});
        const double dy = std::max({10 - q.y, 0.0, q.y - 50});
        EXPECT_NEAR(std::hypot(dx, dy), 10 - k, 1e-9);
      }
    }
  }
}

TEST(PathLayoutTest, CurveOfShortLinesIsOneRun) {
  // A quarter circle of radius 500 drawn as 200 lines of about 3.9 each.
  std::vector<PathPiece> pieces;
  for (int i = 0; i < 200; ++i) {
    const double a = kPi / 2 * i / 200;
    const double b = kPi / 2 * (i + 1) / 200;
    pieces.push_back(
        LinePiece({500 * std::cos(a), 500 * std::sin(a)}, {500 * std::cos(b), 500 * std::sin(b)}));
  }
  const Path path = MakePath(pieces);
  const LaidPath laid = SplitRuns(path);
  ASSERT_EQ(laid.runs.size(), 1u);
  Recorder sink;
  LayoutPath(Row(10, 6, 3, false, {1, 0, 0}), laid, sink);
  const size_t n = static_cast<size_t>(std::floor((path.length + 3) / 13));
  ASSERT_EQ(sink.figures.size(), n);
  // Figures follow each other 13 apart along the curve, just inside it ("中": on the chord).
  for (size_t i = 1; i < n; ++i) {
    const Placed& a = sink.figures[i - 1];
    const Placed& b = sink.figures[i];
    EXPECT_NEAR(Distance(a.x, a.y, b.x, b.y), 13, 0.01);
    EXPECT_NEAR(std::hypot(b.x, b.y), 500, 0.1);
  }
  // Top gap rails in every gap but none across a figure: each rail line lies outside them.
  EXPECT_GE(sink.lines.size(), n + 1);
  for (const PathPiece& l : sink.lines) {
    for (const Placed& f : sink.figures) {
      const Point m{(l.from.x + l.to.x) / 2, (l.from.y + l.to.y) / 2};
      EXPECT_GT(Distance(m.x, m.y, f.x, f.y), 5 - 1e-6);
    }
  }
}

TEST(PathLayoutTest, SharpLineArcCornerRestartsTheLayoutAndJoinsTheRails) {
  // Along the x axis to (100, 0), then a right turn into a half circle about (130, 0).
  const Path path = MakePath({LinePiece({0, 0}, {100, 0}), ArcPiece({130, 0}, 30, 1, 0, kPi, kPi)});
  const LaidPath laid = SplitRuns(path);
  ASSERT_EQ(laid.runs.size(), 2u);
  Recorder sink;
  LayoutPath(Row(10, 6, 0, false, {0, 0, 0}), laid, sink);
  // 10 on the line, 9 on the arc (94.2 long), none across the corner.
  ASSERT_EQ(sink.figures.size(), 19u);
  for (size_t i = 0; i < 10; ++i) EXPECT_NEAR(sink.figures[i].x, 5 + 10.0 * i, 1e-9);
  for (size_t i = 10; i < 19; ++i) {
    EXPECT_NEAR(std::hypot(sink.figures[i].x - 130, sink.figures[i].y), 30 * std::cos(1 / 6.0),
                1e-9);
  }
  // Inside the turn the offsets cross; outside they meet on the extended line; far outside
  // (20 away, the arc's offset shrinking to 10) an arc around the corner closes the gap.
  for (const double k : {-3.0, 3.0, 20.0}) {
    const std::vector<PathPiece> rail = OffsetRail(path.pieces, false, k);
    ExpectJoined(rail, false);
    ASSERT_EQ(rail.size(), k == 20.0 ? 3u : 2u);
    EXPECT_NEAR(rail.back().radius, 30 - k, 1e-12);
  }
  const std::vector<PathPiece> outside = OffsetRail(path.pieces, false, 3);
  EXPECT_NEAR(outside[0].to.x, 130 - std::sqrt(27 * 27 - 9), 1e-9);
  EXPECT_NEAR(OffsetRail(path.pieces, false, -3)[0].to.x, 130 - std::sqrt(33 * 33 - 9), 1e-9);
}

TEST(PathLayoutTest, EllipticalRailStaysWithinAThousandthOfTheOffset) {
  const PathPiece arc = ArcPiece({0, 0}, 50, 0.4, 0.3, 0.2, 4);
  const std::vector<PathPiece> rail = OffsetRail({arc}, false, 5);
  ExpectJoined(rail, false);
  // The true offset by the ellipse's own parameter, independent of the arc length.
  auto offsetAt = [&](double t) {
    const double c = std::cos(0.3), sn = std::sin(0.3);
    const double px = 50 * std::cos(t), py = 20 * std::sin(t);
    const double dx = -50 * std::sin(t), dy = 20 * std::cos(t);
    const double tx = dx * c - dy * sn, ty = dx * sn + dy * c;
    const double len = std::hypot(tx, ty);
    return Point{px * c - py * sn - 5 * ty / len, px * sn + py * c + 5 * tx / len};
  };
  std::vector<Point> samples;
  const int kSamples = 2000;
  for (int i = 0; i <= kSamples; ++i) samples.push_back(offsetAt(0.2 + 4.0 * i / kSamples));
  for (const PathPiece& p : rail) {
    // The middle of each short line against the nearest point of the true offset: the nearest
    // sample, then a golden-section search around it.
    const Point m{(p.from.x + p.to.x) / 2, (p.from.y + p.to.y) / 2};
    auto dist = [&](double s) {
      const Point q = offsetAt(s);
      return Distance(m.x, m.y, q.x, q.y);
    };
    size_t best = 0;
    for (size_t i = 1; i < samples.size(); ++i) {
      if (Distance(m.x, m.y, samples[i].x, samples[i].y) <
          Distance(m.x, m.y, samples[best].x, samples[best].y)) {
        best = i;
      }
    }
    const double step = 4.0 / kSamples;
    double lo = 0.2 + std::max(0.0, (best - 1.0) * step);
    double hi = 0.2 + std::min(4.0, (best + 1.0) * step);
    for (int i = 0; i < 60; ++i) {
      const double a = lo + (hi - lo) * 0.382;
      const double b = lo + (hi - lo) * 0.618;
      if (dist(a) < dist(b)) {
        hi = b;
      } else {
        lo = a;
      }
    }
    EXPECT_LT(dist((lo + hi) / 2), 0.001);
  }
}

TEST(PathLayoutTest, ArcWithAnEndAngleOfManyTurnsIsLaidOutOnce) {
  // A fuzz input that once ran for minutes: the last arc ends 360100 degrees round, that is
  // at 100 degrees.
  const std::vector<Path> paths =
      SelectedPaths(testing::ReadExchangeText("hq\r\n"
                                              "ci 180 100 40 90 1<garbage>180 14gallery\r\n"
                                              "ci 180 \r\n"
                                              "ci 180 100 40 90 180 1 0\r\n"
                                              "ci 100 40 40 270 360100 40 9 0\r\n")
                        .entities);
  const LayoutRow row = Row(10, 6, 0, false, {2, 1, 2});
  double expected = 0;
  Recorder out;
  for (const Path& path : paths) {
    const LaidPath laid = SplitRuns(path);
    expected += PathFigureCount(row, laid);
    LayoutPath(row, laid, out);
  }
  // One turn of an ellipse 40 by 1600 at most, not a thousand.
  EXPECT_GT(expected, 0);
  EXPECT_LT(expected, 2 * kPi * 1600 / 10);
  EXPECT_EQ(static_cast<double>(out.figures.size()), expected);
  for (const Placed& f : out.figures) {
    EXPECT_TRUE(std::isfinite(f.x) && std::isfinite(f.y) && std::isfinite(f.angle));
  }
  EXPECT_FALSE(out.lines.empty());
}

TEST(PathLayoutTest, EllipticalRailsAreCountedForTheLimits) {
  // Round, flat, tall and huge ellipses, inside and outside; a rail of a huge ellipse takes
  // millions of short lines, which the limits must see before they are made.
  struct Case {
    double r, flatness, sweep, k;
  };
  for (const Case c : {Case{50, 0.4, 4, 5}, Case{50, 0.4, 4, -5}, Case{1e6, 0.5, 1.5, 3},
                       Case{100, 0.01, 6.28, -3}, Case{100, 0.001, 6.28, 30},
                       Case{1000, 50, 6.28, 30}, Case{1e5, 0.0001, 6.28, 100}}) {
    const PathPiece arc = ArcPiece({0, 0}, c.r, c.flatness, 0.3, 0.2, c.sweep);
    const double made = static_cast<double>(OffsetRail({arc}, false, c.k).size());
    const double counted = EllipseOffsetLines(arc, c.k);
    EXPECT_GE(counted, made) << c.r << " " << c.flatness << " " << c.k;
    EXPECT_LE(counted, 2 * made) << c.r << " " << c.flatness << " " << c.k;
  }
}

}  // namespace
}  // namespace gara
