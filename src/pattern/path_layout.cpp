#include "pattern/path_layout.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "util/portable_math.h"

namespace gara {

namespace {

constexpr double kTwoPi = 2 * kPi;
// The largest distance of a short line of an ellipse's offset from the true curve.
constexpr double kEllipseRailError = 0.001;

Point Left(Point u) { return {-u.y, u.x}; }
Point Add(Point p, double k, Point d) { return {p.x + k * d.x, p.y + k * d.y}; }

Point UnitOf(double x, double y, Point otherwise) {
  const double len = PortableHypot(x, y);
  if (!(len > kEpsilon)) return otherwise;
  return {x / len, y / len};
}

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
        !std::isfinite(hit.point.y)) {
      return 0;
    }
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
    const Point m = Add(a.centre, along, u);
    out[0] = Add(m, h, Left(u));
    out[1] = Add(m, -h, Left(u));
    return 2;
  }
  const PathPiece& line = a.IsArc() ? b : a;
  const PathPiece& arc = a.IsArc() ? a : b;
  const Point u = UnitOf(line.to.x - line.from.x, line.to.y - line.from.y, {1, 0});
  // The foot of the centre on the line, then the chord's half length.
  const double t = (arc.centre.x - line.from.x) * u.x + (arc.centre.y - line.from.y) * u.y;
  const Point foot = Add(line.from, t, u);
  const double dist = Distance(foot.x, foot.y, arc.centre.x, arc.centre.y);
  const double h2 = arc.radius * arc.radius - dist * dist;
  if (h2 < 0) return 0;
  const double h = std::sqrt(h2);
  out[0] = Add(foot, -h, u);
  out[1] = Add(foot, h, u);
  return 2;
}

// The spans an elliptical arc's offset starts from: an eighth of a half turn at most.
int FirstSpans(double sweep) { return std::max(4, static_cast<int>(std::ceil(sweep / (kPi / 8)))); }

// The rails' distances to the left of the base line, top, middle and bottom.
std::array<double, 3> RailDistances(const LayoutRow& row) {
  const double h = row.height;
  const double r = row.referenceOffset;
  return {h - r, h / 2 - r, -r};
}

// Short lines along the offset of an elliptical arc, each halved (in the ellipse's parameter,
// which needs no arc length) until its middle lies within the allowed error of the offset.
template <typename Put>
void EllipseOffset(const PathPiece& p, double k, Put&& put) {
  struct Span {
    double t0, t1;
    Point a, b;
  };
  const double sweep = std::fabs(p.sweep);
  const int first = FirstSpans(sweep);
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
    put(LinePiece(span.a, span.b));
  }
}

// The offsets of one piece: a line, a concentric arc, short lines for an ellipse, or nothing
// where an arc's offset shrinks to its centre.
template <typename Put>
void OffsetPiece(const PathPiece& p, double k, Put&& put) {
  if (!p.IsArc()) {
    const Point n = Left(UnitOf(p.to.x - p.from.x, p.to.y - p.from.y, {1, 0}));
    put(LinePiece(Add(p.from, k, n), Add(p.to, k, n)));
  } else if (p.IsCircular()) {
    const double r = p.sweep > 0 ? p.radius - k : p.radius + k;
    if (r > kEpsilon) put(ArcPiece(p.centre, r, 1, p.tilt, p.start, p.sweep));
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
  // A crossing farther than the offset's own reach from the joint belongs to another turn.
  const double reach = 4 * std::fabs(k) + Distance(a.to.x, a.to.y, b.from.x, b.from.y);
  const bool near = best >= 0 && (!(a.IsArc() || b.IsArc()) ||
                                  Distance(hits[best].x, hits[best].y, joint.x, joint.y) <= reach);
  if (near) {
    SetEnd(a, hits[best]);
    SetStart(b, hits[best]);
    return {};
  }
  if (!a.IsArc() && !b.IsArc()) return {};  // parallel lines stay as they are
  const Point u{a.to.x - joint.x, a.to.y - joint.y};
  const Point v{b.from.x - joint.x, b.from.y - joint.y};
  PathPiece around =
      ArcPiece(joint, std::fabs(k), 1, 0, PortableAtan2(u.y, u.x), SignedAngle(u, v));
  around.from = a.to;
  around.to = b.from;
  return around;
}

void EmitPiece(const PathPiece& p, PathSink& sink) {
  constexpr double kDeg = 180.0 / kPi;
  if (!p.IsArc()) {
    sink.Line(p.from.x, p.from.y, p.to.x, p.to.y);
  } else if (std::fabs(p.sweep) >= kTwoPi - 1e-12) {
    sink.Circle(p.centre.x, p.centre.y, p.radius);
  } else if (p.length > 0) {
    const double a = (p.start + p.tilt) * kDeg;
    const double b = (p.start + p.sweep + p.tilt) * kDeg;
    sink.Arc(p.centre.x, p.centre.y, p.radius, NormalizeDeg(std::min(a, b)),
             NormalizeDeg(std::max(a, b)));
  }
}

// The rail at distance k of the pieces, handed to `put` piece by piece. The offsets of an
// elliptical piece are made twice, once to join its ends with its neighbours' and once to hand
// them over, rather than kept: a huge ellipse has millions of them.
template <typename Put>
void ForEachRailPiece(const std::vector<PathPiece>& pieces, bool closed, double k, Put&& put) {
  // The offsets of each piece by their ends (the same piece when there is one), with the joint
  // each group ends at.
  struct Group {
    size_t source = 0;
    size_t count = 0;
    PathPiece first, last;
    PathPiece& Front() { return first; }
    PathPiece& Back() { return count == 1 ? first : last; }
  };
  std::vector<Group> groups;
  std::vector<Point> joints;
  for (size_t i = 0; i < pieces.size(); ++i) {
    Group g;
    g.source = i;
    OffsetPiece(pieces[i], k, [&g](const PathPiece& q) {
      if (g.count++ == 0) g.first = q;
      g.last = q;
    });
    if (g.count == 0) continue;
    groups.push_back(g);
    joints.push_back(pieces[i].to);
  }
  std::vector<PathPiece> arounds(groups.size());
  const size_t count = groups.size();
  for (size_t i = 0; i + 1 < count || (closed && count > 1 && i < count); ++i) {
    arounds[i] = Join(groups[i].Back(), groups[(i + 1) % count].Front(), joints[i], k);
  }
  for (size_t i = 0; i < count; ++i) {
    Group& g = groups[i];
    if (g.count == 1) {
      put(g.first);
    } else {
      size_t n = 0;
      OffsetPiece(pieces[g.source], k, [&](const PathPiece& q) {
        put(n == 0 ? g.first : n + 1 == g.count ? g.last : q);
        ++n;
      });
    }
    if (arounds[i].length > 0) put(arounds[i]);
  }
}

void EmitRail(const std::vector<PathPiece>& pieces, bool closed, double k, PathSink& sink) {
  ForEachRailPiece(pieces, closed, k, [&sink](const PathPiece& p) { EmitPiece(p, sink); });
}

}  // namespace

double EllipseOffsetLines(const PathPiece& piece, double k) {
  // A span of parameter h is kept once its bend |P''| h^2 / 8 is within half the error, so the
  // offset P takes about the integral of sqrt(|P''| / (4 error)) spans, twice that at most by
  // the halving's powers of two. P'' by second differences of the ellipse E and its normal N
  // (P = E + k N), 16 to a quarter turn: enough for a count, not for the line.
  const double sweep = std::fabs(piece.sweep);
  const int first = FirstSpans(sweep);
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

double EllipseRailLines(const LayoutRow& row, const LaidPath& laid, double figures) {
  const std::array<double, 3> distances = RailDistances(row);
  double total = 0;
  double gapRails = 0;
  bool ellipse = false;
  for (int k = 0; k < 3; ++k) {
    if (row.lineModes[k] == LineMode::kNone) continue;
    gapRails += row.lineModes[k] == LineMode::kGaps;
    for (const PathPiece& p : laid.path.pieces) {
      if (!p.IsArc() || p.IsCircular()) continue;
      ellipse = true;
      total += EllipseOffsetLines(p, distances[k]);
    }
  }
  // A gap along an ellipse starts from several spans, not one line.
  const double pieces = static_cast<double>(laid.path.pieces.size());
  if (ellipse) total += gapRails * (FirstSpans(0) - 1) * (figures + 2 * pieces);
  return total;
}

LaidPath PlanRuns(const Path& path) {
  LaidPath laid;
  laid.path = path;
  std::vector<PathPiece>& pieces = laid.path.pieces;
  const size_t count = pieces.size();
  std::vector<bool> corner(count, false);  // a corner before piece i
  for (size_t i = 0; i < count; ++i) {
    if (i == 0 && !path.closed) continue;
    corner[i] = TurnAngle(pieces[(i + count - 1) % count], pieces[i]) > kCornerTurn;
  }
  const auto firstCorner = std::find(corner.begin(), corner.end(), true);
  if (path.closed && firstCorner != corner.end()) {
    const auto shift = firstCorner - corner.begin();
    std::rotate(pieces.begin(), pieces.begin() + shift, pieces.end());
    std::rotate(corner.begin(), corner.begin() + shift, corner.end());
  }
  double s = 0;
  for (size_t i = 0; i < count; ++i) {
    laid.starts.push_back(s);
    if (i == 0 || corner[i]) laid.runs.push_back({s, s, false});
    s += pieces[i].length;
    laid.runs.back().end = s;
  }
  if (path.closed && firstCorner == corner.end() && !laid.runs.empty()) {
    laid.runs.back().closed = true;
  }
  laid.path.length = s;
  return laid;
}

Point PathAt(const LaidPath& laid, double s, ArcMark* mark) {
  const double length = laid.path.length;
  if (laid.path.closed && length > 0) {
    s = std::fmod(s, length);
    if (s < 0) s += length;
  }
  const auto it = std::upper_bound(laid.starts.begin(), laid.starts.end(), s);
  const size_t i = it == laid.starts.begin() ? 0 : (it - laid.starts.begin()) - 1;
  return PieceAt(laid.path.pieces[i], s - laid.starts[i], mark);
}

std::vector<PathPiece> SubPath(const LaidPath& laid, double s0, double s1, ArcMark* mark) {
  std::vector<PathPiece> out;
  const double length = laid.path.length;
  const size_t count = laid.path.pieces.size();
  // From the piece holding s0 on, twice round for a span of a closed path that passes its
  // start.
  const auto first = std::upper_bound(laid.starts.begin(), laid.starts.end(), s0);
  const size_t from = first == laid.starts.begin() ? 0 : (first - laid.starts.begin()) - 1;
  const size_t rounds = laid.path.closed ? 2 : 1;
  for (size_t k = from; k < rounds * count; ++k) {
    const size_t i = k % count;
    const double base = laid.starts[i] + (k >= count ? length : 0);
    if (base >= s1) break;
    const PathPiece& p = laid.path.pieces[i];
    const double a = std::max(s0, base);
    const double b = std::min(s1, base + p.length);
    if (b - a > kEpsilon) out.push_back(PieceSpan(p, a - base, b - base, mark));
  }
  return out;
}

double PathFigureCount(const LayoutRow& row, const LaidPath& laid) {
  if (row.checkSize && !(row.width > kEpsilon && row.height > kEpsilon)) return 0;
  double total = 0;
  for (const PathRun& run : laid.runs) {
    const double length = run.end - run.begin;
    const double quotient = run.closed ? length / (row.width + row.interval)
                                       : (length + row.interval) / (row.width + row.interval);
    if (quotient >= 0) total += std::trunc(quotient);
  }
  return total;
}

std::vector<PathPiece> OffsetRail(const std::vector<PathPiece>& pieces, bool closed, double k) {
  std::vector<PathPiece> rail;
  ForEachRailPiece(pieces, closed, k, [&rail](const PathPiece& p) { rail.push_back(p); });
  return rail;
}

void LayoutPath(const LayoutRow& row, const LaidPath& laid, PathSink& sink) {
  if (row.checkSize && !(row.width > kEpsilon && row.height > kEpsilon)) return;
  const Path& path = laid.path;
  if (path.pieces.empty()) return;
  const double w = row.width;
  const double h = row.height;
  const double r = row.referenceOffset;
  const std::array<double, 3> distances = RailDistances(row);
  const bool oneLine = path.pieces.size() == 1 && !path.pieces[0].IsArc();

  // A straight stretch is a segment of the designated-point modes; its full-length lines are
  // the path's rails below unless the whole path is that one line.
  LayoutRow segmentRow = row;
  if (!oneLine) {
    for (LineMode& mode : segmentRow.lineModes) {
      if (mode == LineMode::kFullLength) mode = LineMode::kNone;
    }
  }

  // The figures and gaps go along the path in order: each point on an ellipse is measured
  // from the one before.
  ArcMark mark;
  auto gapRails = [&](double s0, double s1) {
    if (!(s1 - s0 > kEpsilon)) return;
    const std::vector<PathPiece> span = SubPath(laid, s0, s1, &mark);
    for (int k = 0; k < 3; ++k) {
      if (row.lineModes[k] != LineMode::kGaps) continue;
      EmitRail(span, false, distances[k], sink);
    }
  };
  auto figureAt = [&](const PathRun& run, double s) {
    double a = s - w / 2;
    double b = s + w / 2;
    if (!run.closed) {
      a = std::clamp(a, run.begin, run.end);
      b = std::clamp(b, run.begin, run.end);
    }
    const Point p = PathAt(laid, a, &mark);
    const Point q = PathAt(laid, b, &mark);
    Point u = UnitOf(q.x - p.x, q.y - p.y, {0, 0});
    if (u.x == 0 && u.y == 0) {
      // A figure too narrow for a chord turns with the path's tangent.
      const Point t0 = PathAt(laid, s, &mark);
      const Point t1 = PathAt(laid, s + 1e-6, &mark);
      u = UnitOf(t1.x - t0.x, t1.y - t0.y, {1, 0});
    }
    const Point mid{(p.x + q.x) / 2, (p.y + q.y) / 2};
    const Point centre = Add(mid, h / 2 - r, Left(u));
    sink.Figure(row.figureKind, centre.x, centre.y, LineAngle(u.x, u.y));
    sink.Attributes();
  };

  for (const PathRun& run : laid.runs) {
    const double length = run.end - run.begin;
    const auto first = std::upper_bound(laid.starts.begin(), laid.starts.end(), run.begin) - 1;
    const size_t i = static_cast<size_t>(first - laid.starts.begin());
    // The run is this one piece when the next piece starts where the run ends.
    const bool onePiece = i + 1 == laid.starts.size() || laid.starts[i + 1] >= run.end;
    if (!run.closed && onePiece && !path.pieces[i].IsArc()) {
      const Point ends[2] = {path.pieces[i].from, path.pieces[i].to};
      LayoutSegment(segmentRow, ends, 1, sink, INFINITY);
      continue;
    }
    sink.Attributes();
    if (run.closed) {
      const double n = std::trunc(length / (w + row.interval));
      const double step = row.evenSpacing && n > 0 ? length / n : w + row.interval;
      if (!(n >= 1)) {
        for (int k = 0; k < 3; ++k) {
          if (row.lineModes[k] == LineMode::kGaps) {
            EmitRail(path.pieces, true, distances[k], sink);
          }
        }
        continue;
      }
      for (double j = 0; j < n; ++j) {
        figureAt(run, run.begin + j * step + w / 2);
        const double next = j + 1 < n ? run.begin + (j + 1) * step : run.end;
        gapRails(run.begin + j * step + w, next);
      }
      continue;
    }
    const double count = std::trunc((length + row.interval) / (w + row.interval));
    const int64_t n = count > 0 ? static_cast<int64_t>(count) : 0;
    const Spacing spacing = SpacingOf(row, length, n);
    double f = run.begin + spacing.gap;
    double e = run.begin;
    if (!NearlyEqual(spacing.gap, 0)) gapRails(run.begin, f);
    for (int64_t j = 1; j <= n; ++j) {
      figureAt(run, f + w / 2);
      e = f + w;
      f += w + spacing.step;
      if (!NearlyEqual(spacing.step, 0) && j < n) gapRails(e, f);
    }
    if (!NearlyEqual(spacing.gap, 0)) gapRails(e, run.end);
  }

  if (oneLine) return;
  sink.Attributes();
  for (int k = 0; k < 3; ++k) {
    if (row.lineModes[k] != LineMode::kFullLength) continue;
    EmitRail(path.pieces, path.closed, distances[k], sink);
  }
}

}  // namespace gara
