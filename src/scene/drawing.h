// What an exchange file or a figure file draws, as a flat list of shapes in drawing
// millimetres (y up), ready to be measured and written as SVG.
#pragma once

#include <array>
#include <cassert>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
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

// The ellipse of a curve or curved solid: centre; rx, the semi-axis along the tilt; ry, signed
// (a negative one runs the parameter clockwise); tilt, start and sweep in radians, the sweep in
// (0, 2 pi], where 2 pi is the whole ellipse.
struct Ellipse {
  double cx = 0, cy = 0, rx = 0, ry = 0, tilt = 0, start = 0, sweep = kTwoPi;
};

// A line; `solid`: a two-corner solid, a thick filled stroke without a line type.
struct LineShape {
  Point from, to;
  bool solid = false;
};

// An arc or a whole ellipse; `solid`: a circumference solid, a thick stroke.
struct CurveShape {
  Ellipse ellipse;
  bool solid = false;
};

// A filled triangle or quadrilateral: the first `count` corners.
struct PolygonShape {
  std::array<Point, 4> corners{};
  int32_t count = 0;  // 3 or 4
};

enum class SolidForm : int32_t {
  kSector = 0,   // centre, arc
  kSegment = 1,  // arc and chord
  kOutside = 2,  // between the arc and the corner where its end tangents meet
  kRing = 3,     // between the outer arc and the inner one (innerRx, innerRy)
  kWhole = 4,    // the whole ellipse
};

// A filled area bounded by an arc of `ellipse`.
struct SolidAreaShape {
  Ellipse ellipse;
  SolidForm form = SolidForm::kSector;
  double innerRx = 0, innerRy = 0;  // kRing: the inner ellipse's semi-axes
  Point corner;                     // kOutside: where the end tangents meet
};

// A text (Shape::text, in Shape::font) in the box with its lower-left corner at `corner`,
// running `angle` radians from the x axis for `length` and `across` high across the run (for a
// vertical text: the character width); its characters are `height` high.
struct TextShape {
  Point corner;
  double angle = 0, length = 0, height = 0, across = 0;
  bool italic = false, bold = false, vertical = false;
};

struct PointShape {
  Point at;
};

// A point of Jw_cad's marker kinds: a ring with a tick turned `angle` radians, by its size.
struct MarkerShape {
  Point at;
  double size = 0, angle = 0;
  int32_t kind = 0;
};

// A block's insertion point; Shape::text is its name.
struct BlockShape {
  Point at;
};

// Points on one spot share one mark: Shape::text is the label of all their numbers, "1" or
// "1,6".
struct DesignatedPointShape {
  Point at;
  int32_t number = 0;  // the first one's
};

// A figure file's extents; min <= max.
struct ExtentsBox {
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
};

struct Centre {
  Point at;
};

// The kinds in the order of Shape::geometry's alternatives.
enum class ShapeKind : uint8_t {
  kLine,
  kCurve,
  kPolygon,
  kSolidArea,
  kText,
  kPoint,
  kMarker,
  kBlock,
  kDesignatedPoint,
  kExtentsBox,
  kCentre,
};

// The geometry of each kind is a plain value, so that a shape moves as cheaply as its strings;
// the texts of the kinds that have one are beside it.
struct Shape {
  Style style;
  std::variant<LineShape, CurveShape, PolygonShape, SolidAreaShape, TextShape, PointShape,
               MarkerShape, BlockShape, DesignatedPointShape, ExtentsBox, Centre>
      geometry;
  std::string text = {};  // a text's, a block's name, a designated point's label; Shift-JIS bytes
  std::string font = {};  // a text's font name without angle brackets and style marks

  ShapeKind kind() const { return static_cast<ShapeKind>(geometry.index()); }
  // The geometry of a shape known to be a `T`.
  template <typename T>
  const T& as() const {
    assert(std::holds_alternative<T>(geometry));
    return *std::get_if<T>(&geometry);
  }
  template <typename T>
  T& as() {
    assert(std::holds_alternative<T>(geometry));
    return *std::get_if<T>(&geometry);
  }
};
static_assert(std::variant_size_v<decltype(Shape::geometry)> == size_t(ShapeKind::kCentre) + 1);
static_assert(std::is_trivially_copyable_v<decltype(Shape::geometry)>);

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

// The point of parameter t on `e`, with its semi-axes replaced by `rx`, `ry` (the inner ellipse
// of a ring).
Point EllipseAt(const Ellipse& e, double rx, double ry, double t);
inline Point EllipseAt(const Ellipse& e, double t) { return EllipseAt(e, e.rx, e.ry, t); }

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
