#include "exchange/entity_records.h"

#include <cmath>

#include "util/text.h"

namespace gara {

namespace {

// Field i of the line, numbered from 1 (the keyword).
class Fields {
 public:
  explicit Fields(std::span<const std::string_view> fields) : fields_(fields) {}
  int count() const { return static_cast<int>(fields_.size()); }
  std::string_view keyword() const { return fields_.empty() ? std::string_view() : fields_[0]; }
  std::string_view text(int i) const {
    return i >= 1 && i <= count() ? fields_[i - 1] : std::string_view();
  }
  double real(int i) const { return TextToReal(text(i)); }
  int32_t integer(int i) const { return TextToInt(text(i)); }

 private:
  std::span<const std::string_view> fields_;
};

EntityHeader CurrentHeader(const ReadingState& r) { return {r.current, r.hhpNumber, r.zFlags}; }

EntityHeader CurrentHeader(const ReadingState& r, int32_t colour) {
  EntityHeader header = CurrentHeader(r);
  header.colour = colour;
  return header;
}

// The common steps after a record: the marks and the designation number belong to one entity;
// every entity but a line segment also ends a polyline run and abandons a pending dimension.
template <typename T>
void Append(EntityList<T>& list, EntityType type, T&& record, ReadingState& r, DrawingState& s) {
  if (r.keepEntities) {
    s.entities.order.push_back({type, static_cast<uint32_t>(list.size())});
    list.push_back(std::move(record));
  }
  r.hhpNumber = 0;
  r.zFlags = 0;
  if (type != EntityType::kLine) {
    r.inPolyline = false;
    r.dimensionPending = false;
  }
}

TextEntity MakeText(const Fields& f, int textKind, const ReadingState& r, const DrawingState& s) {
  TextEntity t;
  t.textKind = textKind;
  t.anchor = r.currentTextAnchor;
  t.sizeKind = r.currentTextSizeKind;
  int32_t colour;
  if (t.sizeKind >= 1 && t.sizeKind <= 10) {
    const TextSize& size = s.textSizeTable[t.sizeKind];
    t.width = size.width;
    t.height = size.height;
    t.spacing = size.spacing;
    colour = size.colour;
  } else {
    t.width = r.currentTextWidth;
    t.height = r.currentTextHeight;
    t.spacing = r.currentTextSpacing;
    colour = r.currentTextColour;
  }
  t.header = CurrentHeader(r, colour);
  t.x = f.real(2);
  t.y = f.real(3);
  t.dx = f.real(4);
  t.dy = f.real(5);
  t.fontName.assign(CutStoredText(r.currentFontName));
  t.text.assign(CutStoredText(f.text(6)));
  return t;
}

bool Coincide(double x1, double y1, double x2, double y2) {
  return std::fabs(x1 - x2) <= kCornerTolerance && std::fabs(y1 - y2) <= kCornerTolerance;
}

// "sl": two, three or four corners, with coinciding corners reduced to the smaller solid.
void AddSolid(const Fields& f, ReadingState& r, DrawingState& s) {
  struct P {
    double x, y;
  };
  const int c = f.count();
  P p[4] = {};
  for (int i = 0; i < 4 && 2 * i + 3 <= c; ++i) p[i] = {f.real(2 * i + 2), f.real(2 * i + 3)};
  const auto same = [&](int a, int b) { return Coincide(p[a].x, p[a].y, p[b].x, p[b].y); };
  const EntityHeader header = CurrentHeader(r);
  const int32_t rgb = r.currentRgb;
  auto line = [&](int a, int b) {
    Append(s.entities.solidLines, EntityType::kSolidLine,
           SolidLineEntity{header, rgb, p[a].x, p[a].y, p[b].x, p[b].y}, r, s);
  };
  auto triangle = [&](int a, int b, int d) {
    Append(s.entities.solidTriangles, EntityType::kSolidTriangle,
           SolidTriangleEntity{header, rgb, p[a].x, p[a].y, p[b].x, p[b].y, p[d].x, p[d].y}, r, s);
  };
  if (c == 5) return line(0, 1);
  if (c == 7) {
    if (same(0, 1)) return line(0, 2);
    if (same(1, 2)) return line(0, 1);
    return triangle(0, 1, 2);
  }
  if (same(0, 1) && same(0, 2)) return line(0, 3);
  if (same(1, 2) && same(1, 3)) return line(0, 1);
  if (same(0, 1) && same(2, 3)) return line(0, 2);
  if (same(3, 0) || same(3, 1) || same(3, 2)) return triangle(0, 1, 2);
  if (same(2, 0) || same(2, 1)) return triangle(0, 1, 3);
  if (same(1, 0)) return triangle(0, 2, 3);
  Append(
      s.entities.solidQuads, EntityType::kSolidQuad,
      SolidQuadEntity{header, rgb, p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y, p[3].x, p[3].y},
      r, s);
}

SolidArcEntity MakeSolidArc(const Fields& f, const ReadingState& r) {
  return {CurrentHeader(r), r.currentRgb, f.real(2), f.real(3), f.real(4),
          f.real(5),        f.real(6),    f.real(7), f.real(8), f.integer(9)};
}

SolidRingEntity MakeSolidRing(const Fields& f, const ReadingState& r) {
  return {CurrentHeader(r), r.currentRgb, f.real(2), f.real(3), f.real(4),
          f.real(5),        f.real(6),    f.real(7), f.real(8), f.real(9)};
}

}  // namespace

int TextKindOfKeyword(std::string_view k) {
  if (k.size() != 2 || k[0] != 'c') return -1;
  static constexpr char kSecond[] = "hvsroptkz2";
  for (int kind = 0; kind < 10; ++kind) {
    if (k[1] == kSecond[kind]) return kind;
  }
  return -1;
}

std::string_view CutStoredText(std::string_view text) {
  if (text.size() <= kMaxStoredText) return text;
  // Step over whole characters so that the cut never leaves a lead byte without its partner,
  // which would swallow the closing quote of the figure file's text field.
  size_t end = 0;
  while (end < kMaxStoredText) {
    const size_t step = IsLeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
    if (end + step > kMaxStoredText) break;
    end += step;
  }
  return text.substr(0, end);
}

bool AddKeywordEntity(std::span<const std::string_view> fields, ReadingState& r, DrawingState& s) {
  const Fields f(fields);
  const int c = f.count();
  const std::string_view k = f.keyword();
  if (k.size() != 2) return false;
  SelectedEntities& e = s.entities;
  if (k == "ci") {
    if (c == 4) {
      Append(e.circles, EntityType::kCircle,
             CircleEntity{CurrentHeader(r), f.real(2), f.real(3), f.real(4)}, r, s);
      return true;
    }
    if (c >= 8) {
      Append(e.arcs, EntityType::kArc,
             ArcEntity{CurrentHeader(r), f.real(2), f.real(3), f.real(4), f.real(5), f.real(6),
                       f.real(7), f.real(8)},
             r, s);
      return true;
    }
    return false;
  }
  if (const int kind = TextKindOfKeyword(k); kind >= 0) {
    if (c < 6) return false;
    if (r.dimensionPending && kind == 2) {
      DimensionEntity d;
      d.header = CurrentHeader(r);
      d.line = r.pendingDimensionLine;
      d.line.polylineNumber = 0;
      d.text = MakeText(f, 2, r, s);
      Append(e.dimensions, EntityType::kDimension, std::move(d), r, s);
    } else {
      Append(e.texts, EntityType::kText, MakeText(f, kind, r, s), r, s);
    }
    return true;
  }
  if (k == "pt") {
    if (c == 3) {
      Append(e.points, EntityType::kPoint,
             PointEntity{CurrentHeader(r, r.currentPointColour), f.real(2), f.real(3)}, r, s);
      return true;
    }
    if (c >= 6) {
      Append(e.rotatedPoints, EntityType::kRotatedPoint,
             RotatedPointEntity{CurrentHeader(r, r.currentPointColour), f.real(2), f.real(3),
                                f.real(4), f.real(5), f.integer(6)},
             r, s);
      return true;
    }
    return false;
  }
  if (k == "BL") {
    if (c < 4) return false;
    Append(e.blocks, EntityType::kBlock,
           BlockEntity{CurrentHeader(r), f.real(2), f.real(3), std::string(f.text(4))}, r, s);
    return true;
  }
  if (k == "sl") {
    if (c != 5 && c != 7 && c < 9) return false;
    AddSolid(f, r, s);
    return true;
  }
  if (c < 9) return false;
  if (k == "sc") {
    Append(e.solidSc, EntityType::kSolidSc, MakeSolidArc(f, r), r, s);
  } else if (k == "se") {
    Append(e.solidSe, EntityType::kSolidSe, MakeSolidArc(f, r), r, s);
  } else if (k == "so") {
    Append(e.solidSo, EntityType::kSolidSo, MakeSolidRing(f, r), r, s);
  } else if (k == "sg") {
    Append(e.solidSg, EntityType::kSolidSg, MakeSolidRing(f, r), r, s);
  } else {
    return false;
  }
  return true;
}

void AddLineOrDimensionLine(std::span<const std::string_view> fields, ReadingState& r,
                            DrawingState& s) {
  const Fields f(fields);
  LineEntity line{CurrentHeader(r), 0, f.real(1), f.real(2), f.real(3), f.real(4)};
  if (r.dimensionPending) {
    r.pendingDimensionLine = line;
    r.hhpNumber = 0;
    r.zFlags = 0;
    return;
  }
  if (r.inPolyline) line.polylineNumber = r.polylineCounter;
  Append(s.entities.lines, EntityType::kLine, std::move(line), r, s);
}

}  // namespace gara
