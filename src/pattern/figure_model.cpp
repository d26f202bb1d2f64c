#include "pattern/figure_model.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <cmath>
#include <cstring>
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

  // Under the writing colour a solid's own colour is never read.
  SolidColour solidColour() const {
    return run_.useWritingColour ? SolidColour::kReplaced : SolidColour::kOwn;
  }

  void Centre(const FigureHeader& header) {
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
      PushShape(Shape(FigureOpCode::kCircle, {c.cx, c.cy, c.r}));
    } else if (AllFinite({c.start, c.end, c.tilt})) {
      // An angle beyond the range of a double leaves nothing to draw.
      PushShape(Shape(FigureOpCode::kArc, {c.cx, c.cy, c.r, c.start, c.end, c.flatness, c.tilt}));
    }
  }

  void Point(const FigureLine& line, int32_t flags) override {
    PointAttributes(line, flags);
    if (line.Int(5) != figure::kRotatedPointCode) {
      PushShape(Shape(FigureOpCode::kPoint, {line.Real(8), line.Real(9)}));
      return;
    }
    const double angle = line.Real(12) * 180 / kPi;
    if (std::isfinite(angle)) {
      FigureOp op =
          Shape(FigureOpCode::kRotatedPoint, {line.Real(8), line.Real(9), line.Real(13), angle});
      op.i = line.Int(11);
      PushShape(op);
    }
  }

  void Text(const FigureLine& line, const FigureText& t) override {
    TextAttributes(line);
    FigureOp op = Shape(FigureOpCode::kText, {t.x, t.y, t.length, t.height, t.angle});
    op.i = t.type;
    op.i2 = TextAnchorOf(line);
    const std::string shown = ShownText(line.text);
    op.text = shown;
    PushShape(op);
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
    FigureOp op = Shape(FigureOpCode::kDimension, {d[0], d[1], d[2], d[3], text.Real(8),
                                                   text.Real(9), DimensionTextAngle(text)});
    const std::string shown = ShownText(text.text);
    // A blank value text is replaced by the measured length, which must then be finite.
    op.i = IsBlankText(shown) ? 1 : 0;
    op.text = shown;
    PushShape(op);
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
  // Keeps `op` unless it is an attribute command that the command cache would never write
  // after the ops before it, whatever came before the copy: the cache's own rule decides,
  // starting from nothing known, on the values as the writer receives them (equal values stay
  // equal under the writer's corrections). Dropped here, it is never checked for a copy.
  void Push(const FigureOp& op) {
    bool writes = true;
    switch (op.code) {
      case FigureOpCode::kLayerGroup:
        writes = cache_.TakeLayerGroup(op.i);
        break;
      case FigureOpCode::kLayer:
        writes = cache_.TakeLayer(op.i);
        break;
      case FigureOpCode::kLineColour:
        writes = cache_.TakeLineColour(op.i);
        break;
      case FigureOpCode::kRgbColour:
        writes = cache_.TakeRgbColour(op.i);
        break;
      case FigureOpCode::kLineType:
        writes = cache_.TakeLineType(op.i);
        break;
      case FigureOpCode::kLineWidth:
        writes = cache_.TakeLineWidth(op.i);
        break;
      case FigureOpCode::kPointColour:
        writes = cache_.TakePointColour(op.i);
        break;
      case FigureOpCode::kTextAnchor:
        writes = cache_.TakeTextAnchor(op.i);
        break;
      case FigureOpCode::kTextSize:
        writes = cache_.TakeTextSize(op.i, op.i2, op.v[0], op.v[1], op.v[2]);
        break;
      case FigureOpCode::kFont:
        writes = cache_.TakeFont(op.text);
        break;
      default:
        break;
    }
    if (writes) model_.ops.Push(op);
  }
  void PushValue(FigureOpCode code, int32_t value) {
    FigureOp op;
    op.code = code;
    op.i = value;
    Push(op);
  }
  static FigureOp Shape(FigureOpCode code, std::initializer_list<double> values) {
    FigureOp op;
    op.code = code;
    assert(values.size() <= std::size(op.v));  // the replay reads v[0..7] by the op code
    size_t k = 0;
    for (double v : values) op.v[k++] = v;
    return op;
  }
  static FigureOp Shape(FigureOpCode code, const double (&values)[8]) {
    FigureOp op;
    op.code = code;
    std::copy(values, values + 8, op.v);
    return op;
  }
  void PushShape(const FigureOp& op) {
    Push(op);
    ++model_.entityCommands;
  }
  void PushMarks(FlagClass cls, int32_t flags) {
    const int32_t marks = EntityMarksFromFlags(cls, flags);
    if (marks != 0) PushValue(FigureOpCode::kMarks, marks);  // no marks write nothing
  }
  void PushLine(const FigureLine& line) {
    PushShape(
        Shape(FigureOpCode::kLine, {line.Real(8), line.Real(9), line.Real(10), line.Real(11)}));
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
    FigureOp op;
    op.code = FigureOpCode::kTextSize;
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
    Push(op);
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
    FigureOp op;
    op.code = FigureOpCode::kFont;
    op.text = font;
    Push(op);
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
        return PushShape(Shape(FigureOpCode::kSolidLine, {v[0], v[1], v[2], v[3]}));
      case FigureSolidKind::kTriangle:
        return PushShape(Shape(FigureOpCode::kSolidTriangle, {v[0], v[1], v[2], v[3], v[4], v[5]}));
      case FigureSolidKind::kQuad:
        return PushShape(Shape(FigureOpCode::kSolidQuad, solid.v));
      case FigureSolidKind::kSc:
      case FigureSolidKind::kSe: {
        FigureOp op = Shape(
            solid.kind == FigureSolidKind::kSc ? FigureOpCode::kSolidSc : FigureOpCode::kSolidSe,
            solid.v);
        op.i = solid.arcKind;
        return PushShape(op);
      }
      case FigureSolidKind::kSo:
        return PushShape(Shape(FigureOpCode::kSolidSo, solid.v));
      case FigureSolidKind::kSg:
        return PushShape(Shape(FigureOpCode::kSolidSg, solid.v));
    }
  }

  const RunContext& run_;
  LongFontTable& longFonts_;
  FigureModel& model_;
  AttributeCache cache_ = AttributeCache::Unknown();
  double dimensionLine_[4] = {};  // of the dimension whose value text comes next
};

}  // namespace

namespace {

// What an op of each code keeps besides its code: its integers (i, then i2), its first values
// of v and whether it has a text.
struct OpLayout {
  uint8_t ints = 0;
  uint8_t reals = 0;
  bool text = false;
};

constexpr OpLayout LayoutOf(FigureOpCode code) {
  switch (code) {
    case FigureOpCode::kLayerGroup:
    case FigureOpCode::kLayer:
    case FigureOpCode::kLineColour:
    case FigureOpCode::kLineType:
    case FigureOpCode::kLineWidth:
    case FigureOpCode::kPointColour:
    case FigureOpCode::kRgbColour:
    case FigureOpCode::kTextAnchor:
    case FigureOpCode::kMarks:
      return {1, 0, false};
    case FigureOpCode::kTextSize:
      return {2, 3, false};
    case FigureOpCode::kFont:
      return {0, 0, true};
    case FigureOpCode::kLine:
    case FigureOpCode::kSolidLine:
      return {0, 4, false};
    case FigureOpCode::kCircle:
      return {0, 3, false};
    case FigureOpCode::kArc:
      return {0, 7, false};
    case FigureOpCode::kPoint:
      return {0, 2, false};
    case FigureOpCode::kRotatedPoint:
      return {1, 4, false};
    case FigureOpCode::kText:
      return {2, 5, true};
    case FigureOpCode::kDimension:
      return {1, 7, true};
    case FigureOpCode::kSolidTriangle:
      return {0, 6, false};
    case FigureOpCode::kSolidQuad:
    case FigureOpCode::kSolidSo:
    case FigureOpCode::kSolidSg:
      return {0, 8, false};
    case FigureOpCode::kSolidSc:
    case FigureOpCode::kSolidSe:
      return {1, 8, false};
  }
  return {};
}

constexpr size_t kOpCodes = size_t(FigureOpCode::kSolidSg) + 1;

// The fixed part of an op's bytes: code, integers, values and the text's length.
constexpr size_t FixedBytes(const OpLayout& l) {
  return 1 + 4 * size_t{l.ints} + 8 * size_t{l.reals} + (l.text ? 4 : 0);
}

// Reads the op of code `Code` from its bytes after the code; returns the end of its bytes. The
// sizes are constants, so each copy is a few loads.
template <size_t Code>
const unsigned char* DecodeAs(const unsigned char* at, FigureOp& op) {
  constexpr OpLayout l = LayoutOf(FigureOpCode(Code));
  op.code = FigureOpCode(Code);
  if constexpr (l.ints > 0) std::memcpy(&op.i, at, 4);
  if constexpr (l.ints > 1) std::memcpy(&op.i2, at + 4, 4);
  at += 4 * l.ints;
  std::memcpy(op.v, at, 8 * l.reals);
  at += 8 * l.reals;
  if constexpr (l.text) {
    uint32_t size = 0;
    std::memcpy(&size, at, 4);
    at += 4;
    op.text = std::string_view(reinterpret_cast<const char*>(at), size);
    at += size;
  }
  return at;
}

using Decoder = const unsigned char* (*)(const unsigned char*, FigureOp&);
template <size_t... Codes>
constexpr std::array<Decoder, sizeof...(Codes)> Decoders(std::index_sequence<Codes...>) {
  return {&DecodeAs<Codes>...};
}
constexpr std::array<Decoder, kOpCodes> kDecoders = Decoders(std::make_index_sequence<kOpCodes>());

// Blocks grow from a few kilobytes (a figure of some hundred entities) to a megabyte.
constexpr size_t kFirstBlockBytes = size_t{4} << 10;
constexpr size_t kLargestBlockBytes = size_t{1} << 20;

}  // namespace

unsigned char* FigureOpList::Room(size_t size) {
  if (blocks_.empty() || blocks_.back().capacity - blocks_.back().used < size) {
    const size_t next = blocks_.empty() ? kFirstBlockBytes
                                        : std::min(2 * blocks_.back().capacity, kLargestBlockBytes);
    Block& block = blocks_.emplace_back();
    block.capacity = std::max(next, size);
    block.bytes = std::make_unique_for_overwrite<unsigned char[]>(block.capacity);
  }
  Block& block = blocks_.back();
  unsigned char* room = block.bytes.get() + block.used;
  block.used += size;
  return room;
}

void FigureOpList::Push(const FigureOp& op) {
  const OpLayout l = LayoutOf(op.code);
  const size_t textSize = l.text ? op.text.size() : 0;
  unsigned char* at = Room(FixedBytes(l) + textSize);
  *at++ = static_cast<unsigned char>(op.code);
  if (l.ints > 0) std::memcpy(at, &op.i, 4);
  if (l.ints > 1) std::memcpy(at + 4, &op.i2, 4);
  at += 4 * size_t{l.ints};
  std::memcpy(at, op.v, 8 * size_t{l.reals});
  at += 8 * size_t{l.reals};
  if (l.text) {
    const uint32_t size = static_cast<uint32_t>(textSize);
    std::memcpy(at, &size, 4);
    if (size > 0) std::memcpy(at + 4, op.text.data(), size);
  }
  ++count_;
}

size_t FigureOpList::BytesHeld() const {
  size_t bytes = blocks_.capacity() * sizeof(Block);
  for (const Block& block : blocks_) bytes += block.capacity;
  return bytes;
}

FigureOpList::Iterator::Iterator(const FigureOpList& list, size_t left) : left_(left) {
  if (left_ == 0) return;
  block_ = list.blocks_.data();
  at_ = block_->bytes.get();
  end_ = at_ + block_->used;
  Decode();
}

void FigureOpList::Iterator::Decode() {
  if (at_ == end_) {
    ++block_;
    at_ = block_->bytes.get();
    end_ = at_ + block_->used;
  }
  const unsigned char code = *at_;
  at_ = kDecoders[code](at_ + 1, op_);
}

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
  Compiler compiler(run, longFonts, model);
  compiler.Centre(ReadFigure(bytes, compiler, compiler.solidColour()));
  return model;
}

FigureModel ParseFigureFile(FileSystem& fs, const std::string& path, const RunContext& run,
                            LongFontTable& longFonts) {
  FigureModel model;
  Compiler compiler(run, longFonts, model);
  const FigureFileRead read = ReadFigureFile(fs, path, compiler, compiler.solidColour());
  if (!read.read) {
    FigureModel unreadable;
    unreadable.fault = FigureFault::kUnreadable;
    return unreadable;
  }
  model.present = true;
  model.fault = read.fault;
  compiler.Centre(read.header);
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
bool ReplayAttribute(const FigureOp& op, const Placement& p, CommandWriter& out) {
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
      out.EmitFont(op.text);
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
bool ReplayText(const FigureOp& op, const Placement& p, CommandWriter& out) {
  const double* v = op.v;
  if (op.code == FigureOpCode::kText) {
    const double phi = p.angle + v[4];
    const Point a = p.Apply(v[0], v[1]);
    const Point at = ConvertTextAnchor(0, op.i2, a.x, a.y, v[2] * p.stretch, v[3], phi * 180 / kPi);
    if (AllFinite({at.x, at.y})) {
      const SineCosine turn = PortableSinCos(phi);
      out.EmitText(op.i, op.text, at.x, at.y, 10 * turn.cos, 10 * turn.sin);
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
    out.EmitDimension(op.text, a.x, a.y, b.x, b.y, t.x, t.y, 10 * turn.cos, 10 * turn.sin);
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
  if (!ReplayAttribute(op, p, out) && !ReplayLineOrPoint(model, op, p, out) &&
      !ReplayText(op, p, out)) {
    ReplaySolid(model, op, p, out);
  }
}

void ReplayFigure(const FigureModel& model, double x, double y, double angle, CommandWriter& out,
                  double stretch) {
  const Placement p(x, y, angle, model.centreX, model.centreY, stretch);
  for (const FigureOp& op : model.ops) ReplayOp(model, op, p, out);
}

}  // namespace gara
