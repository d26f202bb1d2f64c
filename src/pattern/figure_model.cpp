#include "pattern/figure_model.h"

#include <cassert>
#include <cmath>
#include <initializer_list>
#include <iterator>

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
// switches. A record stops where a line lacks a field that is used, after the calls made so far.
class Compiler {
 public:
  Compiler(const RunContext& run, LongFontTable& longFonts, FigureModel& model)
      : run_(run), longFonts_(longFonts), model_(model) {}

  void Run(std::string_view bytes) {
    FigureReader reader(bytes);
    const FigureHeader& header = reader.header();
    if (!header.hasExtents) return;
    model_.centreX = header.CentreX();
    model_.centreY = header.CentreY();
    FigureRecord record;
    while (reader.Next(record)) {
      if (!Entity(record)) return;
    }
  }

 private:
  // The next line of the record; false where the file ended inside it.
  bool NextLine() {
    if (lineIndex_ + 1 >= record_->lineCount) return false;
    line_ = &record_->lines[++lineIndex_];
    return true;
  }
  bool Has(size_t i) const { return line_->Has(i); }
  double Real(size_t i) const { return line_->Real(i); }
  int32_t Int(size_t i) const { return line_->Int(i); }

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

  // One record; false when reading stops.
  bool Entity(const FigureRecord& record) {
    record_ = &record;
    lineIndex_ = 0;
    line_ = &record.lines[0];
    if (run_.useWritingLayerGroup || run_.useWritingLayer) {
      PushValue(FigureOpCode::kLayerGroup, run_.writing.layerGroup);
    } else {
      if (!Has(2)) return false;
      PushValue(FigureOpCode::kLayerGroup, Int(2));
    }
    if (run_.useWritingLayer) {
      PushValue(FigureOpCode::kLayer, run_.writing.layer);
    } else {
      if (!Has(3)) return false;
      PushValue(FigureOpCode::kLayer, Int(3));
    }
    if (!Has(7)) return false;
    const int32_t flags = Int(7);
    switch (record.kind) {
      case RecordKind::kLine:
        if (!LineAttributes()) return false;
        PushMarks(FlagClass::kLine, flags);
        return LinePart();
      case RecordKind::kCurve:
        return Curve(flags);
      case RecordKind::kPoint:
        return PointPart(flags);
      case RecordKind::kText:
        return Text(flags);
      case RecordKind::kDimension:
        return Dimension();
      case RecordKind::kDimensionX:
        return DimensionX(flags);
      case RecordKind::kSolid:
        return Solid(flags);
      case RecordKind::kUnknown:
        return true;
    }
    return true;
  }

  bool LineAttributes() {
    if (run_.useWritingColour) {
      PushValue(FigureOpCode::kLineColour, run_.writing.colour);
    } else {
      if (!Has(4)) return false;
      PushValue(FigureOpCode::kLineColour, Int(4));
    }
    if (run_.useWritingLineType) {
      PushValue(FigureOpCode::kLineType, run_.writing.lineType);
    } else {
      if (!Has(5)) return false;
      PushValue(FigureOpCode::kLineType, Int(5));
    }
    if (!Has(6)) return false;
    PushValue(FigureOpCode::kLineWidth, Int(6));
    return true;
  }

  // The line command of a line record or an extension line.
  bool LinePart() {
    if (!Has(11)) return false;
    PushShape(FigureOpCode::kLine, {Real(8), Real(9), Real(10), Real(11)});
    return true;
  }

  bool Curve(int32_t flags) {
    if (!LineAttributes()) return false;
    PushMarks(FlagClass::kCurveOrPoint, flags);
    if (!Has(15)) return false;
    const FigureCurve c = CurveOf(*line_);
    if (!c.arc) {
      PushShape(FigureOpCode::kCircle, {c.cx, c.cy, c.r});
    } else if (AllFinite({c.start, c.end, c.tilt})) {
      // An angle beyond the range of a double leaves nothing to draw.
      PushShape(FigureOpCode::kArc, {c.cx, c.cy, c.r, c.start, c.end, c.flatness, c.tilt});
    }
    return true;
  }

  // A point record, or an end point of an X record with the marks of its first line.
  bool PointPart(int32_t flags) {
    if (run_.useWritingColour) {
      PushValue(FigureOpCode::kPointColour, run_.writing.colour);
    } else {
      if (!Has(4)) return false;
      PushValue(FigureOpCode::kPointColour, Int(4));
    }
    if (!Has(6)) return false;
    const int32_t code = Int(5);
    PushValue(FigureOpCode::kLineWidth, Int(6));
    PushMarks(FlagClass::kCurveOrPoint, flags);
    if (!Has(9)) return false;
    if (code != figure::kRotatedPointCode) {
      PushShape(FigureOpCode::kPoint, {Real(8), Real(9)});
      return true;
    }
    if (!Has(13)) return false;
    const double angle = Real(12) * 180 / kPi;
    if (std::isfinite(angle)) {
      PushShape(FigureOpCode::kRotatedPoint, {Real(8), Real(9), Real(13), angle}).i = Int(11);
    }
    return true;
  }

  // Text size and font of a text line (a text record or the value text of a dimension).
  bool TextSize() {
    if (!Has(15)) return false;
    FigureOp& op = Push(FigureOpCode::kTextSize);
    if (run_.useWritingColour) {
      op.i = 0;
      op.i2 = run_.writing.colour;
    } else {
      op.i = TextSizeKindOf(Int(12));
      op.i2 = Int(4);
    }
    op.v[0] = Real(13);
    op.v[1] = Real(14);
    op.v[2] = Real(15);
    return true;
  }
  bool Font() {
    if (!Has(16)) return false;
    std::string font = FontOf(*line_);
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

  bool Text(int32_t flags) {
    if (!TextSize()) return false;
    // Any anchor out of range acts as 0 in both uses below.
    const int32_t anchor = TextAnchorOf(*line_);
    PushValue(FigureOpCode::kTextAnchor, anchor);
    if (!Font()) return false;
    const int32_t type = TextTypeFromFlags(flags);
    PushMarks(FlagClass::kText, flags);
    if (!Has(17)) return false;
    const FigureText t = TextOf(*line_, type);
    FigureOp& op = PushShape(FigureOpCode::kText, {t.x, t.y, t.length, t.height, t.angle});
    op.i = type;
    op.i2 = anchor;
    SetText(op, ShownText(line_->text));
    return true;
  }

  // The dimension line and the value text shared by D and X records.
  bool DimensionParts() {
    if (!NextLine()) return false;
    if (!LineAttributes()) return false;
    if (!Has(11)) return false;
    const double x1 = Real(8), y1 = Real(9), x2 = Real(10), y2 = Real(11);
    if (!NextLine()) return false;
    if (!TextSize() || !Font()) return false;
    if (!Has(17)) return false;
    FigureOp& op = PushShape(FigureOpCode::kDimension,
                             {x1, y1, x2, y2, Real(8), Real(9), DimensionTextAngle(*line_)});
    const std::string text = ShownText(line_->text);
    // A blank value text is replaced by the measured length, which must then be finite.
    op.i = IsBlankText(text) ? 1 : 0;
    SetText(op, text);
    return true;
  }

  bool Dimension() { return DimensionParts(); }

  bool DimensionX(int32_t flags) {
    if (!DimensionParts()) return false;
    for (int k = 0; k < 2; ++k) {
      if (!NextLine() || !LineAttributes() || !LinePart()) return false;
    }
    for (int k = 0; k < 2; ++k) {
      if (!NextLine() || !PointPart(flags)) return false;
    }
    return true;
  }

  bool Solid(int32_t flags) {
    if (run_.useWritingColour) {
      PushValue(FigureOpCode::kLineColour, run_.writing.colour);
    } else {
      if (!Has(4)) return false;
      const int32_t colour = Int(4);
      if (colour == 10) {
        if (!Has(16)) return false;
        PushValue(FigureOpCode::kRgbColour, Int(16));
      } else {
        PushValue(FigureOpCode::kLineColour, colour);
      }
    }
    if (!Has(6)) return false;
    PushValue(FigureOpCode::kLineWidth, Int(6));
    PushMarks(FlagClass::kSolid, flags);
    if (!Has(15)) return false;
    const FigureSolid solid = SolidOf(*line_);
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
    return true;
  }

  const RunContext& run_;
  LongFontTable& longFonts_;
  FigureModel& model_;
  const FigureRecord* record_ = nullptr;
  size_t lineIndex_ = 0;
  const FigureLine* line_ = nullptr;
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

Placement::Placement(double x_, double y_, double angle_, double centreX_, double centreY_)
    : x(x_),
      y(y_),
      angle(angle_),
      centreX(centreX_),
      centreY(centreY_),
      cosA(PortableCos(angle_)),
      sinA(PortableSin(angle_)),
      angleDeg(angle_ * 180 / kPi) {}

void ReplayFigure(const FigureModel& model, double x, double y, double angle, CommandWriter& out) {
  const Placement p(x, y, angle, model.centreX, model.centreY);
  for (const FigureOp& op : model.ops) {
    const double* v = op.v;
    switch (op.code) {
      case FigureOpCode::kLayerGroup:
        out.EmitLayerGroup(op.i);
        break;
      case FigureOpCode::kLayer:
        out.EmitLayer(op.i);
        break;
      case FigureOpCode::kLineColour:
        out.EmitLineColour(op.i);
        break;
      case FigureOpCode::kLineType:
        out.EmitLineType(op.i);
        break;
      case FigureOpCode::kLineWidth:
        out.EmitLineWidth(op.i);
        break;
      case FigureOpCode::kPointColour:
        out.EmitPointColour(op.i);
        break;
      case FigureOpCode::kRgbColour:
        out.EmitRgbColour(op.i);
        break;
      case FigureOpCode::kTextAnchor:
        out.EmitTextAnchor(op.i);
        break;
      case FigureOpCode::kTextSize:
        out.EmitTextSize(op.i, op.i2, v[0], v[1], v[2]);
        break;
      case FigureOpCode::kFont:
        out.EmitFont(model.Text(op));
        break;
      case FigureOpCode::kMarks:
        out.EmitEntityMarks(op.i);
        break;
      case FigureOpCode::kLine: {
        const Point a = p.Apply(v[0], v[1]);
        const Point b = p.Apply(v[2], v[3]);
        if (AllFinite({a.x, a.y, b.x, b.y})) out.EmitLine(a.x, a.y, b.x, b.y);
        break;
      }
      case FigureOpCode::kCircle: {
        const Point c = p.Apply(v[0], v[1]);
        if (AllFinite({c.x, c.y})) out.EmitCircle(c.x, c.y, v[2]);
        break;
      }
      case FigureOpCode::kArc: {
        const Point c = p.Apply(v[0], v[1]);
        const double tilt = NormalizeDeg(p.angleDeg + v[6]);
        if (AllFinite({c.x, c.y, tilt})) out.EmitArc(c.x, c.y, v[2], v[3], v[4], v[5], tilt);
        break;
      }
      case FigureOpCode::kPoint: {
        const Point a = p.Apply(v[0], v[1]);
        if (AllFinite({a.x, a.y})) out.EmitPoint(a.x, a.y);
        break;
      }
      case FigureOpCode::kRotatedPoint: {
        const Point a = p.Apply(v[0], v[1]);
        const double turn = NormalizeDeg(p.angleDeg + v[3]);
        if (AllFinite({a.x, a.y, turn})) out.EmitRotatedPoint(op.i, a.x, a.y, v[2], turn);
        break;
      }
      case FigureOpCode::kText: {
        const double phi = angle + v[4];
        const Point a = p.Apply(v[0], v[1]);
        const Point at = ConvertTextAnchor(0, op.i2, a.x, a.y, v[2], v[3], phi * 180 / kPi);
        if (AllFinite({at.x, at.y})) {
          out.EmitText(op.i, model.Text(op), at.x, at.y, 10 * PortableCos(phi),
                       10 * PortableSin(phi));
        }
        break;
      }
      case FigureOpCode::kDimension: {
        const Point a = p.Apply(v[0], v[1]);
        const Point b = p.Apply(v[2], v[3]);
        const Point t = p.Apply(v[4], v[5]);
        const double phi = angle + v[6];
        const bool measured = op.i != 0;
        if (AllFinite({a.x, a.y, b.x, b.y, t.x, t.y}) &&
            (!measured || std::isfinite(Distance(a.x, a.y, b.x, b.y)))) {
          out.EmitDimension(model.Text(op), a.x, a.y, b.x, b.y, t.x, t.y, 10 * PortableCos(phi),
                            10 * PortableSin(phi));
        }
        break;
      }
      case FigureOpCode::kSolidLine: {
        const Point a = p.Apply(v[0], v[1]);
        const Point b = p.Apply(v[2], v[3]);
        if (AllFinite({a.x, a.y, b.x, b.y})) out.EmitSolidLine(a.x, a.y, b.x, b.y);
        break;
      }
      case FigureOpCode::kSolidTriangle: {
        const Point a = p.Apply(v[0], v[1]);
        const Point b = p.Apply(v[2], v[3]);
        const Point c = p.Apply(v[4], v[5]);
        if (AllFinite({a.x, a.y, b.x, b.y, c.x, c.y})) {
          out.EmitSolidTriangle(a.x, a.y, b.x, b.y, c.x, c.y);
        }
        break;
      }
      case FigureOpCode::kSolidQuad: {
        const Point a = p.Apply(v[0], v[1]);
        const Point b = p.Apply(v[2], v[3]);
        const Point c = p.Apply(v[4], v[5]);
        const Point d = p.Apply(v[6], v[7]);
        if (AllFinite({a.x, a.y, b.x, b.y, c.x, c.y, d.x, d.y})) {
          out.EmitSolidQuad(a.x, a.y, b.x, b.y, c.x, c.y, d.x, d.y);
        }
        break;
      }
      case FigureOpCode::kSolidSc:
      case FigureOpCode::kSolidSe:
      case FigureOpCode::kSolidSo:
      case FigureOpCode::kSolidSg: {
        // v = cx, cy, r, flatness, tilt, start, sweep, kind or r2 (as stored)
        const Point c = p.Apply(v[0], v[1]);
        const double tilt = NormalizeDeg((angle + v[4]) * 180 / kPi) * kPi / 180;
        if (!AllFinite({c.x, c.y, tilt})) break;
        if (op.code == FigureOpCode::kSolidSc) {
          out.EmitSolidSc(op.i, c.x, c.y, v[2], v[3], tilt, v[5], v[6]);
        } else if (op.code == FigureOpCode::kSolidSe) {
          out.EmitSolidSe(op.i, c.x, c.y, v[2], v[3], tilt, v[5], v[6]);
        } else if (op.code == FigureOpCode::kSolidSo) {
          out.EmitSolidSo(c.x, c.y, v[2], v[3], tilt, v[5], v[6], v[7]);
        } else {
          out.EmitSolidSg(c.x, c.y, v[2], v[3], tilt, v[5], v[6], v[7]);
        }
        break;
      }
    }
  }
}

}  // namespace gara
