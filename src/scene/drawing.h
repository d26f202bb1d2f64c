// What an exchange file or a figure file draws, as a flat list of shapes in drawing
// millimetres (y up), ready to be measured and written as SVG.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/drawing_state.h"
#include "geom/geometry.h"

namespace gara::scene {

// Coordinates, radii and text sizes beyond this (or not finite) come from absurd input: the
// shape is left out, so the picture stays readable and every number stays short.
inline constexpr double kMaxCoordinate = 1e9;

struct Style {
  int32_t layerGroup = 0;
  int32_t layer = 0;
  uint32_t rgb = 0;  // 0xRRGGBB
  int32_t lineType = 1;
  int32_t lineWidth = 0;
};

enum class ShapeKind : uint8_t {
  kLine,             // v: x1, y1, x2, y2; form 1: a two-corner solid (a thick filled stroke)
  kCurve,            // v: the ellipse (below); form 1: a circumference solid (thick stroke)
  kPolygon,          // v: corners x, y; form: the corner count (3 or 4); filled
  kSolidArea,        // v: the ellipse, then inner rx, inner ry, corner x, y; form: SolidForm
  kText,             // v: lower-left x, y, angle (radians), length, character height, the
                     // box's height across the run (for vertical texts the character width)
  kPoint,            // v: x, y
  kMarker,           // v: x, y, size, angle (radians); form: the marker kind
  kBlock,            // v: x, y; text: its name
  kDesignatedPoint,  // v: x, y; form: the point number; text: its label, "1" or "1,6"
  kExtentsBox,       // v: minX, minY, maxX, maxY
  kCentre,           // v: x, y
};

// The ellipse of a curve or curved solid, in v[0..6]: centre x, y; rx (the semi-axis along the
// tilt); ry (signed: a negative one runs the parameter clockwise); tilt, start and sweep in
// radians, the sweep in (0, 2 pi], where 2 pi is the whole ellipse.
enum class SolidForm : int32_t {
  kSector = 0,   // centre, arc
  kSegment = 1,  // arc and chord
  kOutside = 2,  // between the arc and the corner where its end tangents meet
  kRing = 3,     // between the outer arc and the inner one (v[7], v[8])
  kWhole = 4,    // the whole ellipse
};

inline constexpr int32_t kTextItalic = 1;
inline constexpr int32_t kTextBold = 2;
inline constexpr int32_t kTextVertical = 4;

struct Shape {
  ShapeKind kind = ShapeKind::kLine;
  int32_t form = 0;
  int32_t textStyle = 0;  // kTextItalic | kTextBold | kTextVertical
  Style style;
  double v[11] = {};
  std::string text;  // Shift-JIS bytes as read
  std::string font;  // Shift-JIS font name without angle brackets and style marks
};

// Takes the shapes of a picture one at a time, as they are made: a list (Drawing) or a writer
// that never holds them all.
class ShapeSink {
 public:
  virtual void Add(Shape&& shape) = 0;

 protected:
  ~ShapeSink() = default;
};

struct Drawing {
  std::vector<Shape> shapes;    // the entities, in file order
  std::vector<Shape> underlay;  // designated points of another file, drawn first
  std::vector<Shape> overlay;   // designated points, extents box and centre, drawn last
};

// The point of parameter t on the ellipse in v[0..6] (see ShapeKind), with rx and ry replaced
// by `rx`, `ry` (the inner ellipse of a ring).
Point EllipseAt(const double* v, double rx, double ry, double t);

// The colour of Jw_cad's colour number `colour`, or `rgb` (Windows order 0x00BBGGRR, as the
// "lc10" value) when the number is 10. Numbers without a colour of their own are black.
uint32_t ColourOf(int32_t colour, int32_t rgb);

// The entities and designated points of a read exchange file. Text sizes are paper
// millimetres: in a drawing of real size (no "bz") they are drawn times the scale of the
// text's layer group.
void AddExchangeEntities(const DrawingState& state, Drawing& drawing);
void AddDesignatedPoints(const DrawingState& state, std::vector<Shape>& to);
// The shapes of entity records (a batch of a file read in pieces), in file order; the text
// scales are those of `header`, the state the whole file was read into.
void AddEntityShapes(const SelectedEntities& entities, const DrawingState& header, ShapeSink& sink);

// The entities of a figure file (sel.txt, jws.txt), its extents box and centre.
void AddFigure(std::string_view bytes, Drawing& drawing);
// The same with the entity shapes handed to `shapes` and the box and centre added to `overlay`.
void AddFigure(std::string_view bytes, ShapeSink& shapes, std::vector<Shape>& overlay);

// True when `bytes` look like a figure file: a first line with commas and a third line that
// starts with the count prefix "N,". Anything else is read as an exchange file.
bool IsFigureFile(std::string_view bytes);

}  // namespace gara::scene
