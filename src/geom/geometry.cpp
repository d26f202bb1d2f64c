#include "geom/geometry.h"

#include <algorithm>
#include <cmath>

#include "util/portable_math.h"
#include "util/text.h"

namespace gara {

namespace {

bool WithinPiece(double v, double a, double b) {
  return v >= std::min(a, b) - kEpsilon && v <= std::max(a, b) + kEpsilon;
}

}  // namespace

double QuantizeE8(double v) { return std::trunc(v / 1e-8 + 0.5) * 1e-8; }

double RoundE10(double x) {
  const double r = std::trunc(std::fabs(x) / 1e-10 + 0.5) * 1e-10;
  return x >= 0 ? r : -r;
}

double Distance(double x1, double y1, double x2, double y2) {
  const double dx = x2 - x1;
  const double dy = y2 - y1;
  return std::sqrt(dx * dx + dy * dy);
}

double LineAngle(double dx, double dy) {
  if (std::fabs(dx) < kAngleEpsilon && std::fabs(dy) < kAngleEpsilon) return 0.0;
  double a = PortableAtan2(dy, dx);
  if (a < 0) a += kTwoPi;
  return a;
}

double LineAngleDeg(double dx, double dy) { return RoundE10(LineAngle(dx, dy) * 180.0 / kPi); }

double NormalizeDeg(double a) {
  double v = std::fabs(a);
  if (v >= 360) v -= std::trunc(v / 360) * 360;
  if (std::fabs(v) <= kAngleEpsilon) v = 0;
  if (std::fabs(v - 360) <= kAngleEpsilon) v = 0;
  if (a < 0) v = -v;
  if (v < 0) v += 360;
  if (v >= 360) v -= 360;
  return v;
}

Point RotatePoint(double x, double y, double cx, double cy, double angle) {
  const auto [s, c] = PortableSinCos(angle);
  return {cx + c * (x - cx) - s * (y - cy), cy + s * (x - cx) + c * (y - cy)};
}

Point RotatePointDeg(double x, double y, double cx, double cy, double angleDeg) {
  return RotatePoint(x, y, cx, cy, DegToRad(angleDeg));
}

Point EllipsePoint(double cx, double cy, double r, double ratio, double rot, double t) {
  const auto [s, c] = PortableSinCos(t);
  const Point p = RotatePoint(r * c, r * ratio * s, 0, 0, rot);
  return {cx + p.x, cy + p.y};
}

Point EllipsePointDeg(double cx, double cy, double r, double ratio, double rotDeg, double tDeg) {
  return EllipsePoint(cx, cy, r, ratio, DegToRad(rotDeg), DegToRad(tDeg));
}

StretchedEllipse StretchEllipse(double r, double ratio, double rot, double stretch) {
  // The ellipse's linear map diag(stretch, 1) R(rot) diag(r, r ratio), split as
  // R(rot') diag(radius, radius ratio') R(shift): its columns are the images of the axes.
  const SineCosine a = PortableSinCos(rot);
  const double ax = stretch * r * a.cos;
  const double ay = r * a.sin;
  double bx = -stretch * r * ratio * a.sin;
  double by = r * ratio * a.cos;
  StretchedEllipse e;
  if (ax * by - bx * ay < 0) {
    // t -> -t turns the second axis back, so that the map keeps its orientation.
    bx = -bx;
    by = -by;
    e.reversed = true;
  }
  const double sum = PortableHypot((ax + by) / 2, (ay - bx) / 2);
  const double difference = PortableHypot((ax - by) / 2, (ay + bx) / 2);
  const double turnSum = PortableAtan2(ay - bx, ax + by);
  const double turnDifference = PortableAtan2(ay + bx, ax - by);
  e.radius = sum + difference;
  e.ratio = e.radius > 0 ? (sum - difference) / e.radius : 1;
  e.rot = (turnSum + turnDifference) / 2;
  e.shift = (turnSum - turnDifference) / 2;
  return e;
}

bool NearlyEqual(double a, double b) { return std::fabs(a - b) <= kEpsilon; }

bool NearlySamePoint(double x1, double y1, double x2, double y2) {
  return std::fabs(x2 - x1) <= kEpsilon && std::fabs(y2 - y1) <= kEpsilon;
}

Point TextOrigin(int anchor, double x0, double y0, double w, double h, double angleDeg) {
  const Point a = TextAnchorOffset(anchor, w, h);
  return RotatePointDeg(x0 - a.x, y0 - a.y, x0, y0, angleDeg);
}

Point ConvertTextAnchor(int fromAnchor, int toAnchor, double x0, double y0, double w, double h,
                        double angleDeg) {
  if (fromAnchor == toAnchor) return {x0, y0};
  const Point o = TextOrigin(fromAnchor, x0, y0, w, h, angleDeg);
  const Point a = TextAnchorOffset(toAnchor, w, h);
  const Point d = RotatePointDeg(a.x, a.y, 0, 0, angleDeg);
  return {o.x + d.x, o.y + d.y};
}

Intersection IntersectLines(double xa1, double ya1, double xa2, double ya2, double xb1, double yb1,
                            double xb2, double yb2) {
  Intersection out;
  const bool aVertical = QuantizeE8(xa1 - xa2) == 0;
  const bool bVertical = QuantizeE8(xb1 - xb2) == 0;
  if (aVertical && bVertical) return out;
  double x, y;
  if (aVertical) {
    const double mB = (yb2 - yb1) / (xb2 - xb1);
    x = xa1;
    y = (xa1 - xb1) * mB + yb1;
  } else if (bVertical) {
    const double mA = (ya2 - ya1) / (xa2 - xa1);
    x = xb1;
    y = (xb1 - xa1) * mA + ya1;
  } else {
    const double mA = (ya2 - ya1) / (xa2 - xa1);
    const double mB = (yb2 - yb1) / (xb2 - xb1);
    if (QuantizeE8(mA - mB) == 0) return out;
    const double cA = ya1 - mA * xa1;
    const double cB = yb1 - mB * xb1;
    x = (cB - cA) / (mA - mB);
    y = mA * x + cA;
  }
  out.point = {x, y};
  const bool inside = WithinPiece(x, xa1, xa2) && WithinPiece(y, ya1, ya2) &&
                      WithinPiece(x, xb1, xb2) && WithinPiece(y, yb1, yb2);
  out.result = inside ? LineCrossing::kInsideBoth : LineCrossing::kOutside;
  return out;
}

double TextRunWidth(std::string_view text, double w, double s) {
  double width = 0;
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (IsLeadByte(b)) {
      width += w;
      i += 2;
      if (i < n) width += s;
    } else {
      if (b >= 0x20) width += w / 2;
      i += 1;
      if (i < n) width += s / 2;
    }
  }
  return width;
}

double TextRunWidthFixed(std::string_view text, double w, double s) {
  const int n = CharCount(text);
  return n * w + (n - 1) * s;
}

Point UnitOf(double x, double y, Point otherwise) {
  const double len = PortableHypot(x, y);
  if (!(len > kEpsilon)) return otherwise;
  return {x / len, y / len};
}

}  // namespace gara
