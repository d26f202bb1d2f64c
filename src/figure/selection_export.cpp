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

// The record pass: one figure-file record per entity, every point shifted by the centre.
class RecordWriter {
 public:
  RecordWriter(std::string& out, Point centre, const EntityList<BaseLine>& baseLines)
      : out_(out), centre_(centre), baseLines_(baseLines) {}

  void operator()(const LineEntity& l) { Line(l, l.polylineNumber); }
  void operator()(const CircleEntity& c) {
    Begin(figure::kCurve, 0, c.header, c.header.lineType,
          AttributeFlagCode(FlagClass::kCurveOrPoint, c.header.zFlags));
    Xy(c.x, c.y);
    Length(c.r);
    Angle(1);
    Angle(0);
    Angle(2 * kPi);
    Angle(0);
    Integer(1);
    End();
  }
  void operator()(const ArcEntity& a) {
    const ArcSweep sweep = NormalizeArcSweepDeg(a.startAngle, a.endAngle);
    Begin(figure::kCurve, 0, a.header, a.header.lineType,
          AttributeFlagCode(FlagClass::kCurveOrPoint, a.header.zFlags));
    Xy(a.x, a.y);
    Length(a.r);
    Angle(a.flatness);
    Angle(a.startAngle * kDegToRad);
    Angle(sweep.sweepDeg * kDegToRad);
    Angle(a.tilt * kDegToRad);
    Integer(sweep.closed ? 1 : 0);
    End();
  }
  void operator()(const TextEntity& t) { Text(t, t.anchor); }
  void operator()(const PointEntity& p) {
    Begin(figure::kPoint, 0, p.header, p.header.lineType,
          AttributeFlagCode(FlagClass::kCurveOrPoint, p.header.zFlags));
    Xy(p.x, p.y);
    out_.append(",0,0,0,1");
    End();
  }
  void operator()(const RotatedPointEntity& p) {
    Begin(figure::kPoint, 0, p.header, figure::kRotatedPointCode,
          AttributeFlagCode(FlagClass::kCurveOrPoint, p.header.zFlags));
    Xy(p.x, p.y);
    Integer(0);
    Integer(p.kind);
    Angle(p.angle * kDegToRad);
    Length(p.size);
    End();
  }
  void operator()(const DimensionEntity& d) {
    Begin(figure::kDimension, 0, d.header, d.header.lineType,
          AttributeFlagCode(FlagClass::kDimensionLine, d.header.zFlags));
    out_.push_back(',');  // the D line ends with an empty field
    End();
    Line(d.line, 0);
    Text(d.text, 0);
  }
  void operator()(const SolidLineEntity& s) {
    SolidCorners(s, {{s.x1, s.y1}, {s.x2, s.y2}, {s.x2, s.y2}, {s.x2, s.y2}});
  }
  void operator()(const SolidTriangleEntity& s) {
    SolidCorners(s, {{s.x1, s.y1}, {s.x2, s.y2}, {s.x3, s.y3}, {s.x3, s.y3}});
  }
  void operator()(const SolidQuadEntity& s) {
    SolidCorners(s, {{s.x1, s.y1}, {s.x2, s.y2}, {s.x3, s.y3}, {s.x4, s.y4}});
  }
  void operator()(const SolidArcEntity& s, int32_t code) {
    CurvedSolid(s, code);
    Integer(s.kind);
    Integer(s.rgb);
    End();
  }
  void operator()(const SolidRingEntity& s, int32_t code) {
    CurvedSolid(s, code);
    Length(s.r2);
    Integer(s.rgb);
    End();
  }

  // True when a text came that the extents pass had not measured.
  bool overrun() const { return overrun_; }

 private:
  // Fields 0 to 7.
  void Begin(char kind, int32_t field1, const EntityHeader& h, int32_t field5, int32_t flags) {
    out_.push_back(kind);
    Integer(field1);
    Integer(h.layerGroup);
    Integer(h.layer);
    Integer(h.colour);
    Integer(field5);
    Integer(h.lineWidth);
    Integer(flags);
  }
  void End() { out_.append("\r\n"); }
  void Integer(int64_t v) {
    out_.push_back(',');
    AppendInteger(out_, v);
  }
  void Length(double v) {
    out_.push_back(',');
    AppendFixedText(out_, figure::kLengthDecimals, v);
  }
  void Angle(double v) {
    out_.push_back(',');
    AppendFixedText(out_, figure::kAngleDecimals, v);
  }
  void Xy(double x, double y) {
    Length(x - centre_.x);
    Length(y - centre_.y);
  }

  void Line(const LineEntity& l, int32_t polylineNumber) {
    Begin(figure::kLine, polylineNumber, l.header, l.header.lineType,
          AttributeFlagCode(FlagClass::kLine, l.header.zFlags));
    Xy(l.x1, l.y1);
    Xy(l.x2, l.y2);
    End();
  }

  void Text(const TextEntity& t, int anchor) {
    const FontStyle font = SplitFont(t.fontName);
    // A file read differently the second time may hold more texts than were measured.
    if (nextText_ == baseLines_.size()) {
      overrun_ = true;
      return;
    }
    Begin(figure::kText, 0, t.header, anchor + 1, TextFlags(t));
    const BaseLine& line = baseLines_[nextText_++];
    Xy(line[0].x, line[0].y);
    Xy(line[1].x, line[1].y);
    Integer(int64_t{t.sizeKind} + font.offset);
    Length(t.width);
    Length(t.height);
    Length(t.spacing);
    out_.push_back(',');
    AppendQuotedText(out_, font.name);
    out_.push_back(',');
    AppendQuotedText(out_, t.text);
    End();
  }

  template <typename Solid>
  void SolidCorners(const Solid& s, std::initializer_list<Point> corners) {
    Begin(figure::kSolid, 0, s.header, figure::kSolidPolygon,
          AttributeFlagCode(FlagClass::kSolid, s.header.zFlags));
    for (const Point& p : corners) Xy(p.x, p.y);
    Integer(s.rgb);
    End();
  }

  template <typename Curved>
  void CurvedSolid(const Curved& s, int32_t code) {
    Begin(figure::kSolid, 0, s.header, code, AttributeFlagCode(FlagClass::kSolid, s.header.zFlags));
    Xy(s.x, s.y);
    Length(s.r);
    Angle(s.flatness);
    Angle(s.tilt);
    Angle(s.start);
    Angle(s.sweep);
  }

  std::string& out_;
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

  AppendFixedText(out, figure::kLengthDecimals, box.minX() - centre.x);
  out.push_back(',');
  AppendFixedText(out, figure::kLengthDecimals, box.minY() - centre.y);
  out.push_back(',');
  AppendFixedText(out, figure::kLengthDecimals, box.maxX() - centre.x);
  out.push_back(',');
  AppendFixedText(out, figure::kLengthDecimals, box.maxY() - centre.y);
  out.append("\r\n");
  for (size_t g = 0; g < state.layerGroupScales.size(); ++g) {
    if (g > 0) out.push_back(',');
    AppendFixedText(out, figure::kScaleDecimals, state.layerGroupScales[g]);
  }
  out.append("\r\n");
  out.append(figure::kCountPrefix);
  AppendInteger(out, static_cast<int64_t>(count));
  out.append("\r\n");

  bool ok = true;
  size_t written = 0;
  RecordWriter writer(out, centre, baseLines);
  visitAll([&](const auto&... record) {
    if (!ok || ++written > measured) return;
    writer(record...);
    if (out.size() >= kChunk) ok = flush();
  });
  if (!ok || written != measured || writer.overrun()) return false;
  out.append(figure::kTrailer);
  out.append("\r\n");
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
