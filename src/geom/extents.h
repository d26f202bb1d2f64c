// The box around everything a figure draws, accumulated point by point. The selection export
// and the .jws converter both measure with these functions, so that a figure gets the same box
// whichever way it was made.
#pragma once

#include <array>
#include <string_view>

#include "geom/geometry.h"

namespace gara {

// Points that are not finite (NaN, infinity from absurd input) are left out, so one bad entity
// cannot turn the whole box into NaN. A box that took no point is 0, 0, 0, 0.
class Extents {
 public:
  void Add(double x, double y);
  void Add(Point p) { Add(p.x, p.y); }

  bool empty() const { return empty_; }
  double minX() const { return minX_; }
  double minY() const { return minY_; }
  double maxX() const { return maxX_; }
  double maxY() const { return maxY_; }
  // Halves summed rather than the sum halved: the centre of a box near the largest double does
  // not overflow.
  Point Centre() const { return {minX_ / 2 + maxX_ / 2, minY_ / 2 + maxY_ / 2}; }

 private:
  double minX_ = 0, minY_ = 0, maxX_ = 0, maxY_ = 0;
  bool empty_ = true;
};

// Number of steps between the sample points of a curve (73 points, 5 degrees apart on a circle).
inline constexpr int kCurveSampleSteps = 72;

// (cx + r, cy + r) and (cx - r, cy - r).
void AddCircleBox(Extents& box, double cx, double cy, double r);

// The sweep of an arc stored by its start and end angles in degrees: end - start, plus 360 when
// negative; within 1e-8 of 0 or 360 it is a whole turn (360, closed).
struct ArcSweep {
  double sweepDeg = 360;
  bool closed = true;
};
ArcSweep NormalizeArcSweepDeg(double startDeg, double endDeg);

// The 73 points EllipsePointDeg(cx, cy, r, ratio, tiltDeg, startDeg + k * sweepDeg / 72), each
// within a few units in the last place of that direct computation (see extents.cpp).
void AddArcSamplesDeg(Extents& box, double cx, double cy, double r, double ratio, double tiltDeg,
                      double startDeg, double sweepDeg);
// The 73 points EllipsePoint(cx, cy, r, ratio, tilt, start + k * sweep / 72), radians.
void AddArcSamples(Extents& box, double cx, double cy, double r, double ratio, double tilt,
                   double start, double sweep);

// The rectangle a text occupies: `length` along its direction, `height` across it, turned by
// `angleDeg`.
struct TextBox {
  double length = 0;
  double height = 0;
  double angleDeg = 0;
};
// Vertical texts (text kind 1, "cv") run their characters at fixed pitch along the height;
// every other kind is measured with half-width characters at half pitch.
TextBox MeasureTextBox(int textKind, std::string_view text, double charWidth, double charHeight,
                       double spacing, double dx, double dy);
// The corner of anchor kind `toAnchor` of a box whose anchor point `anchor` is (x, y).
Point TextBoxCorner(const TextBox& box, int anchor, double x, double y, int toAnchor);
// The corners of anchor kinds 0, 2, 6 and 8, in that order.
std::array<Point, 4> TextBoxCorners(const TextBox& box, int anchor, double x, double y);
void AddTextBox(Extents& extents, const TextBox& box, int anchor, double x, double y);

}  // namespace gara
