#include "pattern/figure_model.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cmath>
#include <initializer_list>
#include <iterator>
#include <utility>

#include "figure/figure_format.h"
#include "figure/figure_reader.h"
#include "util/portable_math.h"
#include "util/text.h"

namespace gara {

namespace {

bool AllFinite(std::initializer_list<double> values) {
  for (double v : values) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

// Turns the records of a figure file into the emitter calls a copy makes under `run`'s
// switches. The attribute commands of a part are pushed field by field, each where the line has
// its field, so that a cut part (FigureHandler::Cut) leaves the calls a reader emitting as it
// goes would have made before the gap; a whole part always has them all.
class Compiler final : public FigureHandler {
 public:
  Compiler(const RunContext& run, LongFontTable& longFonts, FigureModel& model)
      : run_(run), longFonts_(longFonts), model_(model) {}

  void Run(std::string_view bytes) {
    // Under the writing colour a solid's own colour is never read.
    const FigureHeader header = ReadFigure(
        bytes, *this, run_.useWritingColour ? SolidColour::kReplaced : SolidColour::kOwn);
    if (!header.hasExtents) return;
    model_.centreX = header.CentreX();
    model_.centreY = header.CentreY();
  }

  void Head(const FigureLine& head) override { LayerAttributes(head); }

  void Line(const FigureLine& line) override {
    LineAttributes(line);
    PushMarks(FlagClass::kLine, line.Int(7));
    PushLine(line);
  }

  void Curve(const FigureLine& line, const FigureCurve& c) override {
    LineAttributes(line);
    PushMarks(FlagClass::kCurveOrPoint, line.Int(7));
    if (!c.arc) {
      PushShape(FigureOpCode::kCircle, {c.cx, c.cy, c.r});
    } else if (AllFinite({c.start, c.end, c.tilt})) {
      // An angle beyond the range of a double leaves nothing to draw.
      PushShape(FigureOpCode::kArc, {c.cx, c.cy, c.r, c.start, c.end, c.flatness, c.tilt});
    }
  }

  void Point(const FigureLine& line, int32_t flags) override {
    PointAttributes(line, flags);
    if (line.Int(5) != figure::kRotatedPointCode) {
      PushShape(FigureOpCode::kPoint, {line.Real(8), line.Real(9)});
      return;
    }
    const double angle = line.Real(12) * 180 / kPi;
    if (std::isfinite(angle)) {
      PushShape(FigureOpCode::kRotatedPoint, {line.Real(8), line.Real(9), line.Real(13), angle}).i =
          line.Int(11);
    }
  }

  void Text(const FigureLine& line, const FigureText& t) override {
    TextAttributes(line);
    FigureOp& op = PushShape(FigureOpCode::kText, {t.x, t.y, t.length, t.height, t.angle});
    op.i = t.type;
    op.i2 = TextAnchorOf(line);
    SetText(op, ShownText(line.text));
  }

  void Solid(const FigureLine& line, const FigureSolid& solid) override {
    SolidAttributes(line);
    PushSolid(solid);
  }

  void DimensionLine(const FigureLine& line) override {
    LineAttributes(line);
    for (size_t k = 0; k < 4; ++k) dimensionLine_[k] = line.Real(8 + k);
  }

  void DimensionText(const FigureLine& text) override {
    TextSize(text);
    Font(text);
    const double* d = dimensionLine_;
    FigureOp& op = PushShape(FigureOpCode::kDimension, {d[0], d[1], d[2], d[3], text.Real(8),
                                                        text.Real(9), DimensionTextAngle(text)});
    const std::string shown = ShownText(text.text);
    // A blank value text is replaced by the measured length, which must then be finite.
    op.i = IsBlankText(shown) ? 1 : 0;
    SetText(op, shown);
  }

  void ExtensionLine(const FigureLine& line) override {
    LineAttributes(line);
    PushLine(line);
  }

  void Cut(FigurePart part, const FigureLine* line, int32_t flags) override {
    if (line == nullptr) return;
    switch (part) {
      case FigurePart::kHead:
        LayerAttributes(*line);
        return;
      case FigurePart::kLine:
      case FigurePart::kCurve:
        // A cut record line has its head, so fields 4 ... 7 are there.
        LineAttributes(*line);
        PushMarks(part == FigurePart::kLine ? FlagClass::kLine : FlagClass::kCurveOrPoint, flags);
        return;
      case FigurePart::kDimensionLine:
      case FigurePart::kExtensionLine:
        LineAttributes(*line);
        return;
      case FigurePart::kPoint:
      case FigurePart::kEndPoint:
        PointAttributes(*line, flags);
        return;
      case FigurePart::kText:
        TextAttributes(*line);
        return;
      case FigurePart::kDimensionText:
        if (TextSize(*line)) Font(*line);
        return;
      case FigurePart::kSolid:
        SolidAttributes(*line);
        return;
    }
  }

 private:
  FigureOp& Push(FigureOpCode code) {
    FigureOp& op = model_.ops.emplace_back();
    op.code = code;
    return op;
  }
  void PushValue(FigureOpCode code, int32_t value) { Push(code).i = value; }
  FigureOp& PushShape(FigureOpCode code, std::initializer_list<double> values) {
    FigureOp& op = Push(code);
    assert(values.size() <= std::size(op.v));  // the replay reads v[0..7] by the op code
    size_t k = 0;
    for (double v : values) op.v[k++] = v;
    ++model_.entityCommands;
    return op;
  }
  FigureOp& PushShape(FigureOpCode code, const double (&values)[8]) {
    FigureOp& op = Push(code);
    for (size_t k = 0; k < 8; ++k) op.v[k] = values[k];
    ++model_.entityCommands;
    return op;
  }
  void SetText(FigureOp& op, std::string_view text) {
    op.textOffset = static_cast<uint32_t>(model_.texts.size());
    op.textSize = static_cast<uint32_t>(text.size());
    model_.texts.append(text);
  }
  void PushMarks(FlagClass cls, int32_t flags) {
    const int32_t marks = EntityMarksFromFlags(cls, flags);
    if (marks != 0) PushValue(FigureOpCode::kMarks, marks);  // no marks write nothing
  }
  void PushLine(const FigureLine& line) {
    PushShape(FigureOpCode::kLine, {line.Real(8), line.Real(9), line.Real(10), line.Real(11)});
  }

  // The attribute pushes of the parts: each stops (false) where the line lacks a field it uses.

  bool LayerAttributes(const FigureLine& line) {
    if (run_.useWritingLayerGroup || run_.useWritingLayer) {
      PushValue(FigureOpCode::kLayerGroup, run_.writing.layerGroup);
    } else {
      if (!line.Has(2)) return false;
      PushValue(FigureOpCode::kLayerGroup, line.Int(2));
    }
    if (run_.useWritingLayer) {
      PushValue(FigureOpCode::kLayer, run_.writing.layer);
    } else {
      if (!line.Has(3)) return false;
      PushValue(FigureOpCode::kLayer, line.Int(3));
    }
    return true;
  }

  bool LineAttributes(const FigureLine& line) {
    if (run_.useWritingColour) {
      PushValue(FigureOpCode::kLineColour, run_.writing.colour);
    } else {
      if (!line.Has(4)) return false;
      PushValue(FigureOpCode::kLineColour, line.Int(4));
    }
    if (run_.useWritingLineType) {
      PushValue(FigureOpCode::kLineType, run_.writing.lineType);
    } else {
      if (!line.Has(5)) return false;
      PushValue(FigureOpCode::kLineType, line.Int(5));
    }
    if (!line.Has(6)) return false;
    PushValue(FigureOpCode::kLineWidth, line.Int(6));
    return true;
  }

  // A point record, or an end point of an X record with the marks of its first line.
  bool PointAttributes(const FigureLine& line, int32_t flags) {
    if (run_.useWritingColour) {
      PushValue(FigureOpCode::kPointColour, run_.writing.colour);
    } else {
      if (!line.Has(4)) return false;
      PushValue(FigureOpCode::kPointColour, line.Int(4));
    }
    if (!line.Has(6)) return false;
    PushValue(FigureOpCode::kLineWidth, line.Int(6));
    PushMarks(FlagClass::kCurveOrPoint, flags);
    return true;
  }

  // Text size and font of a text line (a text record or the value text of a dimension).
  bool TextSize(const FigureLine& line) {
    if (!line.Has(15)) return false;
    FigureOp& op = Push(FigureOpCode::kTextSize);
    if (run_.useWritingColour) {
      op.i = 0;
      op.i2 = run_.writing.colour;
    } else {
      op.i = TextSizeKindOf(line.Int(12));
      op.i2 = line.Int(4);
    }
    op.v[0] = line.Real(13);
    op.v[1] = line.Real(14);
    op.v[2] = line.Real(15);
    return true;
  }
  bool Font(const FigureLine& line) {
    if (!line.Has(16)) return false;
    std::string font = FontOf(line);
    // Only the first bytes of a long font reach the output; the rest is replaced by its
    // number among the long fonts, which keeps equal fonts equal and different ones
    // different for the command cache. The number stands behind a line end, which never
    // occurs inside a field (so no real font looks alike) and never reaches the output.
    const size_t end = ShownFontLength(font);
    if (end < font.size()) {
      const size_t index = longFonts_.IndexOf(font);
      font.resize(end);
      font += '\n';
      font += std::to_string(index);
    }
    SetText(Push(FigureOpCode::kFont), font);
    return true;
  }

  bool TextAttributes(const FigureLine& line) {
    if (!TextSize(line)) return false;
    // Any anchor out of range acts as 0 in both uses.
    PushValue(FigureOpCode::kTextAnchor, TextAnchorOf(line));
    if (!Font(line)) return false;
    PushMarks(FlagClass::kText, line.Int(7));
    return true;
  }

  bool SolidAttributes(const FigureLine& line) {
    if (run_.useWritingColour) {
      PushValue(FigureOpCode::kLineColour, run_.writing.colour);
    } else {
      if (!line.Has(4)) return false;
      const int32_t colour = line.Int(4);
      if (colour == 10) {
        if (!line.Has(16)) return false;
        PushValue(FigureOpCode::kRgbColour, line.Int(16));
      } else {
        PushValue(FigureOpCode::kLineColour, colour);
      }
    }
    if (!line.Has(6)) return false;
    PushValue(FigureOpCode::kLineWidth, line.Int(6));
    PushMarks(FlagClass::kSolid, line.Int(7));
    return true;
  }

  void PushSolid(const FigureSolid& solid) {
    const double* v = solid.v;
    switch (solid.kind) {
      case FigureSolidKind::kLine:
        PushShape(FigureOpCode::kSolidLine, {v[0], v[1], v[2], v[3]});
        break;
      case FigureSolidKind::kTriangle:
        PushShape(FigureOpCode::kSolidTriangle, {v[0], v[1], v[2], v[3], v[4], v[5]});
        break;
      case FigureSolidKind::kQuad:
        PushShape(FigureOpCode::kSolidQuad, solid.v);
        break;
      case FigureSolidKind::kSc:
        PushShape(FigureOpCode::kSolidSc, solid.v).i = solid.arcKind;
        break;
      case FigureSolidKind::kSe:
        PushShape(FigureOpCode::kSolidSe, solid.v).i = solid.arcKind;
        break;
      case FigureSolidKind::kSo:
        PushShape(FigureOpCode::kSolidSo, solid.v);
        break;
      case FigureSolidKind::kSg:
        PushShape(FigureOpCode::kSolidSg, solid.v);
        break;
    }
  }

  const RunContext& run_;
  LongFontTable& longFonts_;
  FigureModel& model_;
  double dimensionLine_[4] = {};  // of the dimension whose value text comes next
};

// Within one copy, an attribute command that the command cache would never write, whatever
// came before the copy, is dropped once here instead of being checked for every copy. The
// cache's own rule decides, starting from nothing known; the values are as the writer receives
// them, and equal values stay equal under the writer's corrections.
void DropRepeatedAttributes(FigureModel& model) {
  AttributeCache cache = AttributeCache::Unknown();
  std::vector<FigureOp> kept;
  kept.reserve(model.ops.size());
  for (const FigureOp& op : model.ops) {
    bool writes = true;
    switch (op.code) {
      case FigureOpCode::kLayerGroup:
        writes = cache.TakeLayerGroup(op.i);
        break;
      case FigureOpCode::kLayer:
        writes = cache.TakeLayer(op.i);
        break;
      case FigureOpCode::kLineColour:
        writes = cache.TakeLineColour(op.i);
        break;
      case FigureOpCode::kRgbColour:
        writes = cache.TakeRgbColour(op.i);
        break;
      case FigureOpCode::kLineType:
        writes = cache.TakeLineType(op.i);
        break;
      case FigureOpCode::kLineWidth:
        writes = cache.TakeLineWidth(op.i);
        break;
      case FigureOpCode::kPointColour:
        writes = cache.TakePointColour(op.i);
        break;
      case FigureOpCode::kTextAnchor:
        writes = cache.TakeTextAnchor(op.i);
        break;
      case FigureOpCode::kTextSize:
        writes = cache.TakeTextSize(op.i, op.i2, op.v[0], op.v[1], op.v[2]);
        break;
      case FigureOpCode::kFont:
        writes = cache.TakeFont(model.Text(op));
        break;
      default:
        break;
    }
    if (writes) kept.push_back(op);
  }
  model.ops = std::move(kept);
}

}  // namespace

size_t LongFontTable::IndexOf(std::string_view font) {
  for (size_t k = 0; k < fonts_.size(); ++k) {
    if (fonts_[k] == font) return k;
  }
  fonts_.emplace_back(font);
  return fonts_.size() - 1;
}

FigureModel ParseFigure(std::string_view bytes, const RunContext& run, LongFontTable& longFonts) {
  FigureModel model;
  model.present = true;
  Compiler(run, longFonts, model).Run(bytes);
  DropRepeatedAttributes(model);
  return model;
}

const StretchedEllipse& StretchedEllipseMemo::Get(double r, double ratio, double rot,
                                                  double stretch) {
  uint64_t key[4];
  const double args[4] = {r, ratio, rot, stretch};
  uint64_t hash = 0;
  for (int i = 0; i < 4; ++i) {
    key[i] = std::bit_cast<uint64_t>(args[i]);
    hash = (hash ^ key[i]) * 0x9E3779B97F4A7C15u;
  }
  Entry& entry = entries_[hash >> (64 - kIndexBits)];
  if (!entry.used || !std::equal(key, key + 4, entry.key)) {
    std::copy(key, key + 4, entry.key);
    entry.used = true;
    entry.shape = StretchEllipse(r, ratio, rot, stretch);
  }
  return entry.shape;
}

Placement::Placement(double x_, double y_, double angle_, double centreX_, double centreY_,
                     double stretch_)
    : x(x_),
      y(y_),
      angle(angle_),
      centreX(centreX_),
      centreY(centreY_),
      stretch(stretch_),
      cosA(PortableCos(angle_)),
      sinA(PortableSin(angle_)),
      angleDeg(angle_ * 180 / kPi) {}

namespace {

// The attribute commands, whose values are final but for a text's character width and spacing,
// which stretch with the copy; false for an entity command.
bool ReplayAttribute(const FigureModel& model, const FigureOp& op, const Placement& p,
                     CommandWriter& out) {
  switch (op.code) {
    case FigureOpCode::kLayerGroup:
      out.EmitLayerGroup(op.i);
      return true;
    case FigureOpCode::kLayer:
      out.EmitLayer(op.i);
      return true;
    case FigureOpCode::kLineColour:
      out.EmitLineColour(op.i);
      return true;
    case FigureOpCode::kLineType:
      out.EmitLineType(op.i);
      return true;
    case FigureOpCode::kLineWidth:
      out.EmitLineWidth(op.i);
      return true;
    case FigureOpCode::kPointColour:
      out.EmitPointColour(op.i);
      return true;
    case FigureOpCode::kRgbColour:
      out.EmitRgbColour(op.i);
      return true;
    case FigureOpCode::kTextAnchor:
      out.EmitTextAnchor(op.i);
      return true;
    case FigureOpCode::kTextSize:
      out.EmitStretchedTextSize(op.i, op.i2, op.v[0], op.v[1], op.v[2], p.stretch);
      return true;
    case FigureOpCode::kFont:
      out.EmitFont(model.Text(op));
      return true;
    case FigureOpCode::kMarks:
      out.EmitEntityMarks(op.i);
      return true;
    default:
      return false;
  }
}

// The stretched ellipse (r, flatness, tilt in radians) in the copy: its tilt in degrees and the
// turn of its parameter.
struct CopiedEllipse {
  StretchedEllipse shape;
  double tiltDeg;
  double shiftDeg;
};
CopiedEllipse CopyEllipse(const FigureModel& model, const Placement& p, double r, double flatness,
                          double tilt) {
  const StretchedEllipse& e = model.stretched.Get(r, flatness, tilt, p.stretch);
  return {e, NormalizeDeg(p.angleDeg + e.rot * 180 / kPi), e.shift * 180 / kPi};
}

// A circle or an elliptic arc (parameters in degrees) of a stretched copy.
void ReplayStretchedCurve(const FigureModel& model, const FigureOp& op, const Placement& p,
                          CommandWriter& out) {
  const double* v = op.v;
  if (v[2] <= kEpsilon) return;  // as the writer leaves it out unstretched
  const Point c = p.Apply(v[0], v[1]);
  const bool circle = op.code == FigureOpCode::kCircle;
  const CopiedEllipse e =
      CopyEllipse(model, p, v[2], circle ? 1 : v[5], circle ? 0 : v[6] * kPi / 180);
  double start = circle ? 0 : v[3];
  double end = circle ? 360 : v[4];
  if (e.shape.reversed) {
    std::swap(start, end);
    start = -start;
    end = -end;
  }
  if (!circle) {
    start = NormalizeDeg(start + e.shiftDeg);
    end = NormalizeDeg(end + e.shiftDeg);
  }
  if (AllFinite({c.x, c.y, e.tiltDeg, start, end})) {
    out.EmitArc(c.x, c.y, e.shape.radius, start, end, e.shape.ratio, e.tiltDeg);
  }
}

// A rotated point's direction (degrees) in the copy.
double CopiedTurnDeg(const Placement& p, double deg) {
  if (p.stretch == 1) return NormalizeDeg(p.angleDeg + deg);
  const SineCosine d = PortableSinCos(deg * kPi / 180);
  return NormalizeDeg(p.angleDeg + PortableAtan2(d.sin, p.stretch * d.cos) * 180 / kPi);
}

// Lines, circles, arcs and points of one copy; false for another command.
bool ReplayLineOrPoint(const FigureModel& model, const FigureOp& op, const Placement& p,
                       CommandWriter& out) {
  const double* v = op.v;
  switch (op.code) {
    case FigureOpCode::kLine: {
      const Point a = p.Apply(v[0], v[1]);
      const Point b = p.Apply(v[2], v[3]);
      if (AllFinite({a.x, a.y, b.x, b.y})) out.EmitLine(a.x, a.y, b.x, b.y);
      return true;
    }
    case FigureOpCode::kCircle: {
      if (p.stretch != 1) {
        ReplayStretchedCurve(model, op, p, out);
        return true;
      }
      const Point c = p.Apply(v[0], v[1]);
      if (AllFinite({c.x, c.y})) out.EmitCircle(c.x, c.y, v[2]);
      return true;
    }
    case FigureOpCode::kArc: {
      if (p.stretch != 1) {
        ReplayStretchedCurve(model, op, p, out);
        return true;
      }
      const Point c = p.Apply(v[0], v[1]);
      const double tilt = NormalizeDeg(p.angleDeg + v[6]);
      if (AllFinite({c.x, c.y, tilt})) out.EmitArc(c.x, c.y, v[2], v[3], v[4], v[5], tilt);
      return true;
    }
    case FigureOpCode::kPoint: {
      const Point a = p.Apply(v[0], v[1]);
      if (AllFinite({a.x, a.y})) out.EmitPoint(a.x, a.y);
      return true;
    }
    case FigureOpCode::kRotatedPoint: {
      const Point a = p.Apply(v[0], v[1]);
      const double turn = CopiedTurnDeg(p, v[3]);
      if (AllFinite({a.x, a.y, turn})) out.EmitRotatedPoint(op.i, a.x, a.y, v[2], turn);
      return true;
    }
    default:
      return false;
  }
}

// Texts and dimensions of one copy; false for another command.
bool ReplayText(const FigureModel& model, const FigureOp& op, const Placement& p,
                CommandWriter& out) {
  const double* v = op.v;
  if (op.code == FigureOpCode::kText) {
    const double phi = p.angle + v[4];
    const Point a = p.Apply(v[0], v[1]);
    const Point at = ConvertTextAnchor(0, op.i2, a.x, a.y, v[2] * p.stretch, v[3], phi * 180 / kPi);
    if (AllFinite({at.x, at.y})) {
      const SineCosine turn = PortableSinCos(phi);
      out.EmitText(op.i, model.Text(op), at.x, at.y, 10 * turn.cos, 10 * turn.sin);
    }
    return true;
  }
  if (op.code != FigureOpCode::kDimension) return false;
  const Point a = p.Apply(v[0], v[1]);
  const Point b = p.Apply(v[2], v[3]);
  const Point t = p.Apply(v[4], v[5]);
  const double phi = p.angle + v[6];
  const bool measured = op.i != 0;
  if (AllFinite({a.x, a.y, b.x, b.y, t.x, t.y}) &&
      (!measured || std::isfinite(Distance(a.x, a.y, b.x, b.y)))) {
    const SineCosine turn = PortableSinCos(phi);
    out.EmitDimension(model.Text(op), a.x, a.y, b.x, b.y, t.x, t.y, 10 * turn.cos, 10 * turn.sin);
  }
  return true;
}

// The solids of one copy.
void ReplaySolid(const FigureModel& model, const FigureOp& op, const Placement& p,
                 CommandWriter& out) {
  const double* v = op.v;
  switch (op.code) {
    case FigureOpCode::kSolidLine: {
      const Point a = p.Apply(v[0], v[1]);
      const Point b = p.Apply(v[2], v[3]);
      if (AllFinite({a.x, a.y, b.x, b.y})) out.EmitSolidLine(a.x, a.y, b.x, b.y);
      return;
    }
    case FigureOpCode::kSolidTriangle: {
      const Point a = p.Apply(v[0], v[1]);
      const Point b = p.Apply(v[2], v[3]);
      const Point c = p.Apply(v[4], v[5]);
      if (AllFinite({a.x, a.y, b.x, b.y, c.x, c.y})) {
        out.EmitSolidTriangle(a.x, a.y, b.x, b.y, c.x, c.y);
      }
      return;
    }
    case FigureOpCode::kSolidQuad: {
      const Point a = p.Apply(v[0], v[1]);
      const Point b = p.Apply(v[2], v[3]);
      const Point c = p.Apply(v[4], v[5]);
      const Point d = p.Apply(v[6], v[7]);
      if (AllFinite({a.x, a.y, b.x, b.y, c.x, c.y, d.x, d.y})) {
        out.EmitSolidQuad(a.x, a.y, b.x, b.y, c.x, c.y, d.x, d.y);
      }
      return;
    }
    case FigureOpCode::kSolidSc:
    case FigureOpCode::kSolidSe:
    case FigureOpCode::kSolidSo:
    case FigureOpCode::kSolidSg:
      break;
    default:
      return;
  }
  // v = cx, cy, r, flatness, tilt, start, sweep, kind or r2 (as stored)
  const Point c = p.Apply(v[0], v[1]);
  double r = v[2], flatness = v[3], start = v[5], sweep = v[6], r2 = v[7];
  double tilt = NormalizeDeg((p.angle + v[4]) * 180 / kPi) * kPi / 180;
  if (p.stretch != 1) {
    const CopiedEllipse e = CopyEllipse(model, p, r, flatness, v[4]);
    // A reversed parameter runs the same span the other way: from its far end.
    start = e.shape.reversed ? e.shape.shift - (start + sweep) : e.shape.shift + start;
    // The inner ellipse of a ring keeps its share of the outer one.
    if (r != 0) r2 *= e.shape.radius / r;
    r = e.shape.radius;
    flatness = e.shape.ratio;
    tilt = e.tiltDeg * kPi / 180;
  }
  if (!AllFinite({c.x, c.y, tilt})) return;
  if (op.code == FigureOpCode::kSolidSc) {
    out.EmitSolidSc(op.i, c.x, c.y, r, flatness, tilt, start, sweep);
  } else if (op.code == FigureOpCode::kSolidSe) {
    out.EmitSolidSe(op.i, c.x, c.y, r, flatness, tilt, start, sweep);
  } else if (op.code == FigureOpCode::kSolidSo) {
    out.EmitSolidSo(c.x, c.y, r, flatness, tilt, start, sweep, r2);
  } else {
    out.EmitSolidSg(c.x, c.y, r, flatness, tilt, start, sweep, r2);
  }
}

}  // namespace

void ReplayOp(const FigureModel& model, const FigureOp& op, const Placement& p,
              CommandWriter& out) {
  if (!ReplayAttribute(model, op, p, out) && !ReplayLineOrPoint(model, op, p, out) &&
      !ReplayText(model, op, p, out)) {
    ReplaySolid(model, op, p, out);
  }
}

void ReplayFigure(const FigureModel& model, double x, double y, double angle, CommandWriter& out,
                  double stretch) {
  const Placement p(x, y, angle, model.centreX, model.centreY, stretch);
  for (const FigureOp& op : model.ops) ReplayOp(model, op, p, out);
}

}  // namespace gara
