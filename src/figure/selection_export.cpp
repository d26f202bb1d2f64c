#include "figure/selection_export.h"

#include <array>
#include <cassert>
#include <vector>

#include "exchange/exchange_reader.h"
#include "figure/figure_format.h"
#include "figure/figure_writer.h"
#include "geom/extents.h"
#include "geom/geometry.h"
#include "util/text.h"

namespace gara {

namespace {

constexpr double kDegToRad = kPi / 180;
// The output is handed to the file in pieces of about this size, so a large selection never
// exists twice in memory.
constexpr size_t kChunk = 1 << 16;

// The box of a text.
TextBox BoxOf(const TextEntity& t) {
  return MeasureTextBox(t.textKind, t.text, t.width, t.height, t.spacing, t.dx, t.dy);
}

// Visits the stored record of every entry of the file order; blocks are skipped.
template <typename Visitor>
void ForEachEntity(const SelectedEntities& e, Visitor&& visit) {
  for (const EntityRef& ref : e.order) {
    const size_t i = ref.index;
    switch (ref.type) {
      case EntityType::kLine:
        visit(e.lines[i]);
        break;
      case EntityType::kCircle:
        visit(e.circles[i]);
        break;
      case EntityType::kArc:
        visit(e.arcs[i]);
        break;
      case EntityType::kText:
        visit(e.texts[i]);
        break;
      case EntityType::kPoint:
        visit(e.points[i]);
        break;
      case EntityType::kRotatedPoint:
        visit(e.rotatedPoints[i]);
        break;
      case EntityType::kDimension:
        visit(e.dimensions[i]);
        break;
      case EntityType::kBlock:
        break;
      case EntityType::kSolidLine:
        visit(e.solidLines[i]);
        break;
      case EntityType::kSolidTriangle:
        visit(e.solidTriangles[i]);
        break;
      case EntityType::kSolidQuad:
        visit(e.solidQuads[i]);
        break;
      case EntityType::kSolidSc:
        visit(e.solidSc[i], figure::kSolidSc);
        break;
      case EntityType::kSolidSe:
        visit(e.solidSe[i], figure::kSolidSe);
        break;
      case EntityType::kSolidSo:
        visit(e.solidSo[i], figure::kSolidSo);
        break;
      case EntityType::kSolidSg:
        visit(e.solidSg[i], figure::kSolidSg);
        break;
    }
  }
}

// The base line of a text, lower left to lower right, as the record pass writes it.
using BaseLine = std::array<Point, 2>;

// The extents pass: what each entity covers. The base lines of the texts are kept in visiting
// order, so that the record pass does not measure and turn every text a second time.
struct ExtentsPass {
  Extents& box;
  size_t& count;
  EntityList<BaseLine>& baseLines;

  void AddText(const TextEntity& t, int anchor) {
    const std::array<Point, 4> corners = TextBoxCorners(BoxOf(t), anchor, t.x, t.y);
    for (const Point& p : corners) box.Add(p);
    baseLines.push_back({corners[0], corners[1]});
  }

  void operator()(const LineEntity& l) {
    box.Add(l.x1, l.y1);
    box.Add(l.x2, l.y2);
    ++count;
  }
  void operator()(const CircleEntity& c) {
    AddCircleBox(box, c.x, c.y, c.r);
    ++count;
  }
  void operator()(const ArcEntity& a) {
    const ArcSweep sweep = NormalizeArcSweepDeg(a.startAngle, a.endAngle);
    AddArcSamplesDeg(box, a.x, a.y, a.r, a.flatness, a.tilt, a.startAngle, sweep.sweepDeg);
    ++count;
  }
  void operator()(const TextEntity& t) {
    AddText(t, t.anchor);
    ++count;
  }
  void operator()(const PointEntity& p) {
    box.Add(p.x, p.y);
    ++count;
  }
  void operator()(const RotatedPointEntity& p) {
    box.Add(p.x, p.y);
    ++count;
  }
  void operator()(const DimensionEntity& d) {
    box.Add(d.line.x1, d.line.y1);
    box.Add(d.line.x2, d.line.y2);
    AddText(d.text, 0);  // a dimension's text stands on its lower-left corner
    ++count;
  }
  void operator()(const SolidLineEntity& s) {
    box.Add(s.x1, s.y1);
    box.Add(s.x2, s.y2);
    ++count;
  }
  void operator()(const SolidTriangleEntity& s) {
    box.Add(s.x1, s.y1);
    box.Add(s.x2, s.y2);
    box.Add(s.x3, s.y3);
    ++count;
  }
  void operator()(const SolidQuadEntity& s) {
    box.Add(s.x1, s.y1);
    box.Add(s.x2, s.y2);
    box.Add(s.x3, s.y3);
    box.Add(s.x4, s.y4);
    ++count;
  }
  template <typename Curved>
  void operator()(const Curved& s, int32_t /*solidCode*/) {
    AddArcSamples(box, s.x, s.y, s.r, s.flatness, s.tilt, s.start, s.sweep);
    ++count;
  }
};

// Field 7 of a text: its marks in the text column with its kind's value ORed in.
int32_t TextFlags(const TextEntity& t) {
  return AttributeFlagCode(FlagClass::kText, t.header.zFlags) | TextKindFlags(t.textKind);
}

// The style offset of a font setting such as "<ＭＳ ゴシック>/!", and its bare name.
struct FontStyle {
  int32_t offset = 0;
  std::string name;
};
FontStyle SplitFont(std::string_view font) {
  FontStyle style;
  style.name = RemoveControlChars(font);
  const std::string& f = style.name;
  if (f.find(">/!") != std::string::npos || f.find(">!/") != std::string::npos) {
    style.offset = figure::kBothStylesOffset;
  } else if (f.find(">/") != std::string::npos) {
    style.offset = figure::kItalicOffset;
  } else if (f.find(">!") != std::string::npos) {
    style.offset = figure::kBoldOffset;
  }
  if (!f.empty() && f.front() == '<') style.name.erase(0, 1);
  const size_t close = style.name.find('>');
  if (close != std::string::npos) style.name.resize(close);
  return style;
}

// The fields 1 to 7 of an entity: its header with field 1, field 5 and the flags of its kind.
FigureAttributes Attributes(const EntityHeader& h, int64_t number, int64_t code, int64_t flags) {
  return {number, h.layerGroup, h.layer, h.colour, code, h.lineWidth, flags};
}

// The record pass: one figure-file record per entity, every point shifted by the centre.
class RecordWriter {
 public:
  RecordWriter(std::string& out, Point centre, const EntityList<BaseLine>& baseLines)
      : w_(out), centre_(centre), baseLines_(baseLines) {}

  void operator()(const LineEntity& l) { Line(l, l.polylineNumber); }
  void operator()(const CircleEntity& c) {
    const Point at = Shifted(c.x, c.y);
    w_.Curve(CurveAttributes(c.header), {at.x, at.y, c.r, 1, 0, kTwoPi, 0, 1});
  }
  void operator()(const ArcEntity& a) {
    const ArcSweep sweep = NormalizeArcSweepDeg(a.startAngle, a.endAngle);
    const Point at = Shifted(a.x, a.y);
    w_.Curve(CurveAttributes(a.header),
             {at.x, at.y, a.r, a.flatness, a.startAngle * kDegToRad, sweep.sweepDeg * kDegToRad,
              a.tilt * kDegToRad, sweep.closed ? 1 : 0});
  }
  void operator()(const TextEntity& t) { Text(t, t.anchor); }
  void operator()(const PointEntity& p) {
    const Point at = Shifted(p.x, p.y);
    w_.Point(CurveAttributes(p.header), at.x, at.y, 0, 0, 1);
  }
  void operator()(const RotatedPointEntity& p) {
    const Point at = Shifted(p.x, p.y);
    w_.Point(Attributes(p.header, 0, figure::kRotatedPointCode,
                        AttributeFlagCode(FlagClass::kCurveOrPoint, p.header.zFlags)),
             at.x, at.y, p.kind, p.angle * kDegToRad, p.size);
  }
  void operator()(const DimensionEntity& d) {
    w_.Dimension(Attributes(d.header, 0, d.header.lineType,
                            AttributeFlagCode(FlagClass::kDimensionLine, d.header.zFlags)),
                 false);
    Line(d.line, 0);
    Text(d.text, 0);
  }
  void operator()(const SolidLineEntity& s) {
    SolidCorners(s, {s.x1, s.y1, s.x2, s.y2, s.x2, s.y2, s.x2, s.y2});
  }
  void operator()(const SolidTriangleEntity& s) {
    SolidCorners(s, {s.x1, s.y1, s.x2, s.y2, s.x3, s.y3, s.x3, s.y3});
  }
  void operator()(const SolidQuadEntity& s) {
    SolidCorners(s, {s.x1, s.y1, s.x2, s.y2, s.x3, s.y3, s.x4, s.y4});
  }
  void operator()(const SolidArcEntity& s, int32_t code) {
    w_.ArcSolid(SolidAttributes(s.header, code), SolidCurve(s), s.kind, s.rgb);
  }
  void operator()(const SolidRingEntity& s, int32_t code) {
    w_.RingSolid(SolidAttributes(s.header, code), SolidCurve(s), s.r2, s.rgb);
  }

  // True when a text came that the extents pass had not measured.
  bool overrun() const { return overrun_; }

 private:
  Point Shifted(double x, double y) const { return {x - centre_.x, y - centre_.y}; }

  // Curves and points: their own line type and the flags of their column.
  static FigureAttributes CurveAttributes(const EntityHeader& h) {
    return Attributes(h, 0, h.lineType, AttributeFlagCode(FlagClass::kCurveOrPoint, h.zFlags));
  }
  static FigureAttributes SolidAttributes(const EntityHeader& h, int32_t code) {
    return Attributes(h, 0, code, AttributeFlagCode(FlagClass::kSolid, h.zFlags));
  }

  void Line(const LineEntity& l, int32_t polylineNumber) {
    const Point a = Shifted(l.x1, l.y1), b = Shifted(l.x2, l.y2);
    w_.Line(Attributes(l.header, polylineNumber, l.header.lineType,
                       AttributeFlagCode(FlagClass::kLine, l.header.zFlags)),
            a.x, a.y, b.x, b.y);
  }

  void Text(const TextEntity& t, int anchor) {
    const FontStyle font = SplitFont(t.fontName);
    // A file read differently the second time may hold more texts than were measured.
    if (nextText_ == baseLines_.size()) {
      overrun_ = true;
      return;
    }
    const BaseLine& line = baseLines_[nextText_++];
    const Point a = Shifted(line[0].x, line[0].y), b = Shifted(line[1].x, line[1].y);
    w_.Text(Attributes(t.header, 0, anchor + 1, TextFlags(t)),
            {a.x, a.y, b.x, b.y, int64_t{t.sizeKind} + font.offset, t.width, t.height, t.spacing,
             font.name, t.text});
  }

  template <typename Solid>
  void SolidCorners(const Solid& s, const double (&corners)[8]) {
    double shifted[8];
    for (size_t k = 0; k < 8; k += 2) {
      const Point p = Shifted(corners[k], corners[k + 1]);
      shifted[k] = p.x;
      shifted[k + 1] = p.y;
    }
    w_.PolygonSolid(SolidAttributes(s.header, figure::kSolidPolygon), shifted, s.rgb);
  }

  template <typename Curved>
  FigureSolidCurveFields SolidCurve(const Curved& s) const {
    const Point at = Shifted(s.x, s.y);
    return {at.x, at.y, s.r, s.flatness, s.tilt, s.start, s.sweep};
  }

  FigureFileWriter w_;
  Point centre_;
  const EntityList<BaseLine>& baseLines_;
  size_t nextText_ = 0;
  bool overrun_ = false;
};

// Writes the figure in pieces through `flush`, which gets the text written so far and clears it.
// `visitAll(visitor)` visits every record in file order; it is called twice, to measure and to
// write, and `state` gives the layer group scales once the first visit is done. False when a
// write failed or the second visit did not see the records of the first.
template <typename VisitAll, typename Flush>
[[nodiscard]] bool WriteFigure(VisitAll&& visitAll, const DrawingState& state, std::string& out,
                               Flush&& flush) {
  Extents box;
  size_t count = 0;
  size_t measured = 0;
  EntityList<BaseLine> baseLines;
  ExtentsPass extents{box, count, baseLines};
  visitAll([&](const auto&... record) {
    ++measured;
    extents(record...);
  });
  const Point centre = box.Centre();

  FigureFileWriter(out).Head(box.minX() - centre.x, box.minY() - centre.y, box.maxX() - centre.x,
                             box.maxY() - centre.y, state.layerGroupScales,
                             static_cast<int64_t>(count));

  bool ok = true;
  size_t written = 0;
  RecordWriter writer(out, centre, baseLines);
  visitAll([&](const auto&... record) {
    if (!ok || ++written > measured) return;
    writer(record...);
    if (out.size() >= kChunk) ok = flush();
  });
  if (!ok || written != measured || writer.overrun()) return false;
  FigureFileWriter(out).Trailer();
  return flush();
}

// The records already read into `state`.
auto StoredRecords(const DrawingState& state) {
  return [&state](auto&& visitor) { ForEachEntity(state.entities, visitor); };
}

template <typename VisitAll>
bool WriteInPieces(VisitAll&& visitAll, const DrawingState& state, OutputFile& file) {
  std::string out;
  out.reserve(kChunk + 4096);
  return WriteFigure(visitAll, state, out, [&] {
    const bool written = file.Write(out);
    out.clear();
    return written;
  });
}

}  // namespace

std::string SelectionFigureText(const DrawingState& state) {
  std::string out;
  // Text in memory has nowhere to fail.
  [[maybe_unused]] const bool whole =
      WriteFigure(StoredRecords(state), state, out, [] { return true; });
  assert(whole);
  return out;
}

bool WriteSelection(const DrawingState& state, OutputFile& file) {
  return WriteInPieces(StoredRecords(state), state, file);
}

bool WriteSelection(FileSystem& fs, const std::string& exchangePath, OutputFile& file,
                    size_t keepAtMost) {
  DrawingState first;
  // Writing from the kept records spares reading and parsing the file a second time.
  std::vector<SelectedEntities> kept;
  size_t keptRecords = 0;
  bool readAgain = false;
  int visit = 0;
  const auto visitAll = [&](auto&& visitor) {
    if (visit++ > 0 && !readAgain) {
      for (const SelectedEntities& batch : kept) ForEachEntity(batch, visitor);
      return;
    }
    // The first visit reads into `first`, whose scales head the figure; the second into a
    // state of its own, as the file is read from its start again. A file that is missing or
    // cannot be read is an empty selection, as it is to every run mode.
    DrawingState again;
    const bool keep = visit == 1;
    static_cast<void>(ReadExchangeFileInBatches(fs, exchangePath, keep ? first : again,
                                                [&](SelectedEntities& batch) {
                                                  ForEachEntity(batch, visitor);
                                                  if (!keep || readAgain) return;
                                                  keptRecords += batch.order.size();
                                                  if (keptRecords > keepAtMost) {
                                                    readAgain = true;
                                                    kept.clear();
                                                    return;
                                                  }
                                                  kept.push_back(std::move(batch));
                                                }));
  };
  return WriteInPieces(visitAll, first, file);
}

bool ExportSelection(FileSystem& fs, const std::string& path, const DrawingState& state) {
  return ReplaceFile(
      fs, path, [&state](OutputFile& file) { return WriteSelection(state, file); },
      OnWriteFailure::kRemoveOld);
}

}  // namespace gara
