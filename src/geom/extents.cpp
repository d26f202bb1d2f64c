#include "geom/extents.h"

#include <algorithm>
#include <cmath>

#include "util/portable_math.h"

namespace gara {

void Extents::Add(double x, double y) {
  if (!std::isfinite(x) || !std::isfinite(y)) return;
  if (empty_) {
    minX_ = maxX_ = x;
    minY_ = maxY_ = y;
    empty_ = false;
    return;
  }
  if (x < minX_) minX_ = x;
  if (x > maxX_) maxX_ = x;
  if (y < minY_) minY_ = y;
  if (y > maxY_) maxY_ = y;
}

void AddCircleBox(Extents& box, double cx, double cy, double r) {
  box.Add(cx + r, cy + r);
  box.Add(cx - r, cy - r);
}

ArcSweep NormalizeArcSweepDeg(double startDeg, double endDeg) {
  double s = endDeg - startDeg;
  if (s < 0) s += 360;
  if (NearlyEqual(s, 0) || NearlyEqual(s, 360)) return {360, true};
  return {s, false};
}

namespace {

// The 73 points EllipsePoint(cx, cy, r, ratio, tilt, t0 + k * step), k = 0 ... 72, for arcs
// by the ten thousand. The tilt's sine and cosine are taken once; the parameter's are taken
// exactly every 18 steps (so the quarter points of an arc from a right angle are exact) and
// carried between them by turning with the step's sine and cosine, which keeps each point
// within a few units in the last place of the direct computation at a fraction of its cost.
// The four runs of 18 are turned side by side, which lets the processor overlap them; the
// points still reach the box in order.
// True when every point of the ellipse lies strictly inside `box`, so that its samples cannot
// move it: in a selection of many curves most of them fall inside the box of those before. The
// circle of the larger semi-axis is taken, with room to spare for the rounding of the samples.
bool InsideBox(const Extents& box, double cx, double cy, double r, double ratio) {
  if (box.empty()) return false;
  const double reach = std::fabs(r) * std::max(1.0, std::fabs(ratio));
  const double room = reach * (1 + 1e-9) + (std::fabs(cx) + std::fabs(cy) + reach) * 1e-15;
  // Not finite values compare false: their samples are taken as before.
  return cx - room > box.minX() && cx + room < box.maxX() && cy - room > box.minY() &&
         cy + room < box.maxY();
}

template <typename ParameterAt>
void AddEllipseSamples(Extents& box, double cx, double cy, double r, double ratio, double tilt,
                       double step, ParameterAt&& parameterAt) {
  if (InsideBox(box, cx, cy, r, ratio)) return;
  constexpr int kRun = 18;
  constexpr int kRuns = kCurveSampleSteps / kRun;
  // Named copies, not structured bindings: the lambda below captures them, which not every
  // compiler we build with accepts for bindings.
  const SineCosine turn = PortableSinCos(tilt);
  const double st = turn.sin, ct = turn.cos;
  const SineCosine stepTurn = PortableSinCos(step);
  const double ss = stepTurn.sin, cs = stepTurn.cos;
  double c[kRuns + 1];
  double s[kRuns + 1];
  for (int run = 0; run <= kRuns; ++run) {
    const SineCosine at = PortableSinCos(parameterAt(run * kRun));
    c[run] = at.cos;
    s[run] = at.sin;
  }
  Point points[kCurveSampleSteps + 1];
  const auto place = [&](int k, double cosine, double sine) {
    const double x = r * cosine;
    const double y = r * ratio * sine;
    points[k] = {cx + (ct * x - st * y), cy + (st * x + ct * y)};
  };
  for (int i = 0; i < kRun; ++i) {
    for (int run = 0; run < kRuns; ++run) {
      place(run * kRun + i, c[run], s[run]);
      const double next = c[run] * cs - s[run] * ss;
      s[run] = s[run] * cs + c[run] * ss;
      c[run] = next;
    }
  }
  place(kCurveSampleSteps, c[kRuns], s[kRuns]);
  for (const Point& p : points) box.Add(p);
}

}  // namespace

void AddArcSamplesDeg(Extents& box, double cx, double cy, double r, double ratio, double tiltDeg,
                      double startDeg, double sweepDeg) {
  AddEllipseSamples(box, cx, cy, r, ratio, DegToRad(tiltDeg),
                    DegToRad(sweepDeg / kCurveSampleSteps),
                    [&](int k) { return DegToRad(startDeg + k * sweepDeg / kCurveSampleSteps); });
}

void AddArcSamples(Extents& box, double cx, double cy, double r, double ratio, double tilt,
                   double start, double sweep) {
  AddEllipseSamples(box, cx, cy, r, ratio, tilt, sweep / kCurveSampleSteps,
                    [&](int k) { return start + k * sweep / kCurveSampleSteps; });
}

TextBox MeasureTextBox(int textKind, std::string_view text, double charWidth, double charHeight,
                       double spacing, double dx, double dy) {
  TextBox box;
  box.angleDeg = LineAngleDeg(dx, dy);
  if (textKind == 1) {
    box.length = TextRunWidthFixed(text, charHeight, spacing);
    box.height = charWidth;
  } else {
    box.length = TextRunWidth(text, charWidth, spacing);
    box.height = charHeight;
  }
  return box;
}

Point TextBoxCorner(const TextBox& box, int anchor, double x, double y, int toAnchor) {
  return ConvertTextAnchor(anchor, toAnchor, x, y, box.length, box.height, box.angleDeg);
}

std::array<Point, 4> TextBoxCorners(const TextBox& box, int anchor, double x, double y) {
  // ConvertTextAnchor for the four corners with the box's sine and cosine taken once; the
  // operations are those of RotatePoint, so the corners are the same to the last bit.
  const double angle = DegToRad(box.angleDeg);
  const auto [s, c] = PortableSinCos(angle);
  const Point from = TextAnchorOffset(anchor, box.length, box.height);
  const double ox = x + c * ((x - from.x) - x) - s * ((y - from.y) - y);
  const double oy = y + s * ((x - from.x) - x) + c * ((y - from.y) - y);
  std::array<Point, 4> corners;
  const int kinds[4] = {0, 2, 6, 8};
  for (int i = 0; i < 4; ++i) {
    if (kinds[i] == anchor) {
      corners[i] = {x, y};
      continue;
    }
    const Point to = TextAnchorOffset(kinds[i], box.length, box.height);
    corners[i] = {ox + (0 + c * (to.x - 0) - s * (to.y - 0)),
                  oy + (0 + s * (to.x - 0) + c * (to.y - 0))};
  }
  return corners;
}

void AddTextBox(Extents& extents, const TextBox& box, int anchor, double x, double y) {
  for (const Point& p : TextBoxCorners(box, anchor, x, y)) extents.Add(p);
}

}  // namespace gara
