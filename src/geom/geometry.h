// Small pure functions on 64-bit coordinates. Angles are radians unless the name ends in Deg.
#pragma once

#include <cstdint>
#include <string_view>

namespace gara {

inline constexpr double kEpsilon = 1e-8;        // coordinates and lengths
inline constexpr double kAngleEpsilon = 1e-10;  // angle clean-up
inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kTwoPi = 2 * kPi;

struct Point {
  double x = 0.0;
  double y = 0.0;
};

// p moved by k along the direction d.
inline Point Along(Point p, double k, Point d) { return {p.x + k * d.x, p.y + k * d.y}; }
// The direction u turned a quarter turn to the left.
inline Point LeftOf(Point u) { return {-u.y, u.x}; }
// The unit vector of (x, y); `otherwise` for a vector no longer than kEpsilon.
Point UnitOf(double x, double y, Point otherwise);

inline double DegToRad(double deg) { return deg / 180.0 * kPi; }
double RoundE10(double x);
double Distance(double x1, double y1, double x2, double y2);
double LineAngle(double dx, double dy);     // [0, 2pi)
double LineAngleDeg(double dx, double dy);  // [0, 360]
double NormalizeDeg(double a);              // [0, 360)
Point RotatePoint(double x, double y, double cx, double cy, double angle);
Point RotatePointDeg(double x, double y, double cx, double cy, double angleDeg);
Point EllipsePoint(double cx, double cy, double r, double ratio, double rot, double t);
Point EllipsePointDeg(double cx, double cy, double r, double ratio, double rotDeg, double tDeg);

// The ellipse EllipsePoint(c, r, ratio, rot, t) stretched by `stretch` > 0 along the x axis
// (its centre moving with it) is the ellipse EllipsePoint(c', radius, ratio', rot', t') with
// ratio' >= 0 and t' = shift + t, or t' = shift - t when `reversed` (an ellipse of negative
// ratio, whose parameter runs the other way round).
struct StretchedEllipse {
  double radius = 0;
  double ratio = 1;
  double rot = 0;
  double shift = 0;
  bool reversed = false;
};
StretchedEllipse StretchEllipse(double r, double ratio, double rot, double stretch);
bool NearlyEqual(double a, double b);
bool NearlySamePoint(double x1, double y1, double x2, double y2);
// Rounds to a multiple of 1e-8, halves up: the zero test of the line intersection and the
// measured length a dimension shows when its text is blank.
double QuantizeE8(double v);

// Anchor kinds 0..8 of a text box: lower left, lower centre, ... upper right; others act as 0.
// The anchor's position in the unturned box, measured from its lower-left corner.
inline Point TextAnchorOffset(int anchor, double w, double h) {
  if (anchor < 0 || anchor > 8) anchor = 0;
  return {w * 0.5 * (anchor % 3), h * 0.5 * (anchor / 3)};
}
Point TextOrigin(int anchor, double x0, double y0, double w, double h, double angleDeg);
Point ConvertTextAnchor(int fromAnchor, int toAnchor, double x0, double y0, double w, double h,
                        double angleDeg);

enum class LineCrossing : uint8_t {
  kParallel,    // no point: the lines never meet
  kInsideBoth,  // the point lies on both pieces
  kOutside,     // the point lies on the lines, beyond at least one piece
};

struct Intersection {
  LineCrossing result = LineCrossing::kParallel;
  Point point;
};
Intersection IntersectLines(double xa1, double ya1, double xa2, double ya2, double xb1, double yb1,
                            double xb2, double yb2);

double TextRunWidth(std::string_view text, double w, double s);
double TextRunWidthFixed(std::string_view text, double w, double s);

}  // namespace gara
