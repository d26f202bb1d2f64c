#include "pattern/figure_model.h"

#include <cassert>
#include <cmath>
#include <initializer_list>
#include <iterator>

#include "figure/figure_format.h"
#include "util/lines.h"
#include "util/portable_math.h"
#include "util/text.h"

namespace gara {

namespace {

// No record reads beyond field 17 (the text of a text line).
constexpr size_t kFieldsUsed = 18;

// An output record shows at most this many bytes of a text or of a font command.
constexpr size_t kRecordBytes = OutputBuffer::kMaxRecord;
constexpr size_t kFontCommandPrefix = 4;  // the command letters before the font text

bool AllFinite(std::initializer_list<double> values) {
  for (double v : values) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

size_t CharLength(std::string_view text, size_t i) {
  return IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

// The end of the shortest whole-character prefix of `text` that puts more than `shown` bytes
// into an output record, which drops CR and LF and keeps at most 255 bytes; the text's size
// when it is shorter. Also tells whether that prefix is blank.
size_t ShownPrefix(std::string_view text, size_t shown, bool& blank) {
  size_t i = 0;
  size_t kept = 0;
  blank = true;
  while (i < text.size() && kept <= shown) {
    const size_t len = CharLength(text, i);
    for (size_t k = i; k < i + len; ++k) kept += text[k] != '\r' && text[k] != '\n';
    blank = blank && IsBlankText(text.substr(i, len));
    i += len;
  }
  return i;
}

// The part of a text that can make a difference in the output: the writer shows its first
// 255 bytes and otherwise only asks whether anything but blanks is left. A text of megabytes
// is kept as the prefix that fills a record, plus, when that prefix is blank, the first
// character that is not.
std::string OutputText(std::string_view text) {
  bool blank = true;
  const size_t end = ShownPrefix(text, kRecordBytes, blank);
  std::string kept(text.substr(0, end));
  for (size_t i = end; blank && i < text.size();) {
    const size_t len = CharLength(text, i);
    if (!IsBlankText(text.substr(i, len))) {
      kept.append(text.substr(i, len));
      break;
    }
    i += len;
  }
  return kept;
}

class Parser {
 public:
  Parser(std::string_view bytes, const RunContext& run, LongFontTable& longFonts,
         FigureModel& model)
      : lines_(bytes), run_(run), longFonts_(longFonts), model_(model) {}

  void Run() {
    if (!NextLine() || !Has(3)) return;
    // Halves first: the same centre as (f0 + f2) / 2, without overflowing near the limits.
    model_.centreX = Real(0) * 0.5 + Real(2) * 0.5;
    model_.centreY = Real(1) * 0.5 + Real(3) * 0.5;
    if (!NextLine()) return;  // the layer-group scales: not used
    if (!NextLine() || !Has(1)) return;
    const int32_t count = Int(1);
    // Each record takes at least one line, so a count beyond the lines present just ends
    // with the file.
    for (int32_t k = 0; k < count; ++k) {
      if (!Entity()) return;
    }
  }

 private:
  bool NextLine() {
    std::string_view line;
    if (!lines_.Next(line)) return false;
    SplitFields(line, fields_, kFieldsUsed);
    return true;
  }
  bool Has(size_t i) const { return i < fields_.size(); }
  double Real(size_t i) const { return TextToReal(fields_[i]); }
  int32_t Int(size_t i) const { return TextToInt(fields_[i]); }

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
  bool Entity() {
    if (!NextLine()) return false;
    if (run_.useWritingLayerGroup || run_.useWritingLayer) {
      PushValue(FigureOpCode::kLayerGroup, run_.writingLayerGroup);
    } else {
      if (!Has(2)) return false;
      PushValue(FigureOpCode::kLayerGroup, Int(2));
    }
    if (run_.useWritingLayer) {
      PushValue(FigureOpCode::kLayer, run_.writingLayer);
    } else {
      if (!Has(3)) return false;
      PushValue(FigureOpCode::kLayer, Int(3));
    }
    if (!Has(7)) return false;
    const int32_t flags = Int(7);
    switch (RecordKindOf(fields_[0])) {
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
      PushValue(FigureOpCode::kLineColour, run_.writingColour);
    } else {
      if (!Has(4)) return false;
      PushValue(FigureOpCode::kLineColour, Int(4));
    }
    if (run_.useWritingLineType) {
      PushValue(FigureOpCode::kLineType, run_.writingLineType);
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
    const double r = Real(10);
    const double flatness = Real(11);
    const double start = Real(12) * 180 / kPi;
    const double sweep = Real(13) * 180 / kPi;
    const double tilt = Real(14) * 180 / kPi;
    const int32_t closed = Int(15);
    const double turn = std::fabs(sweep);
    const bool arc = !NearlyEqual(flatness, 1) ||
                     (closed < 1 && !NearlyEqual(turn, 0) && !NearlyEqual(turn, 360));
    if (!arc) {
      PushShape(FigureOpCode::kCircle, {Real(8), Real(9), r});
      return true;
    }
    double a = NormalizeDeg(start);
    double b = NormalizeDeg(start + sweep);
    if (sweep < 0) SwapValues(a, b);
    // An angle beyond the range of a double leaves nothing to draw.
    if (AllFinite({a, b, tilt})) {
      PushShape(FigureOpCode::kArc, {Real(8), Real(9), r, a, b, flatness, tilt});
    }
    return true;
  }

  // A point record, or an end point of an X record with the marks of its first line.
  bool PointPart(int32_t flags) {
    if (run_.useWritingColour) {
      PushValue(FigureOpCode::kPointColour, run_.writingColour);
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
      op.i2 = run_.writingColour;
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
    std::string font = "<" + fields_[16] + ">";
    font.append(FontStyleSuffix(Int(12)));
    // Only the first bytes of a long font reach the output; the rest is replaced by its
    // number among the long fonts, which keeps equal fonts equal and different ones
    // different for the command cache. The number stands behind a line end, which never
    // occurs inside a field (so no real font looks alike) and never reaches the output.
    bool blank = true;
    const size_t end = ShownPrefix(font, kRecordBytes - kFontCommandPrefix, blank);
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
    // Anchor kinds 0..8 are stored plus one; any other value acts as 0 in both uses below.
    const int32_t stored = Int(5);
    const int32_t anchor = stored >= 1 && stored <= 9 ? stored - 1 : -1;
    PushValue(FigureOpCode::kTextAnchor, anchor);
    if (!Font()) return false;
    const int32_t type = TextTypeFromFlags(flags);
    PushMarks(FlagClass::kText, flags);
    if (!Has(17)) return false;
    const double x1 = Real(8), y1 = Real(9), x2 = Real(10), y2 = Real(11);
    // A vertical text ("cv") is as high as its characters are wide.
    const double height = type == 1 ? Real(13) : Real(14);
    const double length = Distance(x1, y1, x2, y2);
    FigureOp& op =
        PushShape(FigureOpCode::kText, {x1, y1, length, height, LineAngle(x2 - x1, y2 - y1)});
    op.i = type;
    op.i2 = anchor;
    SetText(op, OutputText(fields_[17]));
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
    const double tx = Real(8), ty = Real(9);
    const double angle = LineAngle(Real(10) - tx, Real(11) - ty);
    FigureOp& op = PushShape(FigureOpCode::kDimension, {x1, y1, x2, y2, tx, ty, angle});
    const std::string text = OutputText(fields_[17]);
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
      PushValue(FigureOpCode::kLineColour, run_.writingColour);
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
    const int32_t code = Int(5);
    PushValue(FigureOpCode::kLineWidth, Int(6));
    PushMarks(FlagClass::kSolid, flags);
    if (!Has(15)) return false;
    const SolidShape shape = SolidShapeOf(code);
    if (shape != SolidShape::kPolygon) {
      const std::initializer_list<double> values = {Real(8),  Real(9),  Real(10), Real(11),
                                                    Real(12), Real(13), Real(14), Real(15)};
      switch (shape) {
        case SolidShape::kSc:
          PushShape(FigureOpCode::kSolidSc, values).i = Int(15);
          break;
        case SolidShape::kSe:
          PushShape(FigureOpCode::kSolidSe, values).i = Int(15);
          break;
        case SolidShape::kSo:
          PushShape(FigureOpCode::kSolidSo, values);
          break;
        default:
          PushShape(FigureOpCode::kSolidSg, values);
          break;
      }
      return true;
    }
    const double ax = Real(8), ay = Real(9), bx = Real(10), by = Real(11);
    const double cx = Real(12), cy = Real(13), dx = Real(14), dy = Real(15);
    // Two- and three-corner solids repeat their last corner; they are told apart before the
    // placement moves them.
    if (NearlySamePoint(bx, by, cx, cy) && NearlySamePoint(bx, by, dx, dy)) {
      PushShape(FigureOpCode::kSolidLine, {ax, ay, bx, by});
    } else if (NearlySamePoint(cx, cy, dx, dy)) {
      PushShape(FigureOpCode::kSolidTriangle, {ax, ay, bx, by, cx, cy});
    } else {
      PushShape(FigureOpCode::kSolidQuad, {ax, ay, bx, by, cx, cy, dx, dy});
    }
    return true;
  }

  LineReader lines_;
  const RunContext& run_;
  LongFontTable& longFonts_;
  FigureModel& model_;
  std::vector<std::string> fields_;
};

// Within one copy, an attribute command that repeats the value of the same command before it
// writes nothing: the command cache already holds that value. Such commands are dropped once
// here instead of being checked for every copy. A command stays whenever another one may have
// disturbed its cache in between: a written layer group forces the layer, a line colour and
// an RGB colour share the colour cache.
void DropRepeatedAttributes(FigureModel& model) {
  struct Last {
    bool known = false;
    const FigureOp* op = nullptr;
  };
  Last lg, ly, lc, lt, lw, pn, rgb, cc, cn, font;
  auto sameValue = [](const FigureOp& a, const FigureOp& b) { return a.i == b.i; };
  auto sameSize = [](const FigureOp& a, const FigureOp& b) {
    return a.i == b.i && a.i2 == b.i2 && a.v[0] == b.v[0] && a.v[1] == b.v[1] && a.v[2] == b.v[2];
  };
  auto sameFont = [&model](const FigureOp& a, const FigureOp& b) {
    return model.Text(a) == model.Text(b);
  };
  std::vector<FigureOp> kept;
  kept.reserve(model.ops.size());
  for (const FigureOp& op : model.ops) {
    auto repeats = [&](Last& last, auto same) {
      if (last.known && same(*last.op, op)) return true;
      last = {true, &op};
      return false;
    };
    bool drop = false;
    switch (op.code) {
      case FigureOpCode::kLayerGroup:
        drop = repeats(lg, sameValue);
        if (!drop) ly.known = false;
        break;
      case FigureOpCode::kLayer:
        drop = repeats(ly, sameValue);
        break;
      case FigureOpCode::kLineColour:
        drop = repeats(lc, sameValue);
        if (!drop) rgb.known = false;
        break;
      case FigureOpCode::kRgbColour:
        drop = repeats(rgb, sameValue);
        if (!drop) lc.known = false;
        break;
      case FigureOpCode::kLineType:
        drop = repeats(lt, sameValue);
        break;
      case FigureOpCode::kLineWidth:
        drop = repeats(lw, sameValue);
        break;
      case FigureOpCode::kPointColour:
        drop = repeats(pn, sameValue);
        break;
      case FigureOpCode::kTextAnchor:
        drop = repeats(cc, sameValue);
        break;
      case FigureOpCode::kTextSize:
        drop = repeats(cn, sameSize);
        break;
      case FigureOpCode::kFont:
        drop = repeats(font, sameFont);
        break;
      default:
        break;
    }
    if (!drop) kept.push_back(op);
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
  Parser(bytes, run, longFonts, model).Run();
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
