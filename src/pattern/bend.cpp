#include "pattern/bend.h"

#include <cmath>
#include <cstdint>
#include <utility>

#include "util/portable_math.h"

namespace gara {

namespace {

constexpr double kDeg = 180.0 / kPi;

// Sine and cosine for the points of chains and frames, where a last bit matters to no one but
// every point costs: the argument brought within a quarter turn by a three-part pi / 2, then the
// classic polynomials of the kernel of fdlibm, in plain IEEE arithmetic, so the same bits on
// every platform. Far out, where that bringing back loses digits, the careful function.
SineCosine QuickSinCos(double x) {
  if (!(std::fabs(x) < 1e6)) return PortableSinCos(x);
  constexpr double kTwoOverPi = 6.36619772367581382433e-01;
  constexpr double kPio2a = 1.57079632673412561417e+00;
  constexpr double kPio2b = 6.07710050630396597660e-11;
  constexpr double kPio2c = 2.02226624871116645580e-21;
  const double n = std::floor(x * kTwoOverPi + 0.5);
  const double r = ((x - n * kPio2a) - n * kPio2b) - n * kPio2c;
  const double z = r * r;
  const double sine =
      r + r * z *
              (-1.66666666666666324348e-01 +
               z * (8.33333333332248946124e-03 +
                    z * (-1.98412698298579493134e-04 +
                         z * (2.75573137070700676789e-06 + z * (-2.50507602534068634195e-08 +
                                                                z * 1.58969099521155010221e-10)))));
  const double cosine =
      1 - 0.5 * z +
      z * z *
          (4.16666666666666019037e-02 +
           z * (-1.38888888888741095749e-03 +
                z * (2.48015872894767294178e-05 +
                     z * (-2.75573143513906633035e-07 +
                          z * (2.08757232129817482790e-09 + z * -1.13596475577881948265e-11)))));
  switch (static_cast<int64_t>(n) & 3) {
    case 0:
      return {sine, cosine};
    case 1:
      return {cosine, -sine};
    case 2:
      return {-sine, -cosine};
    default:
      return {-cosine, sine};
  }
}

// The curvature of an arc piece at most, and of its change along the piece: an ellipse
// (semi-axes a >= b) bends most at the ends of its long axis, k = a / b^2, and
// |dk/ds| = 3/2 a b (a^2 - b^2) |sin 2t| / D^3 with D = a^2 sin^2 t + b^2 cos^2 t >= b^2.
struct Bend {
  double k = 0;
  double dk = 0;
  double side = 1;  // +1: the centre of curvature on the left
};
Bend BendOf(const PathPiece& p) {
  Bend b;
  if (!p.IsArc()) return b;
  b.side = p.sweep < 0 ? -1 : 1;
  if (p.IsCircular()) {
    b.k = 1 / p.radius;
    return b;
  }
  const double a = p.radius * std::max(1.0, p.flatness);
  const double c = p.radius * std::min(1.0, p.flatness);
  b.k = a / (c * c);
  b.dk = 1.5 * a * c * (a * a - c * c) / (c * c * c * c * c * c);
  return b;
}

// The curvature of an elliptic piece at most between arc lengths s0 < s1 along it: its
// curvature a b / (a^2 sin^2 t + b^2 cos^2 t)^(3/2) at parameter t is greatest at an end of
// that span or at a quarter turn within it.
double EllipseCurvatureOver(const PathPiece& p, double s0, double s1, ArcMark* mark) {
  const double a = p.radius;
  const double b = p.radius * p.flatness;
  const double dir = p.sweep < 0 ? -1 : 1;
  const double ta = p.start + dir * ArcParameterAt(p, s0, mark);
  const double tb = p.start + dir * ArcParameterAt(p, s1, mark);
  const auto at = [&](double t) {
    const SineCosine sc = PortableSinCos(t);
    const double d = a * a * sc.sin * sc.sin + b * b * sc.cos * sc.cos;
    return a * b / (d * std::sqrt(d));
  };
  const double lo = std::min(ta, tb);
  const double hi = std::max(ta, tb);
  double most = std::max(at(lo), at(hi));
  for (double q = std::ceil(lo / (kPi / 2)); q * (kPi / 2) < hi; ++q) {
    most = std::max(most, at(q * (kPi / 2)));
  }
  return most;
}

// The steps that keep the chord of each step of a curve within `tol` of its image. A figure
// curve of box length at most `length` and curvature at most `kc`, whose heights lie d_lo ...
// d_hi to the left of the path, is stretched along the path by 1 - d k (at most M, at least m)
// and bends, there, by at most (M kc + |d| |k'| + (M + 1) |k|) / m^2; a step of image length
// s then strays at most that times s^2 / 8 from its chord. A straight line of unit direction
// (a, b) in the box has the image speed v = a (1 - d k) T + b N and the acceleration
// a^2 ((1 - d k) k N - d k' T) - 2 a b k T, which bound its bend |v x v'| / |v|^3 closer.
double Steps(double length, double kc, double dlo, double dhi, const Bend& b, double tol,
             bool sided, const Point* direction = nullptr) {
  const double dmax = std::max(std::fabs(dlo), std::fabs(dhi));
  const double most = 1 + dmax * b.k;
  const double inner = sided ? std::max(b.side * dlo, b.side * dhi) : dmax;
  const double least = 1 - inner * b.k;
  if (!(least > 1e-6)) return kMaxBendSteps;
  double speed = most;
  double curve = 0;
  if (direction) {
    const double a = std::fabs(direction->x);
    const double c = std::fabs(direction->y);
    const double slowest = a * a * least * least + c * c;
    speed = std::sqrt(a * a * most * most + c * c);
    curve = (a * a * a * most * most * b.k + 2 * a * c * c * b.k + dmax * b.dk * a * a * c) /
            (slowest * std::sqrt(slowest));
  } else {
    const double m = std::min(1.0, least);
    curve = (most * kc + dmax * b.dk + (most + 1) * b.k) / (m * m);
  }
  const double n = std::ceil(length * speed * std::sqrt(curve / (8 * tol)));
  return std::isfinite(n) ? std::clamp(n, 1.0, kMaxBendSteps) : kMaxBendSteps;
}

// The figure's point (px, py) in the box.
struct BoxOf {
  double centreX, centreY, halfWidth, halfHeight, stretch;
  Point operator()(double px, double py) const {
    return {stretch * (px - centreX) + halfWidth, py - centreY + halfHeight};
  }
};

// A figure circle or elliptic arc in the box: X(t) = x0 + p cos t + q sin t and
// Y(t) = y0 + u cos t + w sin t for t from t0 to t1.
struct BoxCurve {
  double x0, p, q, y0, u, w, t0, t1;
  double longAxis, shortAxis;

  Point At(double t) const {
    const SineCosine sc = QuickSinCos(t);
    return {x0 + p * sc.cos + q * sc.sin, y0 + u * sc.cos + w * sc.sin};
  }
  double Reach() const { return PortableHypot(u, w); }  // of Y about y0
  double Curvature() const { return shortAxis > 0 ? longAxis / (shortAxis * shortAxis) : INFINITY; }
};

// The curve of a figure op (kCircle or kArc) in the box.
BoxCurve CurveOf(const FigureOp& op, const BoxOf& box) {
  const double* v = op.v;
  const bool circle = op.code == FigureOpCode::kCircle;
  const double r = v[2];
  const double f = circle ? 1 : v[5];
  const double tilt = circle ? 0 : v[6] / kDeg;
  const SineCosine sc = PortableSinCos(tilt);
  const Point c = box(v[0], v[1]);
  BoxCurve k;
  k.x0 = c.x;
  k.y0 = c.y;
  k.p = box.stretch * r * sc.cos;
  k.q = -box.stretch * r * f * sc.sin;
  k.u = r * sc.sin;
  k.w = r * f * sc.cos;
  // Counter-clockwise from start to end, once round at most; an angle of many turns is brought
  // into the first, where a turn more still counts.
  k.t0 = circle ? 0 : std::fmod(v[3] / kDeg, 2 * kPi);
  double sweep = circle ? 2 * kPi : std::fmod(v[4] / kDeg - v[3] / kDeg, 2 * kPi);
  if (!(sweep > 0)) sweep += 2 * kPi;
  k.t1 = k.t0 + sweep;
  const StretchedEllipse e = StretchEllipse(r, f, tilt, box.stretch);
  k.longAxis = std::max(e.radius, e.radius * std::fabs(e.ratio));
  k.shortAxis = std::min(e.radius, e.radius * std::fabs(e.ratio));
  return k;
}

// A figure curve from parameter ta to tb, by t = 0 ... 1.
struct CurveSpan {
  const BoxCurve& c;
  double ta, tb;

  Point operator()(double t) const { return c.At(ta + (tb - ta) * t); }
  // The points at t = 1/n, 2/n, ... 1 in turn, each turned from the one before by the same
  // angle rather than found afresh; the last exact, as the next part starts there.
  template <typename Put>
  void Even(double n, const Put& put) const {
    const SineCosine step = QuickSinCos((tb - ta) / n);
    SineCosine at = QuickSinCos(ta);
    for (double k = 1; k < n; ++k) {
      at = {at.sin * step.cos + at.cos * step.sin, at.cos * step.cos - at.sin * step.sin};
      put({c.x0 + c.p * at.cos + c.q * at.sin, c.y0 + c.u * at.cos + c.w * at.sin});
    }
    put(c.At(tb));
  }
};

bool Finite(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// How far a step of a chain may stray from its image, and how far the next step aims, as parts of
// the tolerance: the aim a little short so that few steps are taken twice.
constexpr double kAcceptedError = 0.97;
constexpr double kAimedError = 0.85;
// A bound of the steps a chain needs is close when its steps stray this far at least.
constexpr double kCloseBound = 0.75;

// The farthest the image strays from the chord a ... b, from its points p and q a third and two
// thirds of the way: the distances from the chord as a cubic u (1 - u) (al + be u) in u = 0 ... 1,
// exact for a curve of steady or steadily changing curvature, and for a turn through a point of
// inflection. A step that turns back on itself, or has no chord, strays without measure.
double ChordError(Point a, Point p, Point q, Point b) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double length = std::sqrt(dx * dx + dy * dy);
  if (!(length > 0)) return INFINITY;
  const double ux = dx / length;
  const double uy = dy / length;
  const double sp = ((p.x - a.x) * ux + (p.y - a.y) * uy) / length;
  const double sq = ((q.x - a.x) * ux + (q.y - a.y) * uy) / length;
  if (!(sp > 0 && sp < sq && sq < 1)) return INFINITY;
  const double dp = (p.y - a.y) * ux - (p.x - a.x) * uy;
  const double dq = (q.y - a.y) * ux - (q.x - a.x) * uy;
  const double be = 13.5 * (dq - dp);
  const double al = 4.5 * dp - be / 3;
  const auto at = [&](double u) { return std::fabs(u * (1 - u) * (al + be * u)); };
  double most = std::max(at(0.5), std::max(std::fabs(dp), std::fabs(dq)));
  // Where the cubic's slope al (1 - 2u) + be (2u - 3u^2) is nought.
  const double qa = -3 * be;
  const double qb = 2 * (be - al);
  const double qc = al;
  if (qa == 0) {
    if (qb != 0) most = std::max(most, at(std::clamp(-qc / qb, 0.0, 1.0)));
  } else {
    const double disc = qb * qb - 4 * qa * qc;
    if (disc >= 0) {
      const double root = std::sqrt(disc);
      most = std::max(most, at(std::clamp((-qb + root) / (2 * qa), 0.0, 1.0)));
      most = std::max(most, at(std::clamp((-qb - root) / (2 * qa), 0.0, 1.0)));
    }
  }
  return most;
}

// Writes the bent figure of one copy.
class BentWriter {
  // The parts of a figure line or curve, by section and range of its parameter, and the arcs
  // that join them round the outside of joints.
  struct Part {
    size_t section;
    double lo, hi;
  };
  struct JoinArc {
    Point centre;
    double r, from, to;
  };

 public:
  BentWriter(const FigureModel& model, const BentBox& box, double stretch, CommandWriter& out)
      : model_(model),
        box_(box),
        out_(out),
        toBox_{model.centreX, model.centreY, box.width / 2, box.height / 2, stretch},
        rigid_(box.rigidCentre.x, box.rigidCentre.y, box.rigidAngle, model.centreX, model.centreY,
               stretch),
        tol_(BendTolerance(box.height)) {}

  void Op(const FigureOp& op) {
    const double* v = op.v;
    switch (op.code) {
      case FigureOpCode::kLine:
        Line(toBox_(v[0], v[1]), toBox_(v[2], v[3]));
        return;
      case FigureOpCode::kCircle:
      case FigureOpCode::kArc:
        // As the writer leaves it out unbent.
        if (v[2] > kEpsilon) Curve(CurveOf(op, toBox_));
        return;
      case FigureOpCode::kSolidLine:
      case FigureOpCode::kSolidTriangle:
      case FigureOpCode::kSolidQuad:
        Solid(op);
        return;
      case FigureOpCode::kPoint:
      case FigureOpCode::kRotatedPoint:
      case FigureOpCode::kText:
      case FigureOpCode::kDimension:
      case FigureOpCode::kSolidSc:
      case FigureOpCode::kSolidSe:
      case FigureOpCode::kSolidSo:
      case FigureOpCode::kSolidSg:
        // Whole at the image of its anchor, turned with the path there.
        ReplayOp(model_, op, Local(v[0], v[1]), out_);
        return;
      default:
        ReplayOp(model_, op, rigid_, out_);  // an attribute
        return;
    }
  }

 private:
  // A placement that puts the figure point (px, py) on its image, turned as the path is there.
  Placement Local(double px, double py) const {
    const Point b = toBox_(px, py);
    const Point at = box_.Map(b.x, b.y);
    return Placement(at.x, at.y, box_.TurnAt(b.x), px, py, toBox_.stretch);
  }

  void Emit(Point a, Point b) {
    if (Finite(a) && Finite(b)) out_.EmitLine(a.x, a.y, b.x, b.y);
  }

  // A figure line from a to b (box points), piece by piece of the path under it, whole through
  // the joints where the path turns.
  void Line(Point a, Point b) {
    if (b.x < a.x) std::swap(a, b);
    const double dx = b.x - a.x;
    if (dx == 0) {
      // Across the run: straight on every piece.
      Emit(box_.Map(a.x, a.y), box_.Map(b.x, b.y));
      return;
    }
    const std::vector<BentBox::Section>& sections = box_.sections();
    const auto along = [&](double x) { return (x - a.x) / dx; };
    const auto at = [&](double t) { return Point{a.x + dx * t, a.y + (b.y - a.y) * t}; };
    std::vector<Part>& parts = parts_;
    parts.clear();
    for (size_t i = 0; i < sections.size(); ++i) {
      const BentBox::Section& s = sections[i];
      const double lo = i == 0 ? 0.0 : std::clamp(along(s.x0), 0.0, 1.0);
      const double hi = i + 1 == sections.size() ? 1.0 : std::clamp(along(s.x1), 0.0, 1.0);
      if (hi > lo) parts.push_back({i, lo, hi});
    }
    arcs_.clear();
    for (size_t k = 0; k + 1 < parts.size(); ++k) Join(parts[k], parts[k + 1], at);
    for (const Part& part : parts) {
      if (part.hi > part.lo) LinePart(sections[part.section], at(part.lo), at(part.hi));
    }
    EmitJoinArcs();
  }

  void LinePart(const BentBox::Section& s, Point p, Point q) {
    const PathPiece& piece = *s.piece;
    const double d = p.y - box_.reference;
    if (piece.IsCircular() && p.y == q.y) {
      // Along the run on a circle: the concentric arc.
      const double side = piece.sweep < 0 ? -1 : 1;
      const double r = piece.radius - side * d;
      if (r > 0 && std::isfinite(r)) {
        const double phi0 = Angle(piece, s.at + (p.x - s.x0));
        const double phi1 = Angle(piece, s.at + (q.x - s.x0));
        const double lo = std::min(phi0, phi1) * kDeg;
        const double hi = std::max(phi0, phi1) * kDeg;
        if (hi - lo >= 360 - 1e-9) {
          out_.EmitCircle(piece.centre.x, piece.centre.y, r);
        } else {
          out_.EmitArc(piece.centre.x, piece.centre.y, r, NormalizeDeg(lo), NormalizeDeg(hi), 1, 0);
        }
        return;
      }
    }
    const double length = std::sqrt((q.x - p.x) * (q.x - p.x) + (q.y - p.y) * (q.y - p.y));
    const Point u{(q.x - p.x) / length, (q.y - p.y) / length};
    // On a straight piece the image of a line is a line.
    const double n = length > 0 && piece.IsArc() ? Steps(length, 0, d, q.y - box_.reference,
                                                         BendOf(piece), tol_, /*sided=*/true, &u)
                                                 : 1;
    Chain(s, n, [&](double t) { return Point{p.x + (q.x - p.x) * t, p.y + (q.y - p.y) * t}; });
  }

  // The angle of the circular piece's point at arc length s.
  static double Angle(const PathPiece& piece, double s) {
    const double side = piece.sweep < 0 ? -1 : 1;
    return piece.start + piece.tilt + side * s / piece.radius;
  }

  // Lines through the images of box(t), t = 0 ... 1, as few as keep the whole of each line
  // within the tolerance of the image; `n`, the steps a bound of the curvature allows, is one
  // when a single line is surely close enough. Unless that bound proves close, each step is
  // measured where it lands, at a third and two thirds of the way, and sized from the one before.
  template <typename BoxAt>
  void Chain(const BentBox::Section& s, double n, const BoxAt& boxAt) {
    const auto image = [&](double t) {
      const Point b = boxAt(t);
      return box_.MapOn(s, b.x, b.y);
    };
    Point a = image(0.0);
    if (!(n > 1)) {
      Emit(a, image(1.0));
      return;
    }
    // Where the bound is close, at the first step and the middle one, the curve bends about
    // evenly as sharply as the bound says: its even steps are about as few as any, and cost a
    // point each.
    const double first = ChordError(a, image(1 / (3 * n)), image(2 / (3 * n)), image(1 / n));
    const double half = std::floor(n / 2) / n;
    if (first >= kCloseBound * tol_ &&
        ChordError(image(half), image(half + 1 / (3 * n)), image(half + 2 / (3 * n)),
                   image(half + 1 / n)) >= kCloseBound * tol_) {
      const auto put = [&](Point box) {
        const Point b = box_.MapOn(s, box.x, box.y);
        Emit(a, b);
        a = b;
      };
      if constexpr (requires { boxAt.Even(n, put); }) {
        boxAt.Even(n, put);
      } else {
        for (double k = 1; k <= n; ++k) put(boxAt(k / n));
      }
      return;
    }
    constexpr double kLeast = 1 / kMaxBendSteps;
    double t = 0;
    // The bound's step is seldom far too short: a little longer, to be measured.
    double step = std::min(1.0, 1.2 / n);
    while (t < 1) {
      const double rest = 1 - t;
      // The last step takes what is left when it is little more than a step.
      double h = rest < 1.1 * step ? rest : step;
      Point b;
      double error = 0;
      bool shrunk = false;
      for (int tries = 0;; ++tries) {
        b = h == rest ? image(1.0) : image(t + h);
        error = ChordError(a, image(t + h / 3), image(t + 2 * h / 3), b);
        if (tries == 40) break;
        if (error > kAcceptedError * tol_ && h > kLeast) {
          h *= std::clamp(std::sqrt(kAimedError * tol_ / error), 0.1, 0.9);
          shrunk = true;
        } else if (!shrunk && error < kAimedError * tol_ / 2 && h < rest && tries < 3) {
          // Far short of the aim (the first step, or the curve easing off): a longer one.
          h = std::min(
              rest, h * (error > 0 ? std::min(4.0, std::sqrt(kAimedError * tol_ / error)) : 4.0));
        } else {
          break;
        }
      }
      Emit(a, b);
      a = b;
      t = h == rest ? 1 : t + h;
      const double grow = error > 0 ? std::sqrt(kAimedError * tol_ / error) : 2;
      step = std::max(kLeast, h * std::clamp(grow, 0.5, 2.0));
    }
  }

  // A figure curve, cut where it crosses from one piece of the path to the next.
  void Curve(const BoxCurve& c) {
    std::vector<double>& cuts = cuts_;
    cuts.clear();
    cuts.push_back(c.t0);
    cuts.push_back(c.t1);
    const std::vector<BentBox::Section>& sections = box_.sections();
    const bool joints = sections.size() > 1;
    const double reach = joints ? PortableHypot(c.p, c.q) : 0;
    const double phase = joints ? PortableAtan2(c.q, c.p) : 0;
    for (size_t i = 0; i + 1 < sections.size(); ++i) {
      const double cosine = (sections[i].x1 - c.x0) / reach;
      if (!(std::fabs(cosine) < 1)) continue;
      const double alpha = PortableAtan2(std::sqrt(1 - cosine * cosine), cosine);
      for (const double base : {phase + alpha, phase - alpha}) {
        // The same crossing once round the parameter's range.
        double t = base - 2 * kPi * std::floor((base - c.t0) / (2 * kPi));
        for (int turn = 0; turn < 2 && t < c.t1; ++turn, t += 2 * kPi) {
          if (t > c.t0) cuts.push_back(t);
        }
      }
    }
    std::sort(cuts.begin(), cuts.end());
    std::vector<Part>& parts = parts_;
    parts.clear();
    for (size_t i = 0; i + 1 < cuts.size(); ++i) {
      const double ta = cuts[i];
      const double tb = cuts[i + 1];
      if (!(tb > ta)) continue;
      const BentBox::Section& s = box_.SectionAt(c.At((ta + tb) / 2).x);
      parts.push_back({static_cast<size_t>(&s - sections.data()), ta, tb});
    }
    const auto at = [&](double t) { return c.At(t); };
    arcs_.clear();
    for (size_t k = 0; k + 1 < parts.size(); ++k) Join(parts[k], parts[k + 1], at);
    const double dlo = c.y0 - c.Reach() - box_.reference;
    const double dhi = c.y0 + c.Reach() - box_.reference;
    for (const Part& part : parts) {
      const BentBox::Section& s = sections[part.section];
      const double ta = part.lo;
      const double tb = part.hi;
      if (!(tb > ta)) continue;  // cut away at both ends by joints close together
      const double n = Steps((tb - ta) * c.longAxis, c.Curvature(), dlo, dhi, BendOf(*s.piece),
                             tol_, /*sided=*/true);
      Chain(s, n, CurveSpan{c, ta, tb});
    }
    EmitJoinArcs();
  }

  // Where two parts of a figure line or curve meet at a joint of the path that turns (parts on
  // neighbouring sections, the first ending at the parameter where the second starts): on the
  // outside of the turn an arc about the joint closes the gap between them; on the inside they
  // overlap, and each is cut where it meets the other.
  template <typename BoxAt>
  void Join(Part& first, Part& second, const BoxAt& boxAt) {
    const size_t lower = std::min(first.section, second.section);
    if (std::max(first.section, second.section) != lower + 1) return;
    const BentBox::Joint& joint = box_.JointAfter(lower);
    const double tc = first.hi;
    const Point c = boxAt(tc);
    const double d = c.y - box_.reference;
    // A gap no wider than rounding needs nothing.
    if (!(std::fabs(d * joint.turn) > 1e-10)) return;
    const std::vector<BentBox::Section>& sections = box_.sections();
    const BentBox::Section& sa = sections[first.section];
    const BentBox::Section& sb = sections[second.section];
    if (d * joint.turn < 0) {
      // Round the outside, counter-clockwise from the side the path turns from (left turn) or
      // to.
      const Point pa = box_.MapOn(sections[lower], c.x, c.y);
      const Point pb = box_.MapOn(sections[lower + 1], c.x, c.y);
      const Point from = joint.turn > 0 ? pa : pb;
      const Point to = joint.turn > 0 ? pb : pa;
      arcs_.push_back({joint.at, std::fabs(d),
                       NormalizeDeg(PortableAtan2(from.y - joint.at.y, from.x - joint.at.x) * kDeg),
                       NormalizeDeg(PortableAtan2(to.y - joint.at.y, to.x - joint.at.x) * kDeg)});
      return;
    }
    double u = tc;
    double v = tc;
    // The overlap reaches |d| tan(turn / 2) each way; portable, as the root found starts there.
    const SineCosine half = PortableSinCos(std::fabs(joint.turn) / 2);
    if (Meet(sa, sb, boxAt, first.lo, second.hi, std::fabs(d) * half.sin / half.cos, u, v)) {
      first.hi = u;
      second.lo = v;
    }
  }

  // The parameters u <= tc <= v (tc: where the parts meet) at which the image of the first part
  // on section a meets that of the second on section b, by Newton's steps from the overlap a
  // turn makes at the height of the crossing, `reach` along the path each way. False when they
  // do not meet within the parts.
  template <typename BoxAt>
  bool Meet(const BentBox::Section& a, const BentBox::Section& b, const BoxAt& boxAt, double lo,
            double hi, double reach, double& u, double& v) const {
    const double tc = u;
    const auto fa = [&](double t) {
      const Point p = boxAt(t);
      return box_.MapOn(a, p.x, p.y);
    };
    const auto fb = [&](double t) {
      const Point p = boxAt(t);
      return box_.MapOn(b, p.x, p.y);
    };
    const double e = 1e-7 * std::max(1.0, hi - lo);
    const double speed = std::fabs(boxAt(tc + e).x - boxAt(tc - e).x) / (2 * e);
    const double guess = speed > 0 ? reach / speed : 0;
    u = std::max(lo, tc - guess);
    v = std::min(hi, tc + guess);
    for (int k = 0; k < 30; ++k) {
      const Point pa = fa(u);
      const Point pb = fb(v);
      const double fx = pa.x - pb.x;
      const double fy = pa.y - pb.y;
      if (std::fabs(fx) + std::fabs(fy) < 1e-13 * (1 + std::fabs(pa.x) + std::fabs(pa.y))) {
        return u >= lo && u <= tc && v >= tc && v <= hi;
      }
      const Point a0 = fa(u - e), a1 = fa(u + e), b0 = fb(v - e), b1 = fb(v + e);
      // The slopes (a, -b) times the steps (du, dv) = -(fx, fy).
      const double ax = (a1.x - a0.x) / (2 * e), ay = (a1.y - a0.y) / (2 * e);
      const double bx = (b0.x - b1.x) / (2 * e), by = (b0.y - b1.y) / (2 * e);
      const double det = ax * by - ay * bx;
      if (!(std::fabs(det) > 0)) return false;
      u += (-fx * by + fy * bx) / det;
      v += (-ax * fy + ay * fx) / det;
      if (!std::isfinite(u) || !std::isfinite(v)) return false;
    }
    return false;
  }

  void EmitJoinArcs() {
    for (const JoinArc& arc : arcs_) {
      out_.EmitArc(arc.centre.x, arc.centre.y, arc.r, arc.from, arc.to, 1, 0);
    }
  }

  // A solid by its corners.
  void Solid(const FigureOp& op) {
    const double* v = op.v;
    Point p[4];
    const int corners = op.code == FigureOpCode::kSolidLine       ? 2
                        : op.code == FigureOpCode::kSolidTriangle ? 3
                                                                  : 4;
    for (int k = 0; k < corners; ++k) {
      const Point b = toBox_(v[2 * k], v[2 * k + 1]);
      p[k] = box_.Map(b.x, b.y);
      if (!Finite(p[k])) return;
    }
    if (corners == 2) {
      out_.EmitSolidLine(p[0].x, p[0].y, p[1].x, p[1].y);
    } else if (corners == 3) {
      out_.EmitSolidTriangle(p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y);
    } else {
      out_.EmitSolidQuad(p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y, p[3].x, p[3].y);
    }
  }

  const FigureModel& model_;
  const BentBox& box_;
  CommandWriter& out_;
  const BoxOf toBox_;
  const Placement rigid_;
  const double tol_;
  std::vector<double> cuts_;
  std::vector<Part> parts_;
  std::vector<JoinArc> arcs_;
};

}  // namespace

void BendReach::Add(const BendReach& other) {
  curvature = std::max(curvature, other.curvature);
  turn = std::max(turn, other.turn);
  sections = std::max(sections, other.sections);
  stretch = std::max(stretch, other.stretch);
}

BendReach PieceReach(const PathPiece& piece) {
  const Bend b = BendOf(piece);
  BendReach reach;
  reach.curvature = b.k;
  reach.turn = b.dk;
  return reach;
}

namespace {

// Whether a box `height` high whose path runs `reference` above its base line reaches a centre
// of curvature `k` on the side `side`.
bool Reaches(double k, double side, double height, double reference) {
  // The box's farthest height on the side of the centre.
  const double inner = side > 0 ? height - reference : reference;
  return !(inner * k < 1);
}

}  // namespace

bool PieceFolds(const PathPiece& piece, double height, double reference) {
  if (!piece.IsArc()) return false;
  const Bend b = BendOf(piece);
  return Reaches(b.k, b.side, height, reference);
}

BentCount BentCopyBound(const FigureModel& model, const BendReach& reach, double height,
                        double reference) {
  const BoxOf box{model.centreX, model.centreY, 0, height / 2, reach.stretch};
  const Bend worst{reach.curvature, reach.turn, 1};
  const double tol = BendTolerance(height);
  const double sections = reach.sections;
  BentCount count;
  for (const FigureOp& op : model.ops) {
    const double* v = op.v;
    if (op.code == FigureOpCode::kLine) {
      const Point a = box(v[0], v[1]);
      const Point b = box(v[2], v[3]);
      const double length = PortableHypot(b.x - a.x, b.y - a.y);
      const Point u{(b.x - a.x) / length, (b.y - a.y) / length};
      const double n =
          length > 0 ? Steps(length, 0, a.y - reference, b.y - reference, worst, tol, false, &u)
                     : 1;
      // Each piece of the path under the line takes its share of the steps, rounded up.
      count.lines += std::min(n + sections - 1, sections * kMaxBendSteps);
      if (a.y == b.y) count.arcs += sections;
      // And an arc round the outside of each joint it crosses.
      count.arcs += sections - 1;
      ++count.replaced;
    } else if (op.code == FigureOpCode::kCircle || op.code == FigureOpCode::kArc) {
      const BoxCurve c = CurveOf(op, box);
      // A curve crosses each joint under it twice at most.
      const double parts = 2 * sections - 1;
      const double n =
          Steps((c.t1 - c.t0) * c.longAxis, c.Curvature(), c.y0 - c.Reach() - reference,
                c.y0 + c.Reach() - reference, worst, tol, false);
      count.lines += std::min(n + parts - 1, parts * kMaxBendSteps);
      count.arcs += parts - 1;
      ++count.replaced;
    }
  }
  return count;
}

BentBox::BentBox(const LaidPath& laid, double begin, double width_, double height_,
                 double reference_, Point rigidCentre_, double rigidAngle_)
    : width(width_),
      height(height_),
      reference(reference_),
      rigidCentre(rigidCentre_),
      rigidAngle(rigidAngle_) {
  const std::vector<PathPiece>& pieces = laid.path.pieces;
  const size_t n = pieces.size();
  if (n == 0) return;
  const double length = laid.path.length;
  double a = begin;
  if (laid.path.closed && length > 0) {
    a = std::fmod(a, length);
    if (a < 0) a += length;
  }
  const auto it = std::upper_bound(laid.starts.begin(), laid.starts.end(), a);
  size_t i = it == laid.starts.begin() ? 0 : static_cast<size_t>(it - laid.starts.begin()) - 1;
  double x = 0;
  double at = a - laid.starts[i];
  // A box that meets a piece by no more than rounding keeps off it: past a corner, where the
  // run ends, that piece's normal would throw the box's end far aside.
  const double slack = 1e-9 * std::max(1.0, width);
  // Once round a closed path, and a piece more for a box that reaches past its start.
  for (size_t taken = 0; taken <= n; ++taken) {
    const PathPiece& p = pieces[i];
    const double x1 = x + (p.length - at);
    const bool last = !(x1 < width - slack) || (!laid.path.closed && i + 1 == n) || taken == n;
    if (last || x1 - x > slack) sections_.push_back({x, last ? width : x1, &p, at});
    if (last) break;
    x = x1;
    at = 0;
    i = (i + 1) % n;
  }
  // The turn from each section into the next: a copy straddling it is joined round its outside.
  for (size_t k = 0; k + 1 < sections_.size(); ++k) {
    const Point ta = FrameAt(sections_[k], sections_[k].x1).tangent;
    const Point tb = FrameAt(sections_[k + 1], sections_[k + 1].x0).tangent;
    const double cross = ta.x * tb.y - ta.y * tb.x;
    const double dot = ta.x * tb.x + ta.y * tb.y;
    // A turn that opens no gap wider than rounding anywhere across the box is none.
    const double turn = PortableAtan2(cross, dot);
    const double across = std::max(std::fabs(height - reference), std::fabs(reference));
    joints_.push_back(
        {sections_[k + 1].piece->from, std::fabs(turn) * across > 1e-10 ? turn : 0.0});
  }
}

bool BentBox::Turns() const {
  return std::any_of(joints_.begin(), joints_.end(), [](const Joint& j) { return j.turn != 0; });
}

bool BentBox::Curved() const {
  return std::any_of(sections_.begin(), sections_.end(),
                     [](const Section& s) { return s.piece->IsArc(); });
}

double BentBox::CurvatureUnder(const Section& s) const {
  const PathPiece& p = *s.piece;
  if (!p.IsArc() || p.IsCircular()) return BendOf(p).k;
  // An ellipse bends each copy only as sharply as it curves under it.
  return EllipseCurvatureOver(p, s.at, s.at + (s.x1 - s.x0), &mark_);
}

bool BentBox::Folds() const {
  return std::any_of(sections_.begin(), sections_.end(), [&](const Section& s) {
    return s.piece->IsArc() && Reaches(CurvatureUnder(s), BendOf(*s.piece).side, height, reference);
  });
}

BendReach BentBox::Reach() const {
  BendReach reach;
  for (const Section& s : sections_) {
    BendReach r = PieceReach(*s.piece);
    r.curvature = CurvatureUnder(s);
    reach.Add(r);
  }
  return reach;
}

const BentBox::Section& BentBox::SectionAt(double x) const {
  // The first section that reaches x.
  const auto it = std::lower_bound(sections_.begin(), sections_.end(), x,
                                   [](const Section& s, double at) { return s.x1 < at; });
  return it == sections_.end() ? sections_.back() : *it;
}

BentBox::Frame BentBox::FrameAt(const Section& section, double x) const {
  const PathPiece& p = *section.piece;
  const double s = section.at + (x - section.x0);
  if (!p.IsArc()) {
    const Point u{(p.to.x - p.from.x) / p.length, (p.to.y - p.from.y) / p.length};
    return {Along(p.from, s, u), u};
  }
  if (p.IsCircular()) {
    const double side = p.sweep < 0 ? -1 : 1;
    const SineCosine sc = QuickSinCos(p.start + p.tilt + side * s / p.radius);
    return {{p.centre.x + p.radius * sc.cos, p.centre.y + p.radius * sc.sin},
            {-side * sc.sin, side * sc.cos}};
  }
  // An ellipse: its point and, a unit to the left of it, the point that gives the tangent.
  const double tau = ArcParameterAt(p, s, &mark_);
  const Point at = ArcOffsetAt(p, tau, 0);
  const Point left = ArcOffsetAt(p, tau, 1);
  return {at, {left.y - at.y, at.x - left.x}};
}

Point BentBox::Map(double x, double y) const { return MapOn(SectionAt(x), x, y); }

Point BentBox::MapOn(const Section& section, double x, double y) const {
  const Frame f = FrameAt(section, x);
  return Along(f.at, y - reference, LeftOf(f.tangent));
}

double BentBox::TurnAt(double x) const {
  const Frame f = FrameAt(SectionAt(x), x);
  return PortableAtan2(f.tangent.y, f.tangent.x);
}

void ReplayBentFigure(const FigureModel& model, const BentBox& box, double stretch,
                      CommandWriter& out) {
  BentWriter writer(model, box, stretch, out);
  for (const FigureOp& op : model.ops) writer.Op(op);
}

}  // namespace gara
