#include "scene/view.h"

#include <algorithm>

#include "util/portable_math.h"

namespace gara::scene {

namespace {

// The unit is this part of the picture's larger side.
constexpr double kUnitsPerSide = 600;
constexpr double kMarginPart = 0.05;  // of the drawing's larger side, each way
constexpr double kMinMargin = 1.0;    // mm: a single point still gets a picture around it
constexpr double kEmptyHalfSide = 10.0;

// Widths in units: an ordinary line, and the thickest a line width may give.
constexpr double kLineWidth = 1.5;
constexpr double kMaxLineWidth = 6.0;

void AddTextCorners(Extents& box, const double* v) {
  const SineCosine a = PortableSinCos(v[2]);
  const double lx = v[3] * a.cos, ly = v[3] * a.sin;   // along the base line
  const double hx = -v[5] * a.sin, hy = v[5] * a.cos;  // across the run
  box.Add(v[0], v[1]);
  box.Add(v[0] + lx, v[1] + ly);
  box.Add(v[0] + hx, v[1] + hy);
  box.Add(v[0] + lx + hx, v[1] + ly + hy);
}

void AddShapeBox(Extents& box, const Shape& s) {
  const double* v = s.v;
  switch (s.kind) {
    case ShapeKind::kLine:
    case ShapeKind::kExtentsBox:
      box.Add(v[0], v[1]);
      box.Add(v[2], v[3]);
      break;
    case ShapeKind::kCurve:
    case ShapeKind::kSolidArea:
      AddArcSamples(box, v[0], v[1], v[2], v[3] / v[2], v[4], v[5], v[6]);
      if (s.kind == ShapeKind::kSolidArea) {
        if (s.form == int32_t(SolidForm::kSector)) box.Add(v[0], v[1]);
        if (s.form == int32_t(SolidForm::kOutside)) box.Add(v[9], v[10]);
      }
      break;
    case ShapeKind::kPolygon:
      for (int k = 0; k < s.form; ++k) box.Add(v[2 * k], v[2 * k + 1]);
      break;
    case ShapeKind::kText:
      AddTextCorners(box, v);
      break;
    default:
      box.Add(v[0], v[1]);
      break;
  }
}

}  // namespace

void Bounds::Add(Shape&& shape) { AddShapeBox(box_, shape); }

void Bounds::Add(const std::vector<Shape>& shapes) {
  for (const Shape& s : shapes) AddShapeBox(box_, s);
}

View Bounds::view() const {
  const Extents& box = box_;
  View view;
  if (box.empty()) {
    view = {-kEmptyHalfSide, -kEmptyHalfSide, 2 * kEmptyHalfSide, 2 * kEmptyHalfSide};
  } else {
    const double w = box.maxX() - box.minX(), h = box.maxY() - box.minY();
    const double margin = std::max(kMarginPart * std::max(w, h), kMinMargin);
    view = {box.minX() - margin, box.minY() - margin, w + 2 * margin, h + 2 * margin};
  }
  view.unit = std::max(view.width, view.height) / kUnitsPerSide;
  return view;
}

// Width 0 is the ordinary line; a width n draws n / 100 mm, kept between the ordinary line and
// four times it so that no line vanishes or swallows the picture.
double StrokeWidth(int32_t width, double unit) {
  if (width <= 0) return kLineWidth * unit;
  return std::clamp(width / 100.0, kLineWidth * unit, kMaxLineWidth * unit);
}

// Line type 1 and any number outside 2..9 are solid.
std::span<const double> DashPattern(int32_t lineType) {
  static constexpr double kPatterns[8][6] = {
      {8, 4, 0, 0, 0, 0},  {16, 6, 0, 0, 0, 0}, {2, 4, 0, 0, 0, 0},  {20, 4, 3, 4, 0, 0},
      {32, 6, 4, 6, 0, 0}, {20, 4, 3, 4, 3, 4}, {32, 6, 4, 6, 4, 6}, {1, 3, 0, 0, 0, 0},
  };
  if (lineType < 2 || lineType > 9) return {};
  const double* pattern = kPatterns[lineType - 2];
  size_t count = 0;
  while (count < 6 && pattern[count] > 0) ++count;
  return {pattern, count};
}

View ViewOf(const Drawing& drawing) {
  Bounds box;
  for (const auto* list : {&drawing.underlay, &drawing.shapes, &drawing.overlay}) box.Add(*list);
  return box.view();
}

}  // namespace gara::scene
