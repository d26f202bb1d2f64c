// How a scene is shown: the box around its shapes with a margin, and the sizes every painter
// of a scene (the SVG writer and the dialog's pane) shares.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "geom/extents.h"
#include "scene/drawing.h"

namespace gara::scene {

// The box the picture shows, in drawing coordinates (y up), and its unit for line widths and
// marks.
struct View {
  double x = 0, y = 0, width = 0, height = 0;
  double unit = 0;
};
View ViewOf(const Drawing& drawing);

// The sizes every painter of a scene shares, in units of the view: the stroke of a two-corner or
// circumference solid and of the marks.
inline constexpr double kSolidStrokeUnits = 3.0;
inline constexpr double kMarkStrokeUnits = 1.0;
// The stroke width of a line of Jw_cad's line width `width`, in drawing millimetres.
double StrokeWidth(int32_t width, double unit);
// Jw_cad's line types 2..9 as dash patterns (on, off, ...) in units; empty for a solid line.
std::span<const double> DashPattern(int32_t lineType);

// The box of a picture's shapes, taken a list or a shape at a time (the measuring pass of a
// picture written as it is read), and the View around it.
class Bounds final : public ShapeSink {
 public:
  void Add(Shape&& shape) override;
  void Add(const std::vector<Shape>& shapes);
  View view() const;

 private:
  Extents box_;
};

}  // namespace gara::scene
