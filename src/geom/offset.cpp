#include "geom/offset.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "util/portable_math.h"

namespace gara {

namespace {

// The largest distance of a short line of an ellipse's offset from the true curve.
constexpr double kEllipseRailError = 0.001;

// The angle of `a` turned into `b`, in (-pi, pi].
double SignedAngle(Point a, Point b) {
  return PortableAtan2(a.x * b.y - a.y * b.x, a.x * b.x + a.y * b.y);
}

double Wrap(double a) {
  while (a > kPi) a -= kTwoPi;
  while (a <= -kPi) a += kTwoPi;
  return a;
}

// The parameter of a circular arc at which it passes the direction of p from its centre.
double CircleParameter(const PathPiece& arc, Point p) {
  return PortableAtan2(p.y - arc.centre.y, p.x - arc.centre.x) - arc.tilt;
}

// An arc trimmed past its other end is gone; turned round it would draw a piece backwards.
void SetSweep(PathPiece& arc, double sweep) {
  arc.sweep = sweep * arc.sweep > 0 ? sweep : 0;
  arc.length = arc.radius * std::fabs(arc.sweep);
}

void SetEnd(PathPiece& piece, Point x) {
  if (piece.IsArc()) {
    SetSweep(piece, piece.sweep + Wrap(CircleParameter(piece, x) - (piece.start + piece.sweep)));
  } else {
    piece.length = Distance(piece.from.x, piece.from.y, x.x, x.y);
  }
  piece.to = x;
}

void SetStart(PathPiece& piece, Point x) {
  if (piece.IsArc()) {
    const double d = Wrap(CircleParameter(piece, x) - piece.start);
    piece.start += d;
    SetSweep(piece, piece.sweep - d);
  } else {
    piece.length = Distance(x.x, x.y, piece.to.x, piece.to.y);
  }
  piece.from = x;
}

// Where the full line or circle of `a` meets that of `b`: up to two points.
int Meet(const PathPiece& a, const PathPiece& b, std::array<Point, 2>& out) {
  if (!a.IsArc() && !b.IsArc()) {
    const Intersection hit =
        IntersectLines(a.from.x, a.from.y, a.to.x, a.to.y, b.from.x, b.from.y, b.to.x, b.to.y);
    if (hit.result == LineCrossing::kParallel || !std::isfinite(hit.point.x) ||
        !std::isfinite(hit.point.y))
      return 0;
    out[0] = hit.point;
    return 1;
  }
  if (a.IsArc() && b.IsArc()) {
    const double dx = b.centre.x - a.centre.x;
    const double dy = b.centre.y - a.centre.y;
    const double d = PortableHypot(dx, dy);
    if (!(d > kEpsilon)) return 0;
    const double along = (d * d + a.radius * a.radius - b.radius * b.radius) / (2 * d);
    const double h2 = a.radius * a.radius - along * along;
    if (h2 < 0) return 0;
    const double h = std::sqrt(h2);
    const Point u{dx / d, dy / d};
    const Point m = Along(a.centre, along, u);
    out[0] = Along(m, h, LeftOf(u));
    out[1] = Along(m, -h, LeftOf(u));
    return 2;
  }
  const PathPiece& line = a.IsArc() ? b : a;
  const PathPiece& arc = a.IsArc() ? a : b;
  const Point u = UnitOf(line.to.x - line.from.x, line.to.y - line.from.y, {1, 0});
  // The foot of the centre on the line, then the chord's half length.
  const double t = (arc.centre.x - line.from.x) * u.x + (arc.centre.y - line.from.y) * u.y;
  const Point foot = Along(line.from, t, u);
  const double dist = Distance(foot.x, foot.y, arc.centre.x, arc.centre.y);
  const double h2 = arc.radius * arc.radius - dist * dist;
  if (h2 < 0) return 0;
  const double h = std::sqrt(h2);
  out[0] = Along(foot, -h, u);
  out[1] = Along(foot, h, u);
  return 2;
}

// Short lines along the offset of an elliptical arc, each halved (in the ellipse's parameter,
// which needs no arc length) until its middle lies within the allowed error of the offset.
void EllipseOffset(const PathPiece& p, double k, PieceSink& put) {
  struct Span {
    double t0, t1;
    Point a, b;
  };
  const double sweep = std::fabs(p.sweep);
  const int first = FirstEllipseSpans(sweep);
  std::vector<Span> todo;
  for (int i = first - 1; i >= 0; --i) {
    const double t0 = sweep * i / first;
    const double t1 = sweep * (i + 1) / first;
    todo.push_back({t0, t1, ArcOffsetAt(p, t0, k), ArcOffsetAt(p, t1, k)});
  }
  while (!todo.empty()) {
    const Span span = todo.back();
    todo.pop_back();
    const double tm = (span.t0 + span.t1) / 2;
    const Point m = ArcOffsetAt(p, tm, k);
    const Point mid{(span.a.x + span.b.x) / 2, (span.a.y + span.b.y) / 2};
    if (span.t1 - span.t0 > 1e-9 * sweep &&
        Distance(m.x, m.y, mid.x, mid.y) > kEllipseRailError / 2) {
      todo.push_back({tm, span.t1, m, span.b});
      todo.push_back({span.t0, tm, span.a, m});
      continue;
    }
    put.Put(LinePiece(span.a, span.b));
  }
}

// The offsets of one piece: a line, a concentric arc, short lines for an ellipse, or nothing
// where an arc's offset shrinks to its centre.
void OffsetPiece(const PathPiece& p, double k, PieceSink& put) {
  if (!p.IsArc()) {
    const Point n = LeftOf(UnitOf(p.to.x - p.from.x, p.to.y - p.from.y, {1, 0}));
    put.Put(LinePiece(Along(p.from, k, n), Along(p.to, k, n)));
  } else if (p.IsCircular()) {
    const double r = p.sweep > 0 ? p.radius - k : p.radius + k;
    if (r > kEpsilon) put.Put(ArcPiece(p.centre, r, 1, p.tilt, p.start, p.sweep));
  } else {
    EllipseOffset(p, k, put);
  }
}

// Makes the offsets `a` (ending) and `b` (starting) at the path's joint meet. Returns the arc
// around the joint to put between them, when they do not meet; a piece of length 0 otherwise.
PathPiece Join(PathPiece& a, PathPiece& b, Point joint, double k) {
  if (NearlySamePoint(a.to.x, a.to.y, b.from.x, b.from.y)) {
    b.from = a.to;
    return {};
  }
  std::array<Point, 2> hits;
  const int count = Meet(a, b, hits);
  const Point mid{(a.to.x + b.from.x) / 2, (a.to.y + b.from.y) / 2};
  int best = -1;
  for (int i = 0; i < count; ++i) {
    if (best < 0 || Distance(hits[i].x, hits[i].y, mid.x, mid.y) <
                        Distance(hits[best].x, hits[best].y, mid.x, mid.y)) {
      best = i;
    }
  }
  // A crossing of an arc farther than the mitre's reach belongs to another turn; lines that
  // cross that far turn nearly back on themselves.
  const double gap = Distance(a.to.x, a.to.y, b.from.x, b.from.y);
  if (best >= 0 && MitreReaches(hits[best], joint, k, gap)) {
    SetEnd(a, hits[best]);
    SetStart(b, hits[best]);
    return {};
  }
  if (!a.IsArc() && !b.IsArc()) {
    if (best < 0) return {};  // parallel lines stay as they are
    return LinePiece(a.to, b.from);
  }
  const Point u{a.to.x - joint.x, a.to.y - joint.y};
  const Point v{b.from.x - joint.x, b.from.y - joint.y};
  PathPiece around =
      ArcPiece(joint, std::fabs(k), 1, 0, PortableAtan2(u.y, u.x), SignedAngle(u, v));
  around.from = a.to;
  around.to = b.from;
  return around;
}

// The offsets of one piece by their ends (the same piece when there is one).
struct Group {
  size_t source = 0;
  size_t count = 0;
  PathPiece first, last;
  PathPiece& Front() { return first; }
  PathPiece& Back() { return count == 1 ? first : last; }
};

// Keeps the first and last offsets of a piece.
class Ends final : public PieceSink {
 public:
  explicit Ends(Group& g) : g_(g) {}
  void Put(const PathPiece& q) override {
    if (g_.count++ == 0) g_.first = q;
    g_.last = q;
  }

 private:
  Group& g_;
};

// Hands over the offsets of a piece made again, with its ends as they were joined.
class Joined final : public PieceSink {
 public:
  Joined(const Group& g, PieceSink& out) : g_(g), out_(out) {}
  void Put(const PathPiece& q) override {
    out_.Put(n_ == 0 ? g_.first : n_ + 1 == g_.count ? g_.last : q);
    ++n_;
  }

 private:
  const Group& g_;
  PieceSink& out_;
  size_t n_ = 0;
};

// One pass over the pieces' offsets, joining each group with the next as it comes, so that only
// two groups are held at a time. A closed rail's first group is joined last, with the last
// group, yet handed over first: `firstJoined` is that group as the last join leaves it, found by
// a pass before (without `put`). Returns the first group as the last join leaves it.
Group JoinRail(const std::vector<PathPiece>& pieces, bool closed, double k,
               const Group* firstJoined, PieceSink* put) {
  const auto hand = [&](const Group& g, const PathPiece& around) {
    if (put == nullptr) return;
    if (g.count == 1) {
      put->Put(g.first);
    } else {
      Joined joined(g, *put);
      OffsetPiece(pieces[g.source], k, joined);
    }
    if (around.length > 0) put->Put(around);
  };
  Group first, previous;
  Point joint{};  // the path's joint where `previous` ends
  size_t count = 0;
  for (size_t i = 0; i < pieces.size(); ++i) {
    Group g;
    g.source = i;
    Ends ends(g);
    OffsetPiece(pieces[i], k, ends);
    if (g.count == 0) continue;
    if (count++ > 0) {
      const PathPiece around = Join(previous.Back(), g.Front(), joint, k);
      if (count == 2) {
        first = previous;
        hand(closed && firstJoined != nullptr ? *firstJoined : previous, around);
      } else {
        hand(previous, around);
      }
    }
    previous = g;
    joint = pieces[i].to;
  }
  if (count == 0) return first;
  if (count == 1) first = previous;
  PathPiece around;
  if (closed && count > 1) around = Join(previous.Back(), first.Front(), joint, k);
  hand(previous, around);
  return first;
}

}  // namespace

bool MitreReaches(Point crossing, Point joint, double k, double gap) {
  return Distance(crossing.x, crossing.y, joint.x, joint.y) <= kMitreLimit * std::fabs(k) + gap;
}

void ForEachRailPiece(const std::vector<PathPiece>& pieces, bool closed, double k, PieceSink& put) {
  if (!closed) {
    JoinRail(pieces, false, k, nullptr, &put);
    return;
  }
  const Group first = JoinRail(pieces, true, k, nullptr, nullptr);
  JoinRail(pieces, true, k, &first, &put);
}

// An eighth of a half turn at most.
int FirstEllipseSpans(double sweep) {
  return std::max(4, static_cast<int>(std::ceil(sweep / (kPi / 8))));
}

double EllipseOffsetLines(const PathPiece& piece, double k) {
  // A span of parameter h is kept once its bend |P''| h^2 / 8 is within half the error, so the
  // offset P takes about the integral of sqrt(|P''| / (4 error)) spans, twice that at most by
  // the halving's powers of two. P'' by second differences of the ellipse E and its normal N
  // (P = E + k N), 16 to a quarter turn: enough for a count, not for the line.
  const double sweep = std::fabs(piece.sweep);
  const int first = FirstEllipseSpans(sweep);
  const int n = 4 * first;
  std::array<Point, 3> e{}, nrm{};
  double sum = 0;
  for (int i = 0; i <= n; ++i) {
    const double tau = sweep * i / n;
    e = {e[1], e[2], ArcOffsetAt(piece, tau, 0)};
    const Point o = ArcOffsetAt(piece, tau, 1);
    nrm = {nrm[1], nrm[2], Point{o.x - e[2].x, o.y - e[2].y}};
    if (i < 2) continue;
    const double de = PortableHypot(e[0].x - 2 * e[1].x + e[2].x, e[0].y - 2 * e[1].y + e[2].y);
    const double dn =
        PortableHypot(nrm[0].x - 2 * nrm[1].x + nrm[2].x, nrm[0].y - 2 * nrm[1].y + nrm[2].y);
    sum += std::sqrt((de + std::fabs(k) * dn) / (4 * kEllipseRailError));
  }
  const double lines = first + 2 * sum * n / (n - 1);
  return std::isnan(lines) ? INFINITY : lines;  // an ellipse past the range of the numbers
}

std::vector<PathPiece> OffsetRail(const std::vector<PathPiece>& pieces, bool closed, double k) {
  struct Collect final : PieceSink {
    std::vector<PathPiece> rail;
    void Put(const PathPiece& p) override { rail.push_back(p); }
  } collect;
  ForEachRailPiece(pieces, closed, k, collect);
  return std::move(collect.rail);
}

}  // namespace gara
