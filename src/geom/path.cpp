#include "geom/path.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <limits>
#include <utility>

#include "geom/extents.h"
#include "util/portable_math.h"

namespace gara {

namespace {

// |dE/dt| of the ellipse: the tilt turns the derivative but does not change its length.
double Speed(const PathPiece& p, double t) {
  const SineCosine a = PortableSinCos(t);
  const double fc = p.flatness * a.cos;
  return p.radius * std::sqrt(a.sin * a.sin + fc * fc);
}

// Five-point Gauss-Legendre rule over [a, b].
double Gauss5(const PathPiece& p, double a, double b) {
  static constexpr double kX[5] = {0.0, 0.5384693101056831, -0.5384693101056831, 0.9061798459386640,
                                   -0.9061798459386640};
  static constexpr double kW[5] = {0.5688888888888889, 0.4786286704993665, 0.4786286704993665,
                                   0.2369268850561891, 0.2369268850561891};
  const double m = (a + b) / 2;
  const double h = (b - a) / 2;
  double sum = 0;
  for (int i = 0; i < 5; ++i) sum += kW[i] * Speed(p, m + h * kX[i]);
  return sum * h;
}

// Halves the interval until the two halves agree with the whole: the speed of a flat ellipse
// bends sharply near its ends, where a fixed rule would lose the 1e-9 the layout needs.
double Adaptive(const PathPiece& p, double a, double b, double whole, double tol, int depth) {
  const double m = (a + b) / 2;
  const double left = Gauss5(p, a, m);
  const double right = Gauss5(p, m, b);
  // Halving stops where it cannot help: at the rounding of the sum itself (a radius so small
  // that the tolerance underflows), or where the speed is not finite (a flatness so large that
  // it overflows). Either would otherwise halve to the depth limit, 2^40 times.
  const double sum = left + right;
  const double noise = 4 * std::numeric_limits<double>::epsilon() * std::fabs(sum);
  if (depth == 0 || !(std::fabs(sum - whole) > std::max(tol, noise))) return sum;
  return Adaptive(p, a, m, left, tol / 2, depth - 1) + Adaptive(p, m, b, right, tol / 2, depth - 1);
}

// The arc length of the ellipse between the parameter offsets a < b from the piece's start.
// Split at the quarter turns of the parameter, where the speed of a flat ellipse bends: each
// part is then smooth.
double LengthBetween(const PathPiece& p, double a, double b) {
  const double quarter = kPi / 2;
  const double dir = p.sweep < 0 ? -1.0 : 1.0;
  const double ta = p.start + dir * a;
  const double tb = p.start + dir * b;
  const double hi = std::max(ta, tb);
  // The tolerance follows the larger semi-axis: the length of a flatness far above 1 outgrows
  // the radius, and a tolerance below its rounding would halve the interval to the depth limit.
  const double scale = p.radius * std::max(1.0, p.flatness);
  double total = 0;
  for (double lo = std::min(ta, tb); lo < hi;) {
    double next = std::min(hi, (std::floor(lo / quarter) + 1) * quarter);
    if (!(next > lo)) next = std::min(hi, lo + quarter);
    if (!(next > lo)) next = hi;  // a parameter so large that a quarter turn is below its ulp
    const double tol = 1e-13 * scale * (next - lo);
    total += Adaptive(p, lo, next, Gauss5(p, lo, next), tol, 40);
    lo = next;
  }
  return total;
}

double EllipseLength(const PathPiece& p, double tau) { return LengthBetween(p, 0, tau); }

// The parameter offset (from the start, in the sweep's direction) at arc length s.
double ParameterAt(const PathPiece& p, double s, ArcMark* mark = nullptr) {
  const double sweep = std::fabs(p.sweep);
  if (s <= 0) return 0;
  if (s >= p.length) return sweep;
  if (p.flatness == 1) return s / p.radius;
  // Newton's method kept inside a shrinking bracket; each step measures only the length it
  // moves over.
  double lo = 0;
  double hi = sweep;
  double tau = sweep * (s / p.length);
  double f = 0;
  const bool marked = mark != nullptr && mark->piece == &p;
  if (marked && std::fabs(s - mark->s) < std::min(s, p.length - s)) {
    // From the last point found, nearer than either end.
    (s > mark->s ? lo : hi) = mark->tau;
    const double speed = Speed(p, p.start + (p.sweep < 0 ? -mark->tau : mark->tau));
    tau = std::clamp(mark->tau + (s - mark->s) / speed, lo, hi);
    f = mark->s - s +
        (tau > mark->tau ? LengthBetween(p, mark->tau, tau) : -LengthBetween(p, tau, mark->tau));
  } else {
    // Measured from the nearer end: the first measure is the dearest step.
    f = tau <= sweep / 2 ? EllipseLength(p, tau) - s : p.length - LengthBetween(p, tau, sweep) - s;
  }
  for (int i = 0; i < 100 && std::fabs(f) > 1e-13 * p.length; ++i) {
    (f < 0 ? lo : hi) = tau;
    const double speed = Speed(p, p.start + (p.sweep < 0 ? -tau : tau));
    double next = speed > 0 ? tau - f / speed : (lo + hi) / 2;
    if (!(next > lo && next < hi)) next = (lo + hi) / 2;
    f += next > tau ? LengthBetween(p, tau, next) : -LengthBetween(p, next, tau);
    tau = next;
  }
  // The length measured to tau, not the one asked for: the next step starts from a true point.
  if (mark != nullptr) *mark = {&p, s + f, tau};
  return tau;
}

Point ArcPoint(const PathPiece& p, double tau) {
  const double t = p.start + (p.sweep < 0 ? -tau : tau);
  return EllipsePoint(p.centre.x, p.centre.y, p.radius, p.flatness, p.tilt, t);
}

Point Unit(double x, double y) {
  const double len = PortableHypot(x, y);
  if (!(len > 0)) return {1, 0};
  return {x / len, y / len};
}

// The unit tangent, in the piece's direction, at the parameter offset tau.
Point ArcTangentAt(const PathPiece& piece, double tau) {
  const double dir = piece.sweep < 0 ? -1.0 : 1.0;
  const SineCosine a = PortableSinCos(piece.start + dir * tau);
  const SineCosine tilt = PortableSinCos(piece.tilt);
  const double px = -piece.radius * a.sin * dir;
  const double py = piece.radius * piece.flatness * a.cos * dir;
  return Unit(px * tilt.cos - py * tilt.sin, px * tilt.sin + py * tilt.cos);
}

// How far from a piece's end another end may be and still meet it, as far as the piece goes: a
// millionth of its extent (no more than its length, and for an arc no more than its ellipse's
// larger axis across), which allows for the digits a drawing is written with, or its precision.
double PieceTolerance(const PathPiece& p) {
  const double extent =
      p.IsArc() ? std::min(p.length, 2 * p.radius * std::max(1.0, p.flatness)) : p.length;
  return std::max(1e-6 * extent, PiecePrecision(p));
}

// The ends of the pieces in a tree of boxes, for finding among millions the earliest unused end
// that meets a point. A joint's tolerance depends on both its pieces, so no one grid fits them
// all; instead every box knows how far its ends may reach (the largest tolerance of their
// pieces) and its earliest end still unused, and the search passes over the boxes too far away
// and those whose ends are all used or later than one already found.
class EndIndex {
 public:
  EndIndex(const std::vector<PathPiece>& pieces, const std::vector<bool>& used)
      : pieces_(pieces), used_(used) {}

  void Reserve(size_t ends) { ends_.reserve(ends); }
  // An end: 2 * piece + 0 for its start, + 1 for its end.
  void Add(uint32_t end) { ends_.push_back({At(end), end}); }
  // After the last Add, before the first Earliest.
  void Seal() {
    if (!ends_.empty()) Build(1, 0, ends_.size(), Box(0, ends_.size()));
  }

  // The earliest end of an unused piece that meets `piece` at its end p; -1 when there is none.
  int64_t Earliest(const PathPiece& piece, Point p) {
    Query q{p, PieceTolerance(piece), kNone};
    if (!ends_.empty()) Visit(q, 1, 0, ends_.size());
    return q.best == kNone ? -1 : int64_t{q.best};
  }

 private:
  static constexpr uint32_t kNone = UINT32_MAX;
  static constexpr size_t kLeaf = 16;

  struct Node {
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    double tolerance = 0;       // the largest tolerance of its ends' pieces
    uint32_t earliest = kNone;  // its earliest end, until that end's piece is used
  };
  struct Query {
    Point p;
    double tolerance;
    uint32_t best;
  };
  // An end with its point: a box's ends are gone over without a look at their pieces.
  struct Placed {
    Point at;
    uint32_t end;
  };

  Point At(uint32_t end) const {
    const PathPiece& piece = pieces_[end / 2];
    return end % 2 == 0 ? piece.from : piece.to;
  }

  // The box around the ends from lo to hi.
  Node Box(size_t lo, size_t hi) const {
    Node box;
    for (size_t i = lo; i < hi; ++i) {
      const Point q = ends_[i].at;
      box.minX = std::min(box.minX, q.x);
      box.minY = std::min(box.minY, q.y);
      box.maxX = std::max(box.maxX, q.x);
      box.maxY = std::max(box.maxY, q.y);
    }
    return box;
  }

  // Node k holds the ends from lo to hi, which lie in `cell`; its children 2k and 2k + 1 the two
  // halves, split across the longer side of the cell. Each node's own box is the union of its
  // children's, so that the ends are not gone over again at every level.
  void Build(size_t k, size_t lo, size_t hi, Node cell) {
    if (nodes_.size() <= k) nodes_.resize(2 * k + 2);
    if (hi - lo <= kLeaf) {
      Node node = Box(lo, hi);
      for (size_t i = lo; i < hi; ++i) {
        const PathPiece& piece = pieces_[ends_[i].end / 2];
        node.tolerance = std::max(node.tolerance, PieceTolerance(piece));
        node.earliest = std::min(node.earliest, ends_[i].end);
      }
      nodes_[k] = node;
      return;
    }
    const bool alongX = cell.maxX - cell.minX >= cell.maxY - cell.minY;
    const size_t mid = lo + (hi - lo) / 2;
    std::nth_element(ends_.begin() + lo, ends_.begin() + mid, ends_.begin() + hi,
                     [&](const Placed& a, const Placed& b) {
                       return alongX ? a.at.x < b.at.x : a.at.y < b.at.y;
                     });
    const Point split = ends_[mid].at;
    Node low = cell;
    Node high = cell;
    (alongX ? low.maxX : low.maxY) = alongX ? split.x : split.y;
    (alongX ? high.minX : high.minY) = alongX ? split.x : split.y;
    Build(2 * k, lo, mid, low);
    Build(2 * k + 1, mid, hi, high);
    const Node& left = nodes_[2 * k];
    const Node& right = nodes_[2 * k + 1];
    Node node;
    node.minX = std::min(left.minX, right.minX);
    node.minY = std::min(left.minY, right.minY);
    node.maxX = std::max(left.maxX, right.maxX);
    node.maxY = std::max(left.maxY, right.maxY);
    node.tolerance = std::max(left.tolerance, right.tolerance);
    node.earliest = std::min(left.earliest, right.earliest);
    nodes_[k] = node;
  }

  // Node k with its earliest end brought up to date: once that end's piece is used, the next
  // one is found below.
  Node& Refreshed(size_t k, size_t lo, size_t hi) {
    Node& node = nodes_[k];
    if (node.earliest == kNone || !used_[node.earliest / 2]) return node;
    if (hi - lo <= kLeaf) {
      node.earliest = kNone;
      for (size_t i = lo; i < hi; ++i) {
        if (!used_[ends_[i].end / 2]) node.earliest = std::min(node.earliest, ends_[i].end);
      }
    } else {
      const size_t mid = lo + (hi - lo) / 2;
      node.earliest =
          std::min(Refreshed(2 * k, lo, mid).earliest, Refreshed(2 * k + 1, mid, hi).earliest);
    }
    return node;
  }

  void Visit(Query& q, size_t k, size_t lo, size_t hi) {
    // No end in the box meets p from farther than this; the margin covers the rounding of the
    // box's distance against an end's own. The box is looked at before its earliest end is
    // brought up to date: most boxes are too far away.
    const Node& box = nodes_[k];
    const double reach = std::max(q.tolerance, box.tolerance) * (1 + 1e-9);
    const double dx = std::max({box.minX - q.p.x, q.p.x - box.maxX, 0.0});
    const double dy = std::max({box.minY - q.p.y, q.p.y - box.maxY, 0.0});
    if (!(dx <= reach && dy <= reach && std::sqrt(dx * dx + dy * dy) <= reach)) return;
    if (Refreshed(k, lo, hi).earliest >= q.best) return;
    if (hi - lo <= kLeaf) {
      for (size_t i = lo; i < hi; ++i) {
        const Placed& e = ends_[i];
        if (e.end >= q.best || used_[e.end / 2]) continue;
        const double d = Distance(q.p.x, q.p.y, e.at.x, e.at.y);
        // The joint's tolerance (JointTolerance), the query's half of it taken once.
        if (d <= reach && d <= std::max(q.tolerance, PieceTolerance(pieces_[e.end / 2]))) {
          q.best = e.end;
        }
      }
      return;
    }
    const size_t mid = lo + (hi - lo) / 2;
    // The half that had the earlier end first: what it finds may spare the other half.
    if (nodes_[2 * k].earliest <= nodes_[2 * k + 1].earliest) {
      Visit(q, 2 * k, lo, mid);
      Visit(q, 2 * k + 1, mid, hi);
    } else {
      Visit(q, 2 * k + 1, mid, hi);
      Visit(q, 2 * k, lo, mid);
    }
  }

  const std::vector<PathPiece>& pieces_;
  const std::vector<bool>& used_;
  std::vector<Placed> ends_;  // in the order of the tree's leaves
  std::vector<Node> nodes_;   // node k at index k, from 1
};

bool Finite(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

bool Usable(const PathPiece& p) {
  if (!std::isfinite(p.length) || !(p.length > PiecePrecision(p))) return false;
  if (!Finite(p.from) || !Finite(p.to)) return false;
  return !p.IsArc() || (p.radius > 0 && p.flatness > 0 && std::isfinite(p.start));
}

// Puts the pieces in the order of the paths' steps (2 * piece, + 1 when it runs backwards), each
// turned the way its path runs, one cycle of places at a time rather than into a second list.
void PutInPathOrder(std::vector<PathPiece>& pieces, const std::vector<uint32_t>& steps) {
  std::vector<bool> placed(pieces.size(), false);
  for (size_t k = 0; k < pieces.size(); ++k) {
    if (placed[k]) continue;
    const PathPiece first = pieces[k];
    for (size_t j = k;;) {
      placed[j] = true;
      const size_t source = steps[j] / 2;
      const PathPiece& piece = source == k ? first : pieces[source];
      pieces[j] = steps[j] % 2 == 0 ? piece : Reversed(piece);
      if (source == k) break;
      j = source;
    }
  }
}

}  // namespace

PathPiece LinePiece(Point from, Point to) {
  PathPiece p;
  p.from = from;
  p.to = to;
  p.length = Distance(from.x, from.y, to.x, to.y);
  return p;
}

PathPiece ArcPiece(Point centre, double radius, double flatness, double tilt, double start,
                   double sweep) {
  PathPiece p;
  p.kind = PathPiece::Kind::kArc;
  p.centre = centre;
  p.radius = radius;
  p.flatness = flatness;
  p.tilt = tilt;
  p.start = start;
  p.sweep = sweep;
  p.from = ArcPoint(p, 0);
  p.to = ArcPoint(p, std::fabs(sweep));
  p.length = flatness == 1 ? radius * std::fabs(sweep) : EllipseLength(p, std::fabs(sweep));
  return p;
}

PathPiece Reversed(const PathPiece& piece) {
  PathPiece p = piece;
  std::swap(p.from, p.to);
  if (p.IsArc()) {
    p.start = piece.start + piece.sweep;
    p.sweep = -piece.sweep;
  }
  return p;
}

Point PieceAt(const PathPiece& piece, double s, ArcMark* mark) {
  if (s <= 0) return piece.from;
  if (s >= piece.length) return piece.to;
  if (piece.IsArc()) return ArcPoint(piece, ParameterAt(piece, s, mark));
  const double k = s / piece.length;
  return {piece.from.x + (piece.to.x - piece.from.x) * k,
          piece.from.y + (piece.to.y - piece.from.y) * k};
}

Point PieceTangent(const PathPiece& piece, double s) {
  if (!piece.IsArc()) return Unit(piece.to.x - piece.from.x, piece.to.y - piece.from.y);
  return ArcTangentAt(piece, ParameterAt(piece, std::clamp(s, 0.0, piece.length)));
}

double ArcParameterAt(const PathPiece& arc, double s, ArcMark* mark) {
  return ParameterAt(arc, s, mark);
}

Point ArcOffsetAt(const PathPiece& arc, double tau, double k) {
  const Point p = ArcPoint(arc, tau);
  const Point t = ArcTangentAt(arc, tau);
  return {p.x - k * t.y, p.y + k * t.x};
}

PathPiece PieceSpan(const PathPiece& piece, double s0, double s1, ArcMark* mark) {
  if (!piece.IsArc()) return LinePiece(PieceAt(piece, s0), PieceAt(piece, s1));
  const double dir = piece.sweep < 0 ? -1.0 : 1.0;
  const double t0 = ParameterAt(piece, s0, mark);
  const double t1 = ParameterAt(piece, s1, mark);
  PathPiece p = ArcPiece(piece.centre, piece.radius, piece.flatness, piece.tilt,
                         piece.start + dir * t0, dir * (t1 - t0));
  // The ends the piece already has stay exact.
  if (s0 <= 0) p.from = piece.from;
  if (s1 >= piece.length) p.to = piece.to;
  return p;
}

double PiecePrecision(const PathPiece& piece) {
  double size = std::max({std::fabs(piece.from.x), std::fabs(piece.from.y), std::fabs(piece.to.x),
                          std::fabs(piece.to.y)});
  if (piece.IsArc()) {
    // The ends of an arc are worked out from its centre, radius and angles.
    const double centre = std::max(std::fabs(piece.centre.x), std::fabs(piece.centre.y));
    size = std::max(size, centre + std::fabs(piece.radius) * std::max(1.0, piece.flatness));
  }
  return std::max(kEpsilon, 1e-14 * size);
}

double JointTolerance(const PathPiece& a, const PathPiece& b) {
  return std::max(PieceTolerance(a), PieceTolerance(b));
}

Chains::Chains(std::vector<PathPiece> pieces) : pieces_(std::move(pieces)) {
  std::erase_if(pieces_, [](const PathPiece& p) { return !Usable(p); });
  // The index of ends is gone before the pieces are put in order and perhaps copied.
  PutInPathOrder(pieces_, Chain());
  // One path takes the list whole. Many are taken from the back of a deque, which gives back
  // its blocks as they go: the pieces are held about once, not once in the list and once more
  // in the paths.
  if (closed_.size() > 1) {
    rest_.assign(pieces_.begin(), pieces_.end());
    pieces_ = std::vector<PathPiece>();
  }
}

std::vector<uint32_t> Chains::Chain() {
  const size_t count = pieces_.size();
  std::vector<bool> used(count, false);
  EndIndex index(pieces_, used);
  // A step is 2 * piece, + 1 when the piece runs backwards.
  const auto from = [&](uint32_t step) {
    return step % 2 == 0 ? pieces_[step / 2].from : pieces_[step / 2].to;
  };
  const auto to = [&](uint32_t step) { return from(step ^ 1); };
  // Whether the path closes from the end of step a to the start of step b.
  const auto meets = [&](uint32_t a, uint32_t b) {
    const Point p = to(a);
    const Point q = from(b);
    return Distance(p.x, p.y, q.x, q.y) <= JointTolerance(pieces_[a / 2], pieces_[b / 2]);
  };
  index.Reserve(2 * count);
  for (uint32_t i = 0; i < count; ++i) {
    if (meets(2 * i, 2 * i)) continue;  // closed alone, never chained
    index.Add(2 * i);
    index.Add(2 * i + 1);
  }
  index.Seal();

  std::vector<uint32_t> steps;  // the paths' pieces, each 2 * piece + 1 when reversed
  steps.reserve(count);
  std::vector<uint32_t> after;
  std::vector<uint32_t> before;
  for (uint32_t i = 0; i < count; ++i) {
    if (used[i]) continue;
    used[i] = true;
    after.assign(1, 2 * i);
    before.clear();
    bool closed = meets(2 * i, 2 * i);
    // Forward from the end, then backward from the start.
    for (int side = 0; side < 2 && !closed; ++side) {
      for (;;) {
        // The step whose free end grows the chain: its end ahead, its start behind.
        const uint32_t last = side == 0        ? after.back()
                              : before.empty() ? after.front()
                                               : before.back();
        if (side == 0 && after.size() > 1 && meets(last, after.front())) {
          closed = true;
          break;
        }
        const int64_t end = index.Earliest(pieces_[last / 2], side == 0 ? to(last) : from(last));
        if (end < 0) break;
        used[end / 2] = true;
        // Entered at its start, the piece runs its own way forward and backwards behind.
        const uint32_t forward = static_cast<uint32_t>(end / 2 * 2);
        const bool atStart = end % 2 == 0;
        if (side == 0) {
          after.push_back(atStart ? forward : forward + 1);
        } else {
          before.push_back(atStart ? forward + 1 : forward);
        }
      }
    }
    starts_.push_back(static_cast<uint32_t>(steps.size()));
    steps.insert(steps.end(), before.rbegin(), before.rend());
    steps.insert(steps.end(), after.begin(), after.end());
    if (!closed && steps.size() - starts_.back() > 1) {
      closed = meets(steps.back(), steps[starts_.back()]);
    }
    closed_.push_back(closed);
  }
  starts_.push_back(static_cast<uint32_t>(steps.size()));
  return steps;
}

Path Chains::TakeLast() {
  Path path;
  path.closed = closed_.back();
  closed_.pop_back();
  starts_.pop_back();
  if (rest_.empty()) {
    path.pieces = std::move(pieces_);
  } else {
    path.pieces.resize(rest_.size() - starts_.back());
    for (size_t k = path.pieces.size(); k-- > 0;) {
      path.pieces[k] = rest_.back();
      rest_.pop_back();
    }
  }
  for (const PathPiece& p : path.pieces) path.length += p.length;
  return path;
}

std::vector<Path> ChainPieces(std::vector<PathPiece> pieces) {
  Chains chains(std::move(pieces));
  std::vector<Path> paths(chains.size());
  for (size_t i = paths.size(); i-- > 0;) paths[i] = chains.TakeLast();
  return paths;
}

double TurnAngle(const PathPiece& a, const PathPiece& b) {
  const Point u = PieceTangent(a, a.length);
  const Point v = PieceTangent(b, 0);
  return std::fabs(PortableAtan2(u.x * v.y - u.y * v.x, u.x * v.x + u.y * v.y));
}

}  // namespace gara
