#include "scene/drawing.h"

#include <cassert>
#include <cmath>
#include <initializer_list>

#include "exchange/entities.h"
#include "figure/figure_format.h"
#include "figure/figure_reader.h"
#include "geom/extents.h"
#include "geom/geometry.h"
#include "util/lines.h"
#include "util/number_text.h"
#include "util/portable_math.h"
#include "util/text.h"

namespace gara::scene {

namespace {

constexpr double kDegree = kPi / 180;
// Layer-group scales beyond this are not a drawing's scale but a broken header.
constexpr double kMaxScale = 1e6;
// Colour of the designated points and of the figure's extents box.
constexpr uint32_t kMarkColour = 0xE00000;
constexpr uint32_t kExtentsColour = 0x0070E0;

// Colours 1..9 on a white background. Jw_cad's own screen colours are meant for a dark
// background; these keep their hues (1 light blue, 2 black, 3 green, 4 yellow, 5 magenta,
// 6 blue, 7 dark grey, 8 red, 9 grey for auxiliary lines) but are dark enough to read on
// white. Colour 0 is Jw_cad's background colour: light grey, so that it is not lost.
constexpr uint32_t kPalette[10] = {0xC0C0C0, 0x0096C8, 0x000000, 0x008C00, 0xB48C00,
                                   0xC800C8, 0x0000E6, 0x505050, 0xE60000, 0x969696};

bool Coordinate(double v) { return std::isfinite(v) && std::fabs(v) <= kMaxCoordinate; }
bool Coordinates(std::initializer_list<double> values) {
  for (double v : values) {
    if (!Coordinate(v)) return false;
  }
  return true;
}
bool Size(double v) { return std::isfinite(v) && v > 0 && v <= kMaxCoordinate; }

// `rgb` is the entity's own colour, used when its colour number is 10 (solids only).
Style LineStyle(const EntityHeader& h, int32_t rgb = 0) {
  return {h.layerGroup, h.layer, ColourOf(h.colour, rgb), h.lineType, h.lineWidth};
}

// Appends to a list: the in-memory picture.
class ShapeList final : public ShapeSink {
 public:
  explicit ShapeList(std::vector<Shape>& to) : to_(to) {}
  void Add(Shape&& shape) override { to_.push_back(std::move(shape)); }

 private:
  std::vector<Shape>& to_;
};

// `solid`: a two-corner solid.
void AddLine(ShapeSink& sink, const Style& style, double x1, double y1, double x2, double y2,
             bool solid = false) {
  if (!Coordinates({x1, y1, x2, y2})) return;
  sink.Add({style, LineShape{{x1, y1}, {x2, y2}, solid}});
}

// A sweep in radians as drawn: a negative one runs backwards from the start, so its start is
// moved to its other end; nothing or a whole turn or more is the whole ellipse.
void SetSweep(Ellipse& e, double start, double sweep) {
  if (sweep < 0) {
    start += sweep;
    sweep = -sweep;
  }
  if (sweep <= kAngleEpsilon || sweep >= kTwoPi - kAngleEpsilon) sweep = kTwoPi;
  e.start = std::fmod(start, kTwoPi);
  e.sweep = sweep;
}

// False for an ellipse that absurd input made unusable: it is not drawn.
bool Usable(const Ellipse& e) {
  return Coordinates({e.cx, e.cy}) && Size(e.rx) && std::isfinite(e.ry) &&
         std::fabs(e.ry) <= kMaxCoordinate && std::isfinite(e.tilt) && std::isfinite(e.start) &&
         std::isfinite(e.sweep) &&
         Coordinates({e.cx - e.rx, e.cx + e.rx, e.cy - e.rx, e.cy + e.rx, e.cx - e.ry, e.cx + e.ry,
                      e.cy - e.ry, e.cy + e.ry});
}

// `solid`: a circumference solid.
void AddCurve(ShapeSink& sink, const Style& style, const Ellipse& e, bool solid = false) {
  if (Usable(e)) sink.Add({style, CurveShape{e, solid}});
}

void AddSolidArea(ShapeSink& sink, const Style& style, const SolidAreaShape& area) {
  if (Usable(area.ellipse)) sink.Add({style, area});
}

Ellipse ArcEllipseDeg(double cx, double cy, double r, double startDeg, double endDeg,
                      double flatness, double tiltDeg) {
  Ellipse e{cx, cy, r, r * flatness, NormalizeDeg(tiltDeg) * kDegree};
  const ArcSweep sweep = NormalizeArcSweepDeg(startDeg, endDeg);
  SetSweep(e, NormalizeDeg(startDeg) * kDegree, sweep.closed ? kTwoPi : sweep.sweepDeg * kDegree);
  return e;
}

// The tangent direction at parameter t.
Point TangentAt(const Ellipse& e, double t) {
  const SineCosine a = PortableSinCos(t);
  const SineCosine tilt = PortableSinCos(e.tilt);
  const double px = -e.rx * a.sin;
  const double py = e.ry * a.cos;
  return {px * tilt.cos - py * tilt.sin, px * tilt.sin + py * tilt.cos};
}

// Curved solids: "sc" circle solids (kind -1 outside the arc, 0 sector, 5 segment, 100 whole;
// other kinds are drawn as sectors), "se" circumference solids (0 arc, 100 whole; a thick
// arc), "so" rings of constant flatness and "sg" rings of constant width.
void AddCircleSolid(ShapeSink& sink, const Style& style, const Ellipse& ellipse, int32_t kind) {
  Ellipse e = ellipse;
  if (kind == 100) e.sweep = kTwoPi;
  SolidAreaShape area;
  area.ellipse = e;
  area.form = kind == 5 ? SolidForm::kSegment : SolidForm::kSector;
  if (e.sweep >= kTwoPi) area.form = SolidForm::kWhole;
  if (kind == -1 && area.form != SolidForm::kWhole) {
    const Point a = EllipseAt(e, e.start), b = EllipseAt(e, e.start + e.sweep);
    const Point ta = TangentAt(e, e.start), tb = TangentAt(e, e.start + e.sweep);
    const Intersection meet =
        IntersectLines(a.x, a.y, a.x + ta.x, a.y + ta.y, b.x, b.y, b.x + tb.x, b.y + tb.y);
    // Parallel end tangents have no corner: the arc and its chord are the best left.
    if (meet.result != LineCrossing::kParallel && Coordinates({meet.point.x, meet.point.y})) {
      area.form = SolidForm::kOutside;
      area.corner = meet.point;
    } else {
      area.form = SolidForm::kSegment;
    }
  }
  AddSolidArea(sink, style, area);
}

void AddRingSolid(ShapeSink& sink, const Style& style, const Ellipse& e, double r2,
                  bool constantWidth) {
  if (!Size(r2) || r2 >= e.rx) return;
  const double flatness = e.ry / e.rx;
  double innerRy = r2 * flatness;
  if (constantWidth) innerRy = e.ry + (e.ry < 0 ? 1 : -1) * (e.rx - r2);
  if (!std::isfinite(innerRy)) return;
  SolidAreaShape ring;
  ring.ellipse = e;
  ring.form = SolidForm::kRing;
  ring.innerRx = r2;
  ring.innerRy = innerRy;
  AddSolidArea(sink, style, ring);
}

void AddSolidCurve(ShapeSink& sink, const Style& style, EntityType type, double x, double y,
                   double r, double flatness, double tilt, double start, double sweep, int32_t kind,
                   double r2) {
  Ellipse e{x, y, r, r * flatness, std::fmod(tilt, kTwoPi)};
  SetSweep(e, start, sweep);
  switch (type) {
    case EntityType::kSolidSc:
      AddCircleSolid(sink, style, e, kind);
      break;
    case EntityType::kSolidSe:
      if (kind == 100) e.sweep = kTwoPi;
      AddCurve(sink, style, e, true);
      break;
    case EntityType::kSolidSo:
      AddRingSolid(sink, style, e, r2, false);
      break;
    default:
      AddRingSolid(sink, style, e, r2, true);
      break;
  }
}

void AddSolidPolygon(ShapeSink& sink, const Style& style, std::initializer_list<double> corners) {
  assert(corners.size() == 6 || corners.size() == 8);
  if (!Coordinates(corners)) return;
  PolygonShape polygon;
  for (auto v = corners.begin(); v != corners.end(); v += 2)
    polygon.corners[size_t(polygon.count++)] = {v[0], v[1]};
  sink.Add({style, polygon});
}

// "<ＭＳ ゴシック>/!" gives the name between the brackets and the styles after them.
void SetFont(Shape& shape, std::string_view font) {
  const size_t open = font.find('<');
  const size_t close = font.rfind('>');
  std::string_view styles;
  if (open != std::string_view::npos && close != std::string_view::npos && close > open) {
    styles = font.substr(close + 1);
    font = font.substr(open + 1, close - open - 1);
  }
  TextShape& text = shape.as<TextShape>();
  text.italic = styles.find('/') != std::string_view::npos;
  text.bold = styles.find('!') != std::string_view::npos;
  shape.font = font;
}

// A text whose box has its lower-left corner at (x, y), runs `angle` radians from the x axis
// for `length` and stands `across` high; its characters are `height` high.
void AddText(ShapeSink& sink, const Style& style, std::string_view text, std::string_view font,
             bool vertical, double x, double y, double angle, double length, double height,
             double across) {
  if (IsBlankText(text)) return;
  if (!Coordinates({x, y}) || !Size(height) || !std::isfinite(angle) || !std::isfinite(length) ||
      length < 0 || length > kMaxCoordinate || !std::isfinite(across) ||
      std::fabs(across) > kMaxCoordinate) {
    return;
  }
  Shape shape{style, TextShape{}};
  TextShape& t = shape.as<TextShape>();
  t.corner = {x, y};
  t.angle = angle;
  t.length = length;
  t.height = height;
  t.across = across;
  t.vertical = vertical;
  shape.text = text;
  SetFont(shape, font);
  sink.Add(std::move(shape));
}

double TextScale(const DrawingState& state, int32_t layerGroup) {
  if (state.paperScaleFlag || layerGroup < 0 || layerGroup > 15) return 1.0;
  const double scale = state.layerGroupScales[size_t(layerGroup)];
  return std::isfinite(scale) && scale > 0 && scale <= kMaxScale ? scale : 1.0;
}

// A text record of the exchange file; `anchor` overrides the record's (dimension texts are
// placed by their lower-left corner).
void AddTextEntity(ShapeSink& sink, const DrawingState& state, const TextEntity& t,
                   int32_t anchor) {
  const double scale = TextScale(state, t.header.layerGroup);
  const double w = t.width * scale, h = t.height * scale, s = t.spacing * scale;
  if (!Size(h) || !std::isfinite(w) || !std::isfinite(s)) return;
  const TextBox box = MeasureTextBox(t.textKind, t.text, w, h, s, t.dx, t.dy);
  const Point corner = TextBoxCorner(box, anchor, t.x, t.y, 0);
  const Style style{t.header.layerGroup, t.header.layer, ColourOf(t.header.colour, 0), 1, 0};
  AddText(sink, style, t.text, t.fontName, t.textKind == 1, corner.x, corner.y,
          box.angleDeg * kDegree, box.length, h, box.height);
}

// The shapes of an exchange file's entity records, an overload a kind of record; `state` gives
// the text scales.
class EntityShapes {
 public:
  EntityShapes(const DrawingState& state, ShapeSink& sink) : state_(state), sink_(sink) {}

  void operator()(const LineEntity& e) {
    AddLine(sink_, LineStyle(e.header), e.x1, e.y1, e.x2, e.y2);
  }
  void operator()(const CircleEntity& e) {
    AddCurve(sink_, LineStyle(e.header), {e.x, e.y, e.r, e.r});
  }
  void operator()(const ArcEntity& e) {
    AddCurve(sink_, LineStyle(e.header),
             ArcEllipseDeg(e.x, e.y, e.r, e.startAngle, e.endAngle, e.flatness, e.tilt));
  }
  void operator()(const TextEntity& e) { AddTextEntity(sink_, state_, e, e.anchor); }
  void operator()(const PointEntity& e) {
    if (Coordinates({e.x, e.y})) sink_.Add({LineStyle(e.header), PointShape{{e.x, e.y}}});
  }
  void operator()(const RotatedPointEntity& e) {
    if (!Coordinates({e.x, e.y}) || !std::isfinite(e.size) || !std::isfinite(e.angle)) return;
    const double angle = NormalizeDeg(e.angle) * kDegree;
    sink_.Add({LineStyle(e.header), MarkerShape{{e.x, e.y}, e.size, angle, e.kind}});
  }
  // The measured line, then its value.
  void operator()(const DimensionEntity& e) {
    (*this)(e.line);
    AddTextEntity(sink_, state_, e.text, 0);
  }
  void operator()(const BlockEntity& e) {
    if (Coordinates({e.x, e.y})) sink_.Add({LineStyle(e.header), BlockShape{{e.x, e.y}}, e.name});
  }
  void operator()(const SolidLineEntity& e) {
    AddLine(sink_, LineStyle(e.header, e.rgb), e.x1, e.y1, e.x2, e.y2, true);
  }
  void operator()(const SolidTriangleEntity& e) {
    AddSolidPolygon(sink_, LineStyle(e.header, e.rgb), {e.x1, e.y1, e.x2, e.y2, e.x3, e.y3});
  }
  void operator()(const SolidQuadEntity& e) {
    AddSolidPolygon(sink_, LineStyle(e.header, e.rgb),
                    {e.x1, e.y1, e.x2, e.y2, e.x3, e.y3, e.x4, e.y4});
  }
  // "sc" and "se".
  void operator()(const SolidArcEntity& e, EntityType type) {
    AddSolidCurve(sink_, LineStyle(e.header, e.rgb), type, e.x, e.y, e.r, e.flatness, e.tilt,
                  e.start, e.sweep, e.kind, 0);
  }
  // "so" and "sg".
  void operator()(const SolidRingEntity& e, EntityType type) {
    AddSolidCurve(sink_, LineStyle(e.header, e.rgb), type, e.x, e.y, e.r, e.flatness, e.tilt,
                  e.start, e.sweep, 0, e.r2);
  }

 private:
  const DrawingState& state_;
  ShapeSink& sink_;
};

// The record `ref` names in `all`, handed to `add`.
void AddEntity(const SelectedEntities& all, EntityRef ref, EntityShapes& add) {
  const size_t i = ref.index;
  switch (ref.type) {
    case EntityType::kLine:
      return add(all.lines[i]);
    case EntityType::kCircle:
      return add(all.circles[i]);
    case EntityType::kArc:
      return add(all.arcs[i]);
    case EntityType::kText:
      return add(all.texts[i]);
    case EntityType::kPoint:
      return add(all.points[i]);
    case EntityType::kRotatedPoint:
      return add(all.rotatedPoints[i]);
    case EntityType::kDimension:
      return add(all.dimensions[i]);
    case EntityType::kBlock:
      return add(all.blocks[i]);
    case EntityType::kSolidLine:
      return add(all.solidLines[i]);
    case EntityType::kSolidTriangle:
      return add(all.solidTriangles[i]);
    case EntityType::kSolidQuad:
      return add(all.solidQuads[i]);
    case EntityType::kSolidSc:
      return add(all.solidSc[i], ref.type);
    case EntityType::kSolidSe:
      return add(all.solidSe[i], ref.type);
    case EntityType::kSolidSo:
      return add(all.solidSo[i], ref.type);
    case EntityType::kSolidSg:
      return add(all.solidSg[i], ref.type);
  }
}

// The shapes of a figure file's records, drawn with the attributes the records set. A cut part
// draws nothing; the shapes before it stay.
class FigureShapes final : public FigureHandler {
 public:
  explicit FigureShapes(ShapeSink& sink) : sink_(sink) {}

 private:
  Style LineStyle() const {
    return {layerGroup_, layer_, ColourOf(colour_, rgb_), lineType_, lineWidth_};
  }
  Style PointStyle() const { return {layerGroup_, layer_, ColourOf(pointColour_, 0), 1, 0}; }
  Style TextStyle() const { return {layerGroup_, layer_, ColourOf(textColour_, 0), 1, 0}; }

  void Text(std::string_view text, bool vertical, double x, double y, double angle, double length,
            double across) {
    AddText(sink_, TextStyle(), text, font_, vertical, x, y, angle, length, textHeight_, across);
  }

  void Head(const FigureLine& head) override {
    layerGroup_ = head.Int(2);
    layer_ = head.Int(3);
  }
  void Line(const FigureLine& line) override {
    LineAttributes(line);
    LinePart(line);
  }
  void ExtensionLine(const FigureLine& line) override { Line(line); }
  void Cut(FigurePart, const FigureLine*, int32_t) override {}

  void LineAttributes(const FigureLine& line) {
    colour_ = line.Int(4);
    lineType_ = line.Int(5);
    lineWidth_ = line.Int(6);
  }

  void LinePart(const FigureLine& line) {
    AddLine(sink_, LineStyle(), line.Real(8), line.Real(9), line.Real(10), line.Real(11));
  }

  void Curve(const FigureLine& line, const FigureCurve& c) override {
    LineAttributes(line);
    if (!c.arc) {
      AddCurve(sink_, LineStyle(), {c.cx, c.cy, c.r, c.r});
    } else if (std::isfinite(c.start) && std::isfinite(c.end) && std::isfinite(c.tilt)) {
      AddCurve(sink_, LineStyle(),
               ArcEllipseDeg(c.cx, c.cy, c.r, c.start, c.end, c.flatness, c.tilt));
    }
  }

  void Point(const FigureLine& line, int32_t /*flags*/) override {
    pointColour_ = line.Int(4);
    lineWidth_ = line.Int(6);
    const double x = line.Real(8), y = line.Real(9);
    if (line.Int(5) != figure::kRotatedPointCode) {
      if (Coordinates({x, y})) sink_.Add({PointStyle(), PointShape{{x, y}}});
      return;
    }
    const double angleDeg = line.Real(12) * 180 / kPi;
    const double size = line.Real(13);
    if (std::isfinite(angleDeg) && Coordinates({x, y}) && std::isfinite(size)) {
      const double angle = NormalizeDeg(angleDeg) * kDegree;
      sink_.Add({PointStyle(), MarkerShape{{x, y}, size, angle, line.Int(11)}});
    }
  }

  // The text size and font of a text line.
  void TextAttributes(const FigureLine& line) {
    textColour_ = line.Int(4);
    textWidth_ = line.Real(13);
    textHeight_ = line.Real(14);
    textSpacing_ = line.Real(15);
    font_ = FontOf(line);
    font_.resize(ShownFontLength(font_));
  }

  void Text(const FigureLine& line, const FigureText& t) override {
    TextAttributes(line);
    Text(ShownText(line.text), t.type == 1, t.x, t.y, t.angle, t.length, t.height);
  }

  void DimensionLine(const FigureLine& measured) override {
    LineAttributes(measured);
    for (size_t k = 0; k < 4; ++k) measured_[k] = measured.Real(8 + k);
  }

  // The dimension line is drawn with its value text, once the text is known to be whole.
  void DimensionText(const FigureLine& value) override {
    TextAttributes(value);
    const double x1 = measured_[0], y1 = measured_[1], x2 = measured_[2], y2 = measured_[3];
    AddLine(sink_, LineStyle(), x1, y1, x2, y2);
    std::string text = ShownText(value.text);
    // A blank value text stands for the measured length, as the program writes it.
    if (IsBlankText(text)) {
      const double d = Distance(x1, y1, x2, y2);
      text = std::isfinite(d) ? NumberText(QuantizeE8(d)) : "";
    }
    const double angle = DimensionTextAngle(value);
    const SineCosine a = PortableSinCos(angle);
    const TextBox box =
        MeasureTextBox(2, text, textWidth_, textHeight_, textSpacing_, a.cos, a.sin);
    Text(text, false, value.Real(8), value.Real(9), angle, box.length, box.height);
  }

  void Solid(const FigureLine& line, const FigureSolid& solid) override {
    const int32_t colour = line.Int(4);
    colour_ = colour;
    if (colour == 10) rgb_ = line.Int(16);
    lineWidth_ = line.Int(6);
    const double* v = solid.v;
    switch (solid.kind) {
      case FigureSolidKind::kLine:
        AddLine(sink_, LineStyle(), v[0], v[1], v[2], v[3], true);
        break;
      case FigureSolidKind::kTriangle:
        AddSolidPolygon(sink_, LineStyle(), {v[0], v[1], v[2], v[3], v[4], v[5]});
        break;
      case FigureSolidKind::kQuad:
        AddSolidPolygon(sink_, LineStyle(), {v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]});
        break;
      case FigureSolidKind::kSc:
      case FigureSolidKind::kSe:
      case FigureSolidKind::kSo:
      case FigureSolidKind::kSg: {
        const EntityType type = solid.kind == FigureSolidKind::kSc   ? EntityType::kSolidSc
                                : solid.kind == FigureSolidKind::kSe ? EntityType::kSolidSe
                                : solid.kind == FigureSolidKind::kSo ? EntityType::kSolidSo
                                                                     : EntityType::kSolidSg;
        const bool arc = type == EntityType::kSolidSc || type == EntityType::kSolidSe;
        AddSolidCurve(sink_, LineStyle(), type, v[0], v[1], v[2], v[3], v[4], v[5], v[6],
                      arc ? solid.arcKind : 0, v[7]);
        break;
      }
    }
  }

  ShapeSink& sink_;
  int32_t layerGroup_ = 0, layer_ = 0, colour_ = 1, rgb_ = 0, lineType_ = 1, lineWidth_ = 0;
  int32_t pointColour_ = 1, textColour_ = 1;
  double textWidth_ = 2.0, textHeight_ = 2.0, textSpacing_ = 0.0;
  std::string font_;
  double measured_[4] = {};  // the dimension line whose value text comes next
};

}  // namespace

Point EllipseAt(const Ellipse& e, double rx, double ry, double t) {
  const SineCosine a = PortableSinCos(t);
  const SineCosine tilt = PortableSinCos(e.tilt);
  const double px = rx * a.cos;
  const double py = ry * a.sin;
  return {e.cx + px * tilt.cos - py * tilt.sin, e.cy + px * tilt.sin + py * tilt.cos};
}

uint32_t ColourOf(int32_t colour, int32_t rgb) {
  if (colour == 10) {
    const auto bgr = static_cast<uint32_t>(rgb) & 0xFFFFFF;
    return ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | (bgr >> 16);
  }
  if (colour >= 0 && colour <= 9) return kPalette[colour];
  return 0x000000;
}

void AddExchangeEntities(const DrawingState& state, Drawing& drawing) {
  // Mostly one shape an entity: reserved up front, the list never holds twice what it needs
  // while it grows.
  drawing.shapes.reserve(drawing.shapes.size() + state.entities.order.size());
  ShapeList shapes(drawing.shapes);
  AddEntityShapes(state.entities, state, shapes);
  AddDesignatedPoints(state, drawing.overlay);
}

void AddEntityShapes(const SelectedEntities& entities, const DrawingState& header,
                     ShapeSink& sink) {
  EntityShapes add(header, sink);
  for (const EntityRef& ref : entities.order) AddEntity(entities, ref, add);
}

void AddDesignatedPoints(const DrawingState& state, std::vector<Shape>& to) {
  const Style style{0, 0, kMarkColour, 1, 0};
  for (int n = 1; n < int(state.designatedPoints.size()); ++n) {
    const DesignatedPoint& p = state.designatedPoints[size_t(n)];
    if (!p.used || !Coordinates({p.x, p.y})) continue;
    // Points on one spot (the ends of a closed polyline) share one mark with all their numbers.
    bool joined = false;
    for (Shape& earlier : to) {
      const auto* mark = std::get_if<DesignatedPointShape>(&earlier.geometry);
      if (mark && NearlySamePoint(mark->at.x, mark->at.y, p.x, p.y)) {
        earlier.text += ',';
        earlier.text += std::to_string(n);
        joined = true;
        break;
      }
    }
    if (joined) continue;
    to.push_back({style, DesignatedPointShape{{p.x, p.y}, n}, std::to_string(n)});
  }
}

void AddFigure(std::string_view bytes, Drawing& drawing) {
  ShapeList shapes(drawing.shapes);
  AddFigure(bytes, shapes, drawing.overlay);
}

void AddFigure(std::string_view bytes, ShapeSink& shapes, std::vector<Shape>& overlay) {
  FigureShapes figure(shapes);
  const FigureHeader h = ReadFigure(bytes, figure);
  if (!h.hasExtents || !Coordinates({h.minX, h.minY, h.maxX, h.maxY})) return;
  const Style style{0, 0, kExtentsColour, 2, 0};
  overlay.push_back({style, ExtentsBox{std::fmin(h.minX, h.maxX), std::fmin(h.minY, h.maxY),
                                       std::fmax(h.minX, h.maxX), std::fmax(h.minY, h.maxY)}});
  overlay.push_back({style, Centre{{h.CentreX(), h.CentreY()}}});
}

bool IsFigureFile(std::string_view bytes) {
  LineReader lines(bytes);
  std::string_view line;
  if (!lines.Next(line) || line.find(',') == std::string_view::npos) return false;
  if (!lines.Next(line) || !lines.Next(line)) return false;
  std::vector<std::string> fields;
  SplitFields(line, fields, 2);
  return fields.size() == 2 && fields[0] == "N";
}

}  // namespace gara::scene
