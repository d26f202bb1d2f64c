#include "scene/view.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <variant>

#include "util/portable_math.h"
#include "util/text.h"

namespace gara::scene {

namespace {

constexpr double kToDegrees = 180 / kPi;

// The unit is this part of the picture's larger side.
constexpr double kUnitsPerSide = 600;
constexpr double kMarginPart = 0.05;  // of the drawing's larger side, each way
constexpr double kMinMargin = 1.0;    // mm: a single point still gets a picture around it
constexpr double kEmptyHalfSide = 10.0;

// Widths in units: an ordinary line, and the thickest a line width may give.
constexpr double kLineWidth = 1.5;
constexpr double kMaxLineWidth = 6.0;

void AddArc(Extents& box, const Ellipse& e) {
  // The scene makes no other ellipse: the flatness divides by rx, and every painter takes the
  // sweep as at most one turn.
  assert(e.rx > 0 && e.sweep > 0 && e.sweep <= kTwoPi);
  AddArcSamples(box, e.cx, e.cy, e.rx, e.ry / e.rx, e.tilt, e.start, e.sweep);
}

// The points a shape's box takes in, one overload a kind.
struct ShapeBox {
  Extents& box;

  void operator()(const LineShape& s) const {
    box.Add(s.from.x, s.from.y);
    box.Add(s.to.x, s.to.y);
  }
  void operator()(const CurveShape& s) const { AddArc(box, s.ellipse); }
  void operator()(const PolygonShape& s) const {
    assert(s.count == 3 || s.count == 4);
    for (int k = 0; k < s.count; ++k) box.Add(s.corners[size_t(k)].x, s.corners[size_t(k)].y);
  }
  void operator()(const SolidAreaShape& s) const {
    AddArc(box, s.ellipse);
    if (s.form == SolidForm::kSector) box.Add(s.ellipse.cx, s.ellipse.cy);
    if (s.form == SolidForm::kOutside) box.Add(s.corner.x, s.corner.y);
  }
  void operator()(const TextShape& s) const {
    const SineCosine a = PortableSinCos(s.angle);
    const double lx = s.length * a.cos, ly = s.length * a.sin;   // along the base line
    const double hx = -s.across * a.sin, hy = s.across * a.cos;  // across the run
    const double x = s.corner.x, y = s.corner.y;
    box.Add(x, y);
    box.Add(x + lx, y + ly);
    box.Add(x + hx, y + hy);
    box.Add(x + lx + hx, y + ly + hy);
  }
  void operator()(const ExtentsBox& s) const {
    box.Add(s.minX, s.minY);
    box.Add(s.maxX, s.maxY);
  }
  // The marks: their spot.
  template <typename Mark>
  void operator()(const Mark& s) const {
    box.Add(s.at.x, s.at.y);
  }
};

void AddShapeBox(Extents& box, const Shape& s) { std::visit(ShapeBox{box}, s.geometry); }

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

// The size only scales the mark, kept within bounds so that it neither vanishes nor swallows
// the picture.
MarkerMark MarkOf(const MarkerShape& marker, double unit) {
  const double size = std::clamp(std::fabs(marker.size), 0.25, 4.0);
  const SineCosine a = PortableSinCos(marker.angle);
  return {2.5 * unit * size, 5 * unit * size * a.cos, 5 * unit * size * a.sin};
}

std::vector<std::string_view> TextCharacters(std::string_view text) {
  std::vector<std::string_view> chars;
  for (size_t i = 0; i < text.size();) {
    const size_t n = IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    chars.push_back(text.substr(i, n));
    i += n;
  }
  return chars;
}

VerticalLayout LayOutVertical(const TextShape& shape, std::string_view text) {
  VerticalLayout layout;
  layout.degrees = shape.angle * kToDegrees + 90;
  const std::vector<std::string_view> chars = TextCharacters(text);
  const double h = shape.height;
  const double pitch = chars.size() > 1 ? (shape.length - h) / double(chars.size() - 1) : h;
  const SineCosine a = PortableSinCos(shape.angle);
  const double x = shape.corner.x, y = shape.corner.y;
  for (size_t k = 0; k < chars.size(); ++k) {
    const double along = double(k) * pitch + h, across = shape.across / 2;
    layout.characters.push_back(
        {chars[k], {x + along * a.cos - across * a.sin, y + along * a.sin + across * a.cos}});
  }
  return layout;
}

View ViewOf(const Drawing& drawing) {
  Bounds box;
  for (const auto* list : {&drawing.underlay, &drawing.shapes, &drawing.overlay}) box.Add(*list);
  return box.view();
}

}  // namespace gara::scene
