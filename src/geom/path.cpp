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

// Ends by the grid cell they fall in, for finding the ends near a point among thousands: one
// sorted list of (cell, end) rather than a list per cell, a few bytes an end.
class EndIndex {
 public:
  explicit EndIndex(double tolerance)
      : tolerance_(tolerance), cell_(tolerance > 0 ? tolerance : 1.0) {}

  void Reserve(size_t ends) { entries_.reserve(ends); }
  void Add(Point p, uint32_t end) { entries_.push_back({Key(Cell(p.x), Cell(p.y)), end}); }
  // After the last Add, before the first Earliest.
  void Seal() { std::sort(entries_.begin(), entries_.end()); }

  // The end (2 * piece + 0 for its start, + 1 for its end) of the earliest unused piece within
  // the tolerance of p; -1 when there is none.
  // Ends of used pieces are dropped on the way (their places at the end of their cell marked
  // gone), so that a point where thousands of ends meet is not searched through again and again.
  int64_t Earliest(Point p, const std::vector<PathPiece>& pieces, const std::vector<bool>& used) {
    int64_t best = -1;
    const int64_t cx = Cell(p.x);
    const int64_t cy = Cell(p.y);
    for (int64_t i = cx - 1; i <= cx + 1; ++i) {
      for (int64_t j = cy - 1; j <= cy + 1; ++j) {
        const uint64_t key = Key(i, j);
        const auto first = std::lower_bound(entries_.begin(), entries_.end(), Entry{key, 0});
        auto last = first;
        while (last != entries_.end() && last->key == key && last->end != kGone) ++last;
        if (first == last) continue;
        const auto live =
            std::remove_if(first, last, [&](const Entry& e) { return used[e.end / 2]; });
        std::fill(live, last, Entry{key, kGone});
        // The ends of a cell are in ascending order: the first near one is its earliest.
        for (auto it = first; it != live && (best < 0 || it->end < best); ++it) {
          const PathPiece& piece = pieces[it->end / 2];
          const Point q = it->end % 2 == 0 ? piece.from : piece.to;
          if (Distance(p.x, p.y, q.x, q.y) <= tolerance_) {
            best = it->end;
            break;
          }
        }
      }
    }
    return best;
  }

 private:
  struct Entry {
    uint64_t key;
    uint32_t end;
    auto operator<=>(const Entry&) const = default;
  };
  static constexpr uint32_t kGone = UINT32_MAX;

  int64_t Cell(double v) const {
    return static_cast<int64_t>(std::clamp(std::floor(v / cell_), -1e15, 1e15));
  }
  static uint64_t Key(int64_t i, int64_t j) {
    return static_cast<uint64_t>(i) * 0x9E3779B97F4A7C15ull ^ static_cast<uint64_t>(j);
  }

  double tolerance_;
  double cell_;
  std::vector<Entry> entries_;
};

bool Usable(const PathPiece& p, double tolerance) {
  if (!(p.length > tolerance) || !std::isfinite(p.length)) return false;
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

double ChainTolerance(const std::vector<PathPiece>& pieces) {
  double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
  auto add = [&](double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    minX = std::min(minX, x);
    maxX = std::max(maxX, x);
    minY = std::min(minY, y);
    maxY = std::max(maxY, y);
  };
  for (const PathPiece& p : pieces) {
    add(p.from.x, p.from.y);
    add(p.to.x, p.to.y);
    if (p.IsArc()) {
      add(p.centre.x - p.radius, p.centre.y - p.radius);
      add(p.centre.x + p.radius, p.centre.y + p.radius);
    }
  }
  if (!(maxX >= minX)) return 0;
  return 1e-6 * std::max(maxX - minX, maxY - minY);
}

Chains::Chains(std::vector<PathPiece> pieces, double tolerance) : pieces_(std::move(pieces)) {
  std::erase_if(pieces_, [&](const PathPiece& p) { return !Usable(p, tolerance); });
  const size_t count = pieces_.size();
  std::vector<bool> used(count, false);
  EndIndex index(tolerance);
  auto meets = [&](Point a, Point b) { return Distance(a.x, a.y, b.x, b.y) <= tolerance; };
  index.Reserve(2 * count);
  for (uint32_t i = 0; i < count; ++i) {
    if (meets(pieces_[i].from, pieces_[i].to)) continue;  // closed alone, never chained
    index.Add(pieces_[i].from, 2 * i);
    index.Add(pieces_[i].to, 2 * i + 1);
  }
  index.Seal();

  // A step is 2 * piece, + 1 when the piece runs backwards.
  const auto from = [&](uint32_t step) {
    return step % 2 == 0 ? pieces_[step / 2].from : pieces_[step / 2].to;
  };
  const auto to = [&](uint32_t step) { return from(step ^ 1); };
  std::vector<uint32_t> steps;  // the paths' pieces, each 2 * piece + 1 when reversed
  steps.reserve(count);
  std::vector<uint32_t> after;
  std::vector<uint32_t> before;
  for (uint32_t i = 0; i < count; ++i) {
    if (used[i]) continue;
    used[i] = true;
    after.assign(1, 2 * i);
    before.clear();
    bool closed = meets(pieces_[i].from, pieces_[i].to);
    // Forward from the end, then backward from the start.
    for (int side = 0; side < 2 && !closed; ++side) {
      for (;;) {
        const Point head = side == 0        ? to(after.back())
                           : before.empty() ? from(after.front())
                                            : from(before.back());
        if (side == 0 && after.size() > 1 && meets(head, from(after.front()))) {
          closed = true;
          break;
        }
        const int64_t end = index.Earliest(head, pieces_, used);
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
      closed = meets(to(steps.back()), from(steps[starts_.back()]));
    }
    closed_.push_back(closed);
  }
  starts_.push_back(static_cast<uint32_t>(steps.size()));

  PutInPathOrder(pieces_, steps);
  // One path takes the list whole. Many are taken from the back of a deque, which gives back
  // its blocks as they go: the pieces are held about once, not once in the list and once more
  // in the paths.
  if (closed_.size() > 1) {
    rest_.assign(pieces_.begin(), pieces_.end());
    pieces_ = std::vector<PathPiece>();
  }
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

std::vector<Path> ChainPieces(std::vector<PathPiece> pieces, double tolerance) {
  Chains chains(std::move(pieces), tolerance);
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
