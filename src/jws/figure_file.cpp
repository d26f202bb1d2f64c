#include "jws/figure_file.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <vector>

#include "figure/figure_format.h"
#include "figure/figure_writer.h"
#include "geom/extents.h"
#include "geom/geometry.h"
#include "jws/blocks.h"
#include "util/text.h"

namespace gara::jws {

namespace {

using figure::kAngleDecimals;
using figure::kLengthDecimals;

constexpr uint16_t kVerticalFlag = 0x20;
constexpr uint16_t kOtherTextKindFlags =
    0x4000 | 0x10 | 0x100 | 0x200 | 0x400 | 0x1000 | 0x40 | 0x80 | 0x8000;

// One record line at a time, field by field; remembers whether any real was not finite.
class RecordWriter {
 public:
  explicit RecordWriter(std::string& out) : out_(out) {}

  void Begin(char kind) { out_.push_back(kind); }
  void Int(int64_t v) {
    out_.push_back(',');
    AppendInteger(out_, v);
  }
  void Real(int decimals, double v) {
    if (!std::isfinite(v)) bad_ = true;
    out_.push_back(',');
    AppendFixedText(out_, decimals, v);
  }
  void Length(double v) { Real(kLengthDecimals, v); }
  void Angle(double v) { Real(kAngleDecimals, v); }
  void Quoted(std::string_view text) {
    out_.push_back(',');
    AppendQuotedText(out_, text);
  }
  // An integer stored as a real.
  void Code(double v) {
    if (!std::isfinite(v)) {
      bad_ = true;
      v = 0;
    }
    Int(std::llround(std::clamp(v, -2e9, 2e9)));
  }
  void EmptyField() { out_.push_back(','); }
  void End() { out_.append("\r\n"); }

  bool bad() const { return bad_; }

 private:
  std::string& out_;
  bool bad_ = false;
};

class FigureMaker {
 public:
  explicit FigureMaker(const Document& doc) : doc_(doc), w_(records_) {}
  // `doc` expanded from `original`: errors name the original's entity.
  FigureMaker(const Document& doc, const Document& original, const std::vector<uint32_t>& sources)
      : FigureMaker(doc) {
    original_ = &original;
    sources_ = &sources;
  }

  FigureFileResult Make() {
    FigureFileResult result;
    records_.reserve(doc_.lines.size() * 64 + doc_.texts.size() * 128 + 4096);
    for (size_t i = 0; i < doc_.entities.size(); ++i) {
      const EntityRef e = doc_.entities[i];
      if (!Entity(e)) {
        result.error = Where(i) + error_;
        return result;
      }
      if (w_.bad()) {
        result.error = Where(i) + "a value is not a finite number";
        return result;
      }
    }
    std::string& out = result.text;
    out.reserve(records_.size() + 512);
    RecordWriter head(out);
    for (double v : {box_.minX(), box_.minY(), box_.maxX(), box_.maxY()}) {
      head.Length(v);
    }
    out.erase(0, 1);  // the line starts with a number, not a separator
    head.End();
    const size_t scalesStart = out.size();
    for (double s : doc_.scales) head.Real(figure::kScaleDecimals, s);
    out.erase(scalesStart, 1);
    head.End();
    out.append(figure::kCountPrefix);
    out.append(std::to_string(count_));
    head.End();
    out.append(records_);
    out.append(figure::kTrailer);
    head.End();
    result.ok = true;
    result.records = count_;
    return result;
  }

 private:
  bool Entity(EntityRef e) {
    switch (e.kind) {
      case EntityKind::kLine:
        return WithScale(doc_.lines[e.index].c, [&] { LineRecord(doc_.lines[e.index]); });
      case EntityKind::kArc:
        return WithScale(doc_.arcs[e.index].c, [&] { ArcRecord(doc_.arcs[e.index]); });
      case EntityKind::kPoint: {
        const PointEntity& p = doc_.points[e.index];
        if (p.temporary != 0) return true;  // construction aid, never printed
        return WithScale(p.c, [&] { PointRecord(p); });
      }
      case EntityKind::kText: {
        const Text& t = doc_.texts[e.index];
        if (!Carried(t)) return true;
        return WithScale(
            t.c, [&] { TextRecord(t, t.c.penStyle >= 1 && t.c.penStyle <= 9 ? t.c.penStyle : 1); });
      }
      case EntityKind::kDimension:
        return WithScale(doc_.dimensions[e.index].c,
                         [&] { DimensionRecord(doc_.dimensions[e.index]); });
      case EntityKind::kSolid:
        return WithScale(doc_.solids[e.index].c, [&] { SolidRecord(doc_.solids[e.index]); });
      case EntityKind::kBlock:
        return true;  // expanded before the mapping
    }
    return true;
  }

  std::string Where(size_t i) const {
    if (sources_ == nullptr) return "entity " + std::to_string(i + 1) + ": ";
    const uint32_t source = (*sources_)[i];
    const bool inBlock = original_->entities[source].kind == EntityKind::kBlock;
    return "entity " + std::to_string(source + 1) + (inBlock ? " (in its block): " : ": ");
  }

  template <typename F>
  bool WithScale(const Common& c, F&& record) {
    if (c.layerGroup >= kLayerGroups) {
      error_ = "layer group " + std::to_string(c.layerGroup) + " does not exist";
      return false;
    }
    if (c.layer >= kLayersPerGroup) {
      error_ = "layer " + std::to_string(c.layer) + " does not exist";
      return false;
    }
    scale_ = doc_.scales[c.layerGroup];
    record();
    ++count_;
    return true;
  }

  bool Carried(const Text& t) const {
    const std::string_view text = doc_.Str(t.text);
    if (text.starts_with("^@BM")) return false;                 // placement of an embedded image
    if (NearlySamePoint(t.x1, t.y1, t.x2, t.y2)) return false;  // no direction
    return !RemoveControlChars(text).empty();
  }

  void Leading(char kind, const Common& c, int64_t field5, int64_t width) {
    w_.Begin(kind);
    w_.Int(0);
    w_.Int(c.layerGroup);
    w_.Int(c.layer);
    w_.Int(c.colour);
    w_.Int(field5);
    w_.Int(width);
    w_.Int(c.flags);
  }

  // A stored coordinate pair in real size, written and measured.
  void Point(double x, double y) {
    x *= scale_;
    y *= scale_;
    w_.Length(x);
    w_.Length(y);
    box_.Add(x, y);
  }

  void LineRecord(const Line& l) {
    Leading(figure::kLine, l.c, l.c.penStyle, l.c.width);
    Point(l.x1, l.y1);
    Point(l.x2, l.y2);
    w_.End();
  }

  void ArcRecord(const Arc& a) {
    Leading(figure::kCurve, a.c, a.c.penStyle, a.c.width);
    const double cx = a.cx * scale_, cy = a.cy * scale_, r = a.radius * scale_;
    w_.Length(cx);
    w_.Length(cy);
    w_.Length(r);
    w_.Angle(a.flatness);
    w_.Angle(a.start);
    w_.Angle(a.sweep);
    w_.Angle(a.tilt);
    w_.Int(a.fullCircle != 0 ? 1 : 0);
    w_.End();
    if (a.fullCircle != 0 && NearlyEqual(a.flatness, 1)) {
      AddCircleBox(box_, cx, cy, r);
    } else {
      AddArcSamples(box_, cx, cy, r, a.flatness, a.tilt, a.start,
                    a.fullCircle != 0 ? 2 * kPi : a.sweep);
    }
  }

  void PointRecord(const PointEntity& p) {
    const bool marker = p.c.penStyle == kMarkerPenStyle;
    Leading(figure::kPoint, p.c, marker ? figure::kRotatedPointCode : 1, p.c.width);
    Point(p.x, p.y);
    w_.Int(0);
    w_.Int(marker ? p.marker : 0);
    w_.Angle(marker ? p.angle : 0);
    w_.Length(marker ? p.scale : 1);
    w_.End();
  }

  void TextRecord(const Text& t, int anchorField) {
    Leading(figure::kText, t.c, anchorField, 0);
    Point(t.x1, t.y1);
    Point(t.x2, t.y2);
    w_.Int(t.kind);
    w_.Length(t.width);
    w_.Length(t.height);
    w_.Length(t.spacing);
    w_.Quoted(doc_.Str(t.font));
    w_.Quoted(doc_.Str(t.text));
    w_.End();
    const double x = t.x1 * scale_, y = t.y1 * scale_;
    const TextBox box = MeasureTextBox(IsVerticalText(t.c.flags) ? 1 : 0, doc_.Str(t.text), t.width,
                                       t.height, t.spacing, t.x2 * scale_ - x, t.y2 * scale_ - y);
    AddTextBox(box_, box, 0, x, y);
  }

  void DimensionRecord(const Dimension& d) {
    const bool extended = d.hasSxf && d.sxfMode != 0;
    Leading(extended ? figure::kDimensionX : figure::kDimension, d.c, d.c.penStyle, d.c.width);
    w_.EmptyField();
    w_.End();
    LineRecord(d.line);
    TextRecord(d.text, 1);
    if (!extended) return;
    for (const Line& l : d.extensionLines) LineRecord(l);
    for (int i = 0; i < 2; ++i) PointRecord(d.points[i]);
  }

  void SolidRecord(const Solid& s) {
    const bool polygon = s.c.penStyle <= kPolygonSolidMax;
    Leading(figure::kSolid, s.c, polygon ? figure::kSolidPolygon : s.c.penStyle, s.c.width);
    if (polygon) {
      for (int i = 0; i < 8; i += 2) Point(s.v[i], s.v[i + 1]);
    } else {
      const double cx = s.v[0] * scale_, cy = s.v[1] * scale_, r = s.v[2] * scale_;
      w_.Length(cx);
      w_.Length(cy);
      w_.Length(r);
      for (int i = 3; i < 7; ++i) w_.Angle(s.v[i]);  // flatness, tilt, start, sweep
      if (s.c.penStyle == figure::kSolidSc || s.c.penStyle == figure::kSolidSe) {
        w_.Code(s.v[7]);  // kind code: whole circle, sector, segment ...
      } else {
        w_.Length(s.v[7] * scale_);  // inner radius of a ring
      }
      AddArcSamples(box_, cx, cy, r, s.v[3], s.v[4], s.v[5], s.v[6]);
    }
    w_.Int(s.c.colour == 10 ? s.rgb : 0);
    w_.End();
  }

  const Document& doc_;
  const Document* original_ = nullptr;
  const std::vector<uint32_t>* sources_ = nullptr;
  std::string records_;
  RecordWriter w_;
  Extents box_;
  double scale_ = 1;
  int count_ = 0;
  std::string error_;
};

}  // namespace

bool IsVerticalText(uint16_t flags) {
  return (flags & kVerticalFlag) != 0 && (flags & kOtherTextKindFlags) == 0;
}

FigureFileResult MakeFigureFile(const Document& doc) {
  if (!HasBlockInserts(doc)) return FigureMaker(doc).Make();
  const ExpandResult expanded = ExpandBlocks(doc);
  if (!expanded.document) {
    FigureFileResult result;
    result.error = expanded.error;
    return result;
  }
  return FigureMaker(*expanded.document, doc, expanded.sources).Make();
}

}  // namespace gara::jws
