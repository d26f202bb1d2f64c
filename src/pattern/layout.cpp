#include "pattern/layout.h"

#include <cmath>
#include <cstdint>
#include <optional>

#include "geom/offset.h"
#include "util/portable_math.h"

namespace gara {

namespace {

// The unit vector of (dx, dy); a vector too short for LineAngle points along the x axis, as
// its angle 0 does. Taken by division rather than through the angle so that segments along
// the axes stay exact and write no 1e-17 residues of a cosine.
Point Direction(double dx, double dy) {
  if (std::fabs(dx) < kAngleEpsilon && std::fabs(dy) < kAngleEpsilon) return {1.0, 0.0};
  const double len = PortableHypot(dx, dy);
  return {dx / len, dy / len};
}

// The heights of the top, middle and bottom line above the base line.
std::array<double, 3> LineHeights(const LayoutRow& row) {
  return {row.height, row.height / 2, 0.0};
}

// The top, middle and bottom lines the row draws in a gap, from `from` to `to` on the base line.
void GapLines(const LayoutRow& row, Point from, Point to, Point up, LayoutSink& sink) {
  const std::array<double, 3> heights = LineHeights(row);
  for (int k = 0; k < 3; ++k) {
    if (row.lineModes[k] != LineMode::kGaps) continue;
    const Point a = Along(from, heights[k], up);
    const Point b = Along(to, heights[k], up);
    sink.Line(a.x, a.y, b.x, b.y);
  }
}

// Whether a list of designated points is closed: its first and last points coincide.
bool ClosedList(std::span<const Point> points) {
  const size_t c = points.size();
  return c > 2 && NearlySamePoint(points[0].x, points[0].y, points[c - 1].x, points[c - 1].y);
}

// How the lines k to the left of the segments a-b and b-c join at b: where they cross, when that
// lies within the mitre's reach of b (MitreReaches); not at all when they are parallel or cross
// beyond the range of a double; by a bevel when the turn so nearly goes back on itself that they
// would cross far away. Both segments at b ask the same question, so that they always agree.
struct OffsetJoin {
  enum Kind : uint8_t { kNone, kMitre, kBevel } kind = kNone;
  Point at;  // the crossing of a mitre
};
OffsetJoin JoinOffsets(Point a, Point b, Point c, double k) {
  const Point n1 = LeftOf(Direction(b.x - a.x, b.y - a.y));
  const Point n2 = LeftOf(Direction(c.x - b.x, c.y - b.y));
  const Point a1 = Along(a, k, n1), b1 = Along(b, k, n1);
  const Point b2 = Along(b, k, n2), c2 = Along(c, k, n2);
  const Intersection hit = IntersectLines(a1.x, a1.y, b1.x, b1.y, b2.x, b2.y, c2.x, c2.y);
  if (hit.result == LineCrossing::kParallel || !std::isfinite(hit.point.x) ||
      !std::isfinite(hit.point.y)) {
    return {};
  }
  // Lines through b itself (k = 0) cross there, off it only by the rounding of far coordinates.
  if (k == 0 || MitreReaches(hit.point, b, k, Distance(b1.x, b1.y, b2.x, b2.y))) {
    return {OffsetJoin::kMitre, hit.point};
  }
  return {OffsetJoin::kBevel, {}};
}

// Where the middle lines of the segments a-b and b-c meet: the centre of the corner piece at b.
// Segments in line, turning back on themselves or nearly so, put it where the first one ends,
// as on a straight run.
Point MiddleLinesMeet(const LayoutRow& row, Point a, Point b, Point c) {
  const double k = row.height / 2 - row.referenceOffset;
  const OffsetJoin join = JoinOffsets(a, b, c, k);
  if (join.kind == OffsetJoin::kMitre) return join.at;
  return Along(b, k, LeftOf(Direction(b.x - a.x, b.y - a.y)));
}

// The point of the full-length line at `height` across `at` on a segment turned to `up`.
Point RailPoint(const LayoutRow& row, double height, Point at, Point up) {
  return Along(Along(at, -row.referenceOffset, up), height, up);
}

// The full-length line k of segment j, its ends moved to where it meets the same line of the
// previous and next segments; at a turn past the mitre's reach its end stays, and a bevel joins
// it to the start of the next segment's line.
void FullLengthLine(const LayoutRow& row, std::span<const Point> points, int j, int k,
                    LayoutSink& sink) {
  const int c = static_cast<int>(points.size());
  const Point p = points[j - 1];
  const Point q = points[j];
  const double height = LineHeights(row)[k];
  const Point up = LeftOf(Direction(q.x - p.x, q.y - p.y));
  const Point s = RailPoint(row, height, p, up);
  const Point t = RailPoint(row, height, q, up);
  Point start = s;
  Point end = t;
  bool bevel = false;
  Point bevelTo;
  if (c > 2) {
    const bool closed = ClosedList(points);
    const double offset = height - row.referenceOffset;  // the neighbour's line above its own
    auto corner = [&](Point m, Point nPt, Point& target) {
      const Point dir = Direction(nPt.x - m.x, nPt.y - m.y);
      const Point nrm{-dir.y, dir.x};
      const Point m2 = Along(m, offset, nrm);
      const Point n2 = Along(nPt, offset, nrm);
      const Intersection hit = IntersectLines(s.x, s.y, t.x, t.y, m2.x, m2.y, n2.x, n2.y);
      // Parallel lines, and crossings beyond the range of a double, leave the end as it is.
      if (hit.result != LineCrossing::kParallel && std::isfinite(hit.point.x) &&
          std::isfinite(hit.point.y)) {
        target = hit.point;
      }
    };
    const auto joins = [&](Point a, Point b, Point d) {
      return JoinOffsets(a, b, d, offset).kind == OffsetJoin::kMitre;
    };
    if (j > 1) {
      if (joins(points[j - 2], p, q)) corner(points[j - 2], points[j - 1], start);
    } else if (closed) {
      if (joins(points[c - 2], points[0], q)) corner(points[c - 2], points[0], start);
    }
    const bool next = j < c - 1 || closed;
    const Point after = j < c - 1 ? points[j + 1] : points[1];
    const Point from = j < c - 1 ? q : points[0];  // where the next segment starts
    if (next) {
      const OffsetJoin join = JoinOffsets(p, from, after, offset);
      if (join.kind == OffsetJoin::kMitre) corner(from, after, end);
      // A zero-length next segment is not drawn: nothing to bevel to.
      bevel = join.kind == OffsetJoin::kBevel && !NearlySamePoint(from.x, from.y, after.x, after.y);
      bevelTo = RailPoint(row, height, from, LeftOf(Direction(after.x - from.x, after.y - from.y)));
    }
  }
  sink.Line(start.x, start.y, end.x, end.y);
  if (bevel) sink.Line(end.x, end.y, bevelTo.x, bevelTo.y);
}

void FullLengthLines(const LayoutRow& row, std::span<const Point> points, int j, LayoutSink& sink) {
  for (int k = 0; k < 3; ++k) {
    if (row.lineModes[k] == LineMode::kFullLength) FullLengthLine(row, points, j, k, sink);
  }
}

}  // namespace

void LayoutStraightRun(const LayoutRow& row, const RunPlan& plan, Point p, Point q,
                       LayoutSink& sink) {
  const double h = row.height;
  const double theta = LineAngle(q.x - p.x, q.y - p.y);
  const Point u = Direction(q.x - p.x, q.y - p.y);
  const Point up{-u.y, u.x};
  const int64_t n = static_cast<int64_t>(plan.count);
  const double r = row.referenceOffset;
  const Point b1 = Along(p, -r, up);
  const Point b2 = Along(q, -r, up);
  auto gapLines = [&](Point from, Point to) { GapLines(row, from, to, up, sink); };

  sink.Attributes();
  Point f = Along(b1, plan.gap, u);  // lower left corner of the next copy
  Point e = b1;                      // end of the last copy so far
  if (!NearlyEqual(plan.gap, 0)) gapLines(b1, f);
  for (int64_t i = 1; i <= n; ++i) {
    const double w = plan.WidthOf(i - 1);
    const Point centre = Along(Along(f, w / 2, u), h / 2, up);
    sink.Figure(plan.IsAlternate(i - 1) ? FigureSlot::kAlternate : FigureSlot::kMain, centre.x,
                centre.y, theta, plan.scale);
    sink.Attributes();
    e = Along(f, w, u);
    f = Along(f, plan.StepAfter(i - 1), u);
    if (!NearlyEqual(plan.interval, 0) && i < n) gapLines(e, f);
  }
  if (!NearlyEqual(plan.gap, 0)) gapLines(e, b2);
}

namespace {

// The room of segment j with every piece the row puts at its ends, fitting or not.
SegmentRoom AllPiecesRoom(const LayoutRow& row, std::span<const Point> points, int j) {
  const int c = static_cast<int>(points.size());
  const bool closed = ClosedList(points);
  const Point p = points[j - 1];
  const Point q = points[j];
  const Point u = Direction(q.x - p.x, q.y - p.y);
  const double d = row.interval;
  const double halfCorner = row.corner.width / 2;
  // How far along the segment a corner's centre stands: it lies on the segment's middle line.
  const auto along = [&](Point m) { return (m.x - p.x) * u.x + (m.y - p.y) * u.y; };
  SegmentRoom room;
  room.end = room.to = room.endEdge = Distance(p.x, p.y, q.x, q.y);
  if (row.corner.on && (j >= 2 || closed)) {
    const Point before = j >= 2 ? points[j - 2] : points[c - 2];
    room.corner = true;
    room.cornerAt = MiddleLinesMeet(row, before, p, q);
    room.cornerAngle = LineAngle(p.x - before.x, p.y - before.y);
    room.startEdge = along(room.cornerAt) + halfCorner;
    room.from = room.startEdge + d;
  } else if (row.startCap.on && j == 1 && !closed) {
    room.startCap = true;
    room.startEdge = row.startCap.width;
    room.from = room.startEdge + d;
  }
  if (row.corner.on && (j <= c - 2 || closed)) {
    const Point after = j <= c - 2 ? points[j + 1] : points[1];
    room.endCorner = true;
    room.endEdge = along(MiddleLinesMeet(row, p, q, after)) - halfCorner;
    room.to = room.endEdge - d;
  } else if (row.endCap.on && j == c - 1 && !closed) {
    room.endCap = true;
    room.endEdge = room.to - row.endCap.width;
    room.to = room.endEdge - d;
  }
  return room;
}

}  // namespace

EndsFit FitEnds(const SegmentRoom& room) {
  const bool atStart = room.corner || room.startCap;
  const bool atEnd = room.endCorner || room.endCap;
  EndsFit fit;
  fit.start = !atStart || room.startEdge <= room.end + kEpsilon;
  fit.end = !atEnd || room.endEdge >= room.begin - kEpsilon;
  if (atStart && atEnd && fit.start && fit.end && !(room.startEdge <= room.endEdge + kEpsilon)) {
    fit = {false, false};
  }
  return fit;
}

SegmentRoom FitRoom(SegmentRoom room, const SegmentRoom* before, const SegmentRoom* after) {
  EndsFit keep = FitEnds(room);
  if (room.corner && before) keep.start = keep.start && FitEnds(*before).end;
  if (room.endCorner && after) keep.end = keep.end && FitEnds(*after).start;
  if (!keep.start && (room.corner || room.startCap)) {
    room.leftOut[size_t(room.corner ? FigureSlot::kCorner : FigureSlot::kStart)] = true;
    room.corner = room.startCap = false;
    room.startEdge = room.from = room.begin;
  }
  if (!keep.end && (room.endCorner || room.endCap)) {
    if (room.endCap) room.leftOut[size_t(FigureSlot::kEnd)] = true;
    room.endCorner = room.endCap = false;
    room.endEdge = room.to = room.end;
  }
  return room;
}

SegmentRoom RoomOf(const LayoutRow& row, std::span<const Point> points, int j) {
  const int c = static_cast<int>(points.size());
  const SegmentRoom room = AllPiecesRoom(row, points, j);
  // The corner pieces it shares with the segments before and after it.
  std::optional<SegmentRoom> before, after;
  if (room.corner) before = AllPiecesRoom(row, points, j >= 2 ? j - 1 : c - 1);
  if (room.endCorner) after = AllPiecesRoom(row, points, j <= c - 2 ? j + 1 : 1);
  return FitRoom(room, before ? &*before : nullptr, after ? &*after : nullptr);
}

void CopyCount::Add(const RunPlan& plan, const SegmentRoom* room) {
  figures += plan.count;
  others[size_t(FigureSlot::kAlternate)] += plan.AlternateCount();
  if (!room) return;
  figures += room->Pieces();
  others[size_t(FigureSlot::kCorner)] += room->corner;
  others[size_t(FigureSlot::kStart)] += room->startCap;
  others[size_t(FigureSlot::kEnd)] += room->endCap;
  for (size_t slot = 0; slot < kFigureSlots; ++slot) leftOut[slot] += room->leftOut[slot];
}

RunPlan PlanRoom(const LayoutRow& row, const SegmentRoom& room) {
  const double length = room.to - room.from;
  return length > 0 ? PlanRun(row, length, RunEnds::kOpen) : RunPlan{};
}

namespace {

// A segment with corner pieces or caps at its ends: they stand first, and the copies run
// between them, the gap lines reaching them.
void LayoutSegmentBetweenPieces(const LayoutRow& row, std::span<const Point> points, int j,
                                LayoutSink& sink, double maxFigures) {
  const SegmentRoom room = RoomOf(row, points, j);
  const RunPlan plan = PlanRoom(row, room);
  if (!(plan.count + room.Pieces() <= maxFigures)) return;
  const Point p = points[j - 1];
  const Point q = points[j];
  const Point u = Direction(q.x - p.x, q.y - p.y);
  const Point up{-u.y, u.x};
  const double theta = LineAngle(q.x - p.x, q.y - p.y);
  const Point base = Along(p, -row.referenceOffset, up);
  const auto on = [&](double s) { return Along(base, s, u); };  // the base line at s
  const auto piece = [&](FigureSlot slot, double s) {
    const Point centre = Along(on(s), row.height / 2, up);
    sink.Figure(slot, centre.x, centre.y, theta, 1);
    sink.Attributes();
  };
  sink.Attributes();
  if (room.startCap) piece(FigureSlot::kStart, row.startCap.width / 2);
  if (room.corner) {
    sink.Figure(FigureSlot::kCorner, room.cornerAt.x, room.cornerAt.y, room.cornerAngle, 1);
    sink.Attributes();
  }
  if (plan.count > 0) {
    if (room.from - room.startEdge > kEpsilon)
      GapLines(row, on(room.startEdge), on(room.from), up, sink);
    LayoutStraightRun(row, plan, Along(p, room.from, u), Along(p, room.to, u), sink);
    if (room.endEdge - room.to > kEpsilon) GapLines(row, on(room.to), on(room.endEdge), up, sink);
  } else if (room.endEdge - room.startEdge > kEpsilon) {
    GapLines(row, on(room.startEdge), on(room.endEdge), up, sink);
  }
  if (room.endCap) piece(FigureSlot::kEnd, room.endEdge + row.endCap.width / 2);
}

}  // namespace

void LayoutSegment(const LayoutRow& row, std::span<const Point> points, int j, LayoutSink& sink,
                   double maxFigures) {
  const int c = static_cast<int>(points.size());
  if (j < 1 || j >= c) return;
  if (!row.Draws()) return;
  if (row.HasEndFigures()) {
    LayoutSegmentBetweenPieces(row, points, j, sink, maxFigures);
    FullLengthLines(row, points, j, sink);
    return;
  }
  const Point p = points[j - 1];
  const Point q = points[j];
  const RunPlan plan = PlanRun(row, Distance(p.x, p.y, q.x, q.y), RunEnds::kOpen);
  if (!(plan.count <= maxFigures)) return;
  LayoutStraightRun(row, plan, p, q, sink);
  FullLengthLines(row, points, j, sink);
}

}  // namespace gara
