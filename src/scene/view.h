// How a scene is shown: the box around its shapes with a margin, and the sizes every painter
// of a scene (the SVG writer and the dialog's pane) shares.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
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
// The marks, in units: the dot of a point and the diamond of a block (its half diagonal).
inline constexpr double kPointRadiusUnits = 1.5;
inline constexpr double kBlockHalfUnits = 3.0;
// A ring with a cross over it: a designated point's and a figure's centre.
struct CrossedRing {
  double ringRadius, crossHalf;
};
inline constexpr CrossedRing kDesignatedMark{4.0, 7.0};
inline constexpr CrossedRing kCentreMark{3.0, 6.0};
// A designated point's label: its lower-left corner this far right and up of the point.
inline constexpr double kLabelOffsetUnits = 4.0;
inline constexpr double kLabelFontUnits = 12.0;

// A marker: a ring around its point and a tick from the point in its direction, sized in
// `unit`s (drawing millimetres or pixels).
struct MarkerMark {
  double ringRadius = 0;
  double tickX = 0, tickY = 0;  // the tick's end from the point, y up
};
MarkerMark MarkOf(const MarkerShape& marker, double unit);

// The characters of a text one by one: a lead byte goes with the byte after it.
std::vector<std::string_view> TextCharacters(std::string_view text);

// A vertical text stands its characters upright one below the other, at a fixed pitch down the
// run: each centred across the box with its foot at the bottom of its cell, turned `degrees`
// (not normalised) from the x axis.
struct VerticalCharacter {
  std::string_view bytes;
  Point foot;
};
struct VerticalLayout {
  double degrees = 0;
  std::vector<VerticalCharacter> characters;
};
VerticalLayout LayOutVertical(const TextShape& shape, std::string_view text);

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
