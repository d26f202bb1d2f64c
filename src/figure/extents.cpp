#include "figure/extents.h"

#include <cmath>

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

void AddArcSamplesDeg(Extents& box, double cx, double cy, double r, double ratio, double tiltDeg,
                      double startDeg, double sweepDeg) {
  for (int k = 0; k <= kCurveSampleSteps; ++k) {
    box.Add(
        EllipsePointDeg(cx, cy, r, ratio, tiltDeg, startDeg + k * sweepDeg / kCurveSampleSteps));
  }
}

void AddArcSamples(Extents& box, double cx, double cy, double r, double ratio, double tilt,
                   double start, double sweep) {
  for (int k = 0; k <= kCurveSampleSteps; ++k) {
    box.Add(EllipsePoint(cx, cy, r, ratio, tilt, start + k * sweep / kCurveSampleSteps));
  }
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

void AddTextBox(Extents& extents, const TextBox& box, int anchor, double x, double y) {
  for (int corner : {0, 2, 6, 8}) extents.Add(TextBoxCorner(box, anchor, x, y, corner));
}

}  // namespace gara
