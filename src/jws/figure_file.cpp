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

constexpr uint16_t kVerticalFlag = 0x20;
constexpr uint16_t kOtherTextKindFlags =
    0x4000 | 0x10 | 0x100 | 0x200 | 0x400 | 0x1000 | 0x40 | 0x80 | 0x8000;

// A kind code stored as a real, as the integer the file holds; false when it is not a number.
bool CodeOf(double v, int64_t& code) {
  if (!std::isfinite(v)) {
    code = 0;
    return false;
  }
  code = std::llround(std::clamp(v, -2e9, 2e9));
  return true;
}

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
      if (!w_.finite() || !codesFinite_) {
        result.error = Where(i) + "a value is not a finite number";
        return result;
      }
    }
    std::string& out = result.text;
    out.reserve(records_.size() + 512);
    FigureFileWriter head(out);
    head.Head(box_.minX(), box_.minY(), box_.maxX(), box_.maxY(), doc_.scales, count_);
    out.append(records_);
    head.Trailer();
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

  static FigureAttributes Attributes(const Common& c, int64_t code, int64_t width) {
    return {0, c.layerGroup, c.layer, c.colour, code, width, c.flags};
  }

  // A stored coordinate pair in real size, measured.
  Point RealSize(double x, double y) {
    x *= scale_;
    y *= scale_;
    box_.Add(x, y);
    return {x, y};
  }

  void LineRecord(const Line& l) {
    const Point a = RealSize(l.x1, l.y1), b = RealSize(l.x2, l.y2);
    w_.Line(Attributes(l.c, l.c.penStyle, l.c.width), a.x, a.y, b.x, b.y);
  }

  void ArcRecord(const Arc& a) {
    const double cx = a.cx * scale_, cy = a.cy * scale_, r = a.radius * scale_;
    w_.Curve(Attributes(a.c, a.c.penStyle, a.c.width),
             {cx, cy, r, a.flatness, a.start, a.sweep, a.tilt, a.fullCircle != 0 ? 1 : 0});
    if (a.fullCircle != 0 && NearlyEqual(a.flatness, 1)) {
      AddCircleBox(box_, cx, cy, r);
    } else {
      AddArcSamples(box_, cx, cy, r, a.flatness, a.tilt, a.start,
                    a.fullCircle != 0 ? kTwoPi : a.sweep);
    }
  }

  void PointRecord(const PointEntity& p) {
    const bool marker = p.c.penStyle == kMarkerPenStyle;
    const Point at = RealSize(p.x, p.y);
    w_.Point(Attributes(p.c, marker ? figure::kRotatedPointCode : 1, p.c.width), at.x, at.y,
             marker ? p.marker : 0, marker ? p.angle : 0, marker ? p.scale : 1);
  }

  void TextRecord(const Text& t, int anchorField) {
    const Point a = RealSize(t.x1, t.y1), b = RealSize(t.x2, t.y2);
    w_.Text(Attributes(t.c, anchorField, 0), {a.x, a.y, b.x, b.y, t.kind, t.width, t.height,
                                              t.spacing, doc_.Str(t.font), doc_.Str(t.text)});
    const double x = t.x1 * scale_, y = t.y1 * scale_;
    const TextBox box = MeasureTextBox(IsVerticalText(t.c.flags) ? 1 : 0, doc_.Str(t.text), t.width,
                                       t.height, t.spacing, t.x2 * scale_ - x, t.y2 * scale_ - y);
    AddTextBox(box_, box, 0, x, y);
  }

  void DimensionRecord(const Dimension& d) {
    const bool extended = d.hasSxf && d.sxfMode != 0;
    w_.Dimension(Attributes(d.c, d.c.penStyle, d.c.width), extended);
    LineRecord(d.line);
    TextRecord(d.text, 1);
    if (!extended) return;
    for (const Line& l : d.extensionLines) LineRecord(l);
    for (int i = 0; i < 2; ++i) PointRecord(d.points[i]);
  }

  void SolidRecord(const Solid& s) {
    const bool polygon = s.c.penStyle <= kPolygonSolidMax;
    const FigureAttributes a =
        Attributes(s.c, polygon ? figure::kSolidPolygon : s.c.penStyle, s.c.width);
    const int64_t rgb = s.c.colour == 10 ? s.rgb : 0;
    if (polygon) {
      double corners[8];
      for (int i = 0; i < 8; i += 2) {
        const Point p = RealSize(s.v[i], s.v[i + 1]);
        corners[i] = p.x;
        corners[i + 1] = p.y;
      }
      w_.PolygonSolid(a, corners, rgb);
      return;
    }
    // flatness, tilt, start, sweep as stored
    const FigureSolidCurveFields curve{s.v[0] * scale_, s.v[1] * scale_, s.v[2] * scale_, s.v[3],
                                       s.v[4],          s.v[5],          s.v[6]};
    if (s.c.penStyle == figure::kSolidSc || s.c.penStyle == figure::kSolidSe) {
      int64_t kind = 0;  // whole circle, sector, segment ...
      if (!CodeOf(s.v[7], kind)) codesFinite_ = false;
      w_.ArcSolid(a, curve, kind, rgb);
    } else {
      w_.RingSolid(a, curve, s.v[7] * scale_, rgb);  // inner radius of a ring
    }
    AddArcSamples(box_, curve.cx, curve.cy, curve.r, s.v[3], s.v[4], s.v[5], s.v[6]);
  }

  const Document& doc_;
  const Document* original_ = nullptr;
  const std::vector<uint32_t>* sources_ = nullptr;
  std::string records_;
  FigureFileWriter w_;
  bool codesFinite_ = true;
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
