#include "pattern/path_layout.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <optional>
#include <utility>

#include "geom/offset.h"
#include "pattern/bend.h"
#include "util/portable_math.h"

namespace gara {

void PathSink::BentFigure(FigureSlot slot, const BentBox& box, double stretch) {
  Figure(slot, box.rigidCentre.x, box.rigidCentre.y, box.rigidAngle, stretch);
}

namespace {

// The rails' distances to the left of the base line, top, middle and bottom.
std::array<double, 3> RailDistances(const LayoutRow& row) {
  const double h = row.height;
  const double r = row.referenceOffset;
  return {h - r, h / 2 - r, -r};
}

void EmitPiece(const PathPiece& p, PathSink& sink) {
  constexpr double kDeg = 180.0 / kPi;
  if (!p.IsArc()) {
    sink.Line(p.from.x, p.from.y, p.to.x, p.to.y);
  } else if (std::fabs(p.sweep) >= kTwoPi - 1e-12) {
    sink.Circle(p.centre.x, p.centre.y, p.radius);
  } else if (p.length > 0) {
    const double a = (p.start + p.tilt) * kDeg;
    const double b = (p.start + p.sweep + p.tilt) * kDeg;
    sink.Arc(p.centre.x, p.centre.y, p.radius, NormalizeDeg(std::min(a, b)),
             NormalizeDeg(std::max(a, b)));
  }
}

// Hands the pieces of a rail to the sink as lines, arcs and circles.
class RailEmitter final : public PieceSink {
 public:
  explicit RailEmitter(PathSink& sink) : sink_(sink) {}
  void Put(const PathPiece& p) override { EmitPiece(p, sink_); }

 private:
  PathSink& sink_;
};

void EmitRail(const std::vector<PathPiece>& pieces, bool closed, double k, PathSink& sink) {
  RailEmitter emitter(sink);
  ForEachRailPiece(pieces, closed, k, emitter);
}

}  // namespace

double EllipseRailLines(const LayoutRow& row, const LaidPath& laid, double figures) {
  const std::array<double, 3> distances = RailDistances(row);
  double total = 0;
  double gapRails = 0;
  bool ellipse = false;
  for (int k = 0; k < 3; ++k) {
    if (row.lineModes[k] == LineMode::kNone) continue;
    gapRails += row.lineModes[k] == LineMode::kGaps;
    for (const PathPiece& p : laid.path.pieces) {
      if (!p.IsArc() || p.IsCircular()) continue;
      ellipse = true;
      total += EllipseOffsetLines(p, distances[k]);
    }
  }
  // A gap along an ellipse starts from several spans, not one line.
  const double pieces = static_cast<double>(laid.path.pieces.size());
  if (ellipse) total += gapRails * (FirstEllipseSpans(0) - 1) * (figures + 2 * pieces);
  return total;
}

LaidPath SplitRuns(Path path) {
  LaidPath laid;
  laid.path = std::move(path);
  const Path& whole = laid.path;
  std::vector<PathPiece>& pieces = laid.path.pieces;
  const size_t count = pieces.size();
  std::vector<bool> corner(count, false);  // a corner before piece i
  for (size_t i = 0; i < count; ++i) {
    if (i == 0 && !whole.closed) continue;
    corner[i] = TurnAngle(pieces[(i + count - 1) % count], pieces[i]) > kCornerTurn;
  }
  const auto firstCorner = std::find(corner.begin(), corner.end(), true);
  if (whole.closed && firstCorner != corner.end()) {
    const auto shift = firstCorner - corner.begin();
    std::rotate(pieces.begin(), pieces.begin() + shift, pieces.end());
    std::rotate(corner.begin(), corner.begin() + shift, corner.end());
  }
  laid.starts.reserve(count);
  // A run starts at the first piece and at every corner after it.
  laid.runs.reserve(count == 0 ? 0 : 1 + std::count(corner.begin() + 1, corner.end(), true));
  double s = 0;
  for (size_t i = 0; i < count; ++i) {
    laid.starts.push_back(s);
    if (i == 0 || corner[i]) laid.runs.push_back({s, s, false});
    s += pieces[i].length;
    laid.runs.back().end = s;
  }
  if (whole.closed && firstCorner == corner.end() && !laid.runs.empty()) {
    laid.runs.back().closed = true;
  }
  laid.path.length = s;
  // PathAt and SubPath find a piece by binary search over the starts; the runs cover the path
  // in order, each from where the one before ends.
  assert(std::is_sorted(laid.starts.begin(), laid.starts.end()));
  assert(std::adjacent_find(laid.runs.begin(), laid.runs.end(),
                            [](const PathRun& a, const PathRun& b) { return a.end != b.begin; }) ==
         laid.runs.end());
  return laid;
}

Point PathAt(const LaidPath& laid, double s, ArcMark* mark) {
  const double length = laid.path.length;
  if (laid.path.closed && length > 0) {
    s = std::fmod(s, length);
    if (s < 0) s += length;
  }
  const auto it = std::upper_bound(laid.starts.begin(), laid.starts.end(), s);
  const size_t i = it == laid.starts.begin() ? 0 : (it - laid.starts.begin()) - 1;
  return PieceAt(laid.path.pieces[i], s - laid.starts[i], mark);
}

std::vector<PathPiece> SubPath(const LaidPath& laid, double s0, double s1, ArcMark* mark) {
  std::vector<PathPiece> out;
  const double length = laid.path.length;
  const size_t count = laid.path.pieces.size();
  // From the piece holding s0 on, twice round for a span of a closed path that passes its
  // start.
  const auto first = std::upper_bound(laid.starts.begin(), laid.starts.end(), s0);
  const size_t from = first == laid.starts.begin() ? 0 : (first - laid.starts.begin()) - 1;
  const size_t rounds = laid.path.closed ? 2 : 1;
  for (size_t k = from; k < rounds * count; ++k) {
    const size_t i = k % count;
    const double base = laid.starts[i] + (k >= count ? length : 0);
    if (base >= s1) break;
    const PathPiece& p = laid.path.pieces[i];
    const double a = std::max(s0, base);
    const double b = std::min(s1, base + p.length);
    if (b - a > kEpsilon) out.push_back(PieceSpan(p, a - base, b - base, mark));
  }
  return out;
}

const PathPiece* StraightRun(const LaidPath& laid, const PathRun& run) {
  if (run.closed) return nullptr;
  const auto first = std::upper_bound(laid.starts.begin(), laid.starts.end(), run.begin) - 1;
  const size_t i = static_cast<size_t>(first - laid.starts.begin());
  // The run is this one piece when the next piece starts where the run ends.
  const bool onePiece = i + 1 == laid.starts.size() || laid.starts[i + 1] >= run.end;
  const PathPiece& piece = laid.path.pieces[i];
  return onePiece && !piece.IsArc() ? &piece : nullptr;
}

RunPlan PlanPathRun(const LayoutRow& row, const LaidPath& laid, const PathRun& run) {
  // A straight run is measured as a segment is, end to end: the difference of its stations
  // along the path can differ from that in the last bit.
  const PathPiece* line = StraightRun(laid, run);
  return PlanRun(row, line ? line->length : run.end - run.begin, run.Ends());
}

namespace {

// A path that is one open line: it is laid out as a two-point segment.
bool IsOneLine(const Path& path) { return path.pieces.size() == 1 && !path.pieces[0].IsArc(); }

// Where the offsets k to the left of pieces a and b, b starting where a ends, meet as the rails
// join: the centre of a corner piece. Offsets of elliptical pieces are chains of short lines;
// there the offsets of the tangents at the joint stand for them. Where they meet beyond the
// mitre's reach, or never, the piece stands as on a straight run of a, k across its end.
Point OffsetsMeet(const PathPiece& a, const PathPiece& b, double k) {
  const Point joint = b.from;
  if (k == 0) return joint;
  const Point na = LeftOf(PieceTangent(a, a.length));
  const Point across = Along(joint, k, na);
  const auto exact = [](const PathPiece& p) { return !p.IsArc() || p.IsCircular(); };
  if (exact(a) && exact(b)) {
    const std::vector<PathPiece> rail = OffsetRail({a, b}, false, k);
    if (rail.size() == 2) return rail[0].to;
    if (rail.size() == 3) {
      // Round the joint, or a bevel past the mitre's reach.
      return rail[1].IsArc() ? PieceAt(rail[1], rail[1].length / 2) : across;
    }
  }
  const Point nb = LeftOf(PieceTangent(b, 0));
  const double f = 1 + na.x * nb.x + na.y * nb.y;
  if (f > 1e-9) {
    const Point mitre{joint.x + k * (na.x + nb.x) / f, joint.y + k * (na.y + nb.y) / f};
    const double gap = std::fabs(k) * Distance(na.x, na.y, nb.x, nb.y);
    if (MitreReaches(mitre, joint, k, gap)) return mitre;
  }
  return across;
}

// The piece that starts at arc length s.
size_t PieceAtStation(const LaidPath& laid, double s) {
  const auto it = std::upper_bound(laid.starts.begin(), laid.starts.end(), s);
  return it == laid.starts.begin() ? 0 : static_cast<size_t>(it - laid.starts.begin()) - 1;
}

// The room of run i with every piece the row puts at its ends, fitting or not.
SegmentRoom AllPiecesRoom(const LayoutRow& row, const LaidPath& laid, size_t i) {
  const PathRun& run = laid.runs[i];
  SegmentRoom room;
  room.begin = room.from = room.startEdge = run.begin;
  room.end = room.to = room.endEdge = run.end;
  if (run.closed) return room;
  const std::vector<PathPiece>& pieces = laid.path.pieces;
  const size_t n = pieces.size();
  const size_t runs = laid.runs.size();
  const bool closed = laid.path.closed;
  const double k = row.height / 2 - row.referenceOffset;
  const double d = row.interval;
  const double halfCorner = row.corner.width / 2;
  const size_t first = PieceAtStation(laid, run.begin);
  const size_t last = i + 1 < runs ? PieceAtStation(laid, laid.runs[i + 1].begin) - 1 : n - 1;
  // How far along the run, from its end, a corner's centre stands.
  const auto along = [](Point m, Point from, Point u) {
    return (m.x - from.x) * u.x + (m.y - from.y) * u.y;
  };
  if (row.corner.on && (i > 0 || closed)) {
    const PathPiece& before = pieces[(first + n - 1) % n];
    const PathPiece& after = pieces[first];
    const Point arriving = PieceTangent(before, before.length);
    room.corner = true;
    room.cornerAt = OffsetsMeet(before, after, k);
    room.cornerAngle = LineAngle(arriving.x, arriving.y);
    room.startEdge =
        run.begin + along(room.cornerAt, after.from, PieceTangent(after, 0)) + halfCorner;
    room.from = room.startEdge + d;
  } else if (row.startCap.on && i == 0 && !closed) {
    room.startCap = true;
    room.startEdge = run.begin + row.startCap.width;
    room.from = room.startEdge + d;
  }
  if (row.corner.on && (i + 1 < runs || closed)) {
    const PathPiece& before = pieces[last];
    const Point m = OffsetsMeet(before, pieces[(last + 1) % n], k);
    room.endCorner = true;
    room.endEdge = run.end + along(m, before.to, PieceTangent(before, before.length)) - halfCorner;
    room.to = room.endEdge - d;
  } else if (row.endCap.on && i + 1 == runs && !closed) {
    room.endCap = true;
    room.endEdge = run.end - row.endCap.width;
    room.to = room.endEdge - d;
  }
  return room;
}

}  // namespace

SegmentRoom RunRooms::Next() {
  const size_t runs = laid_.runs.size();
  const size_t i = next_++;
  const SegmentRoom room = following_ ? *following_ : AllPiecesRoom(row_, laid_, i);
  following_.reset();
  if (i == 0) first_ = room;
  // The corner pieces it shares with the runs before and after it.
  std::optional<SegmentRoom> before;
  if (room.corner) before = i > 0 ? previous_ : AllPiecesRoom(row_, laid_, runs - 1);
  if (room.endCorner) following_ = i + 1 < runs ? AllPiecesRoom(row_, laid_, i + 1) : first_;
  previous_ = room;
  return FitRoom(room, before ? &*before : nullptr, following_ ? &*following_ : nullptr);
}

CopyCount PathCopies(const LayoutRow& row, const LaidPath& laid) {
  CopyCount total;
  if (!row.HasEndFigures()) {
    for (const PathRun& run : laid.runs) total.Add(PlanPathRun(row, laid, run));
  } else if (IsOneLine(laid.path)) {
    const Point ends[2] = {laid.path.pieces[0].from, laid.path.pieces[0].to};
    const SegmentRoom room = RoomOf(row, ends, 1);
    total.Add(PlanRoom(row, room), &room);
  } else {
    RunRooms rooms(row, laid);
    for (size_t i = 0; i < laid.runs.size(); ++i) {
      const SegmentRoom room = rooms.Next();
      total.Add(PlanRoom(row, room), &room);
    }
  }
  return total;
}

namespace {

// The layout of one path. The figures and gaps go along it in order: each point on an ellipse
// is measured from the one before.
class PathLayout {
 public:
  PathLayout(const LayoutRow& row, const LaidPath& laid, PathSink& sink)
      : row_(row), laid_(laid), sink_(sink), distances_(RailDistances(row)), rooms_(row, laid) {}

  // Run i, after those before it.
  void Run(size_t i) {
    const PathRun& run = laid_.runs[i];
    if (row_.HasEndFigures()) {
      RunBetweenPieces(run, rooms_.Next());
      return;
    }
    const RunPlan plan = PlanPathRun(row_, laid_, run);
    if (const PathPiece* line = StraightRun(laid_, run)) {
      LayoutStraightRun(row_, plan, line->from, line->to, sink_);
      return;
    }
    sink_.Attributes();
    if (run.closed) {
      ClosedRun(run, plan);
    } else {
      OpenRun(run, plan);
    }
  }

 private:
  // A run with corner pieces or caps at its ends: they stand first, and the copies run between
  // them, the gap rails reaching them.
  void RunBetweenPieces(const PathRun& run, const SegmentRoom& room) {
    const RunPlan plan = PlanRoom(row_, room);
    sink_.Attributes();
    if (room.startCap) {
      Place(run, FigureSlot::kStart, row_.startCap.width, 1, run.begin + row_.startCap.width / 2);
    }
    if (room.corner) {
      sink_.Figure(FigureSlot::kCorner, room.cornerAt.x, room.cornerAt.y, room.cornerAngle, 1);
      sink_.Attributes();
    }
    if (plan.count > 0) {
      GapRails(room.startEdge, room.from);
      if (const PathPiece* line = StraightRun(laid_, run)) {
        const Point u = UnitOf(line->to.x - line->from.x, line->to.y - line->from.y, {1, 0});
        LayoutStraightRun(row_, plan, Along(line->from, room.from - run.begin, u),
                          Along(line->from, room.to - run.begin, u), sink_);
      } else {
        OpenRun({room.from, room.to, false}, plan);
      }
      GapRails(room.to, room.endEdge);
    } else {
      GapRails(room.startEdge, room.endEdge);
    }
    if (room.endCap) {
      Place(run, FigureSlot::kEnd, row_.endCap.width, 1, room.endEdge + row_.endCap.width / 2);
    }
  }

  void GapRails(double s0, double s1) {
    if (!(s1 - s0 > kEpsilon)) return;
    const std::vector<PathPiece> span = SubPath(laid_, s0, s1, &mark_);
    for (int k = 0; k < 3; ++k) {
      if (row_.lineModes[k] != LineMode::kGaps) continue;
      EmitRail(span, false, distances_[k], sink_);
    }
  }

  // A figure stands on the chord between the ends of its box, centred across at half its
  // height above the base line.
  void FigureAt(const PathRun& run, const RunPlan& plan, int64_t k, double s) {
    Place(run, plan.IsAlternate(k) ? FigureSlot::kAlternate : FigureSlot::kMain, plan.WidthOf(k),
          plan.scale, s);
  }

  // A figure `w` wide along the run, centred at arc length s, stretched by `stretch`.
  void Place(const PathRun& run, FigureSlot slot, double w, double stretch, double s) {
    double a = s - w / 2;
    double b = s + w / 2;
    if (!run.closed) {
      a = std::clamp(a, run.begin, run.end);
      b = std::clamp(b, run.begin, run.end);
    }
    const Point p = PathAt(laid_, a, &mark_);
    const Point q = PathAt(laid_, b, &mark_);
    Point u = UnitOf(q.x - p.x, q.y - p.y, {0, 0});
    if (u.x == 0 && u.y == 0) {
      // A figure too narrow for a chord turns with the path's tangent.
      const Point t0 = PathAt(laid_, s, &mark_);
      const Point t1 = PathAt(laid_, s + 1e-6, &mark_);
      u = UnitOf(t1.x - t0.x, t1.y - t0.y, {1, 0});
    }
    const Point mid{(p.x + q.x) / 2, (p.y + q.y) / 2};
    const Point centre = Along(mid, row_.height / 2 - row_.referenceOffset, LeftOf(u));
    const double angle = LineAngle(u.x, u.y);
    // Bent only where the copy lies whole along the run and spans a curve or a joint where the
    // path turns: on one straight piece the chord is the path.
    if (row_.bend && slot != FigureSlot::kCorner && NearlyEqual(b - a, w)) {
      const BentBox box(laid_, a, w, row_.height, row_.referenceOffset, centre, angle);
      if (box.Curved() || box.Turns()) {
        if (!box.Folds()) {
          sink_.BentFigure(slot, box, stretch);
          sink_.Attributes();
          return;
        }
        sink_.NotBent();
      }
    }
    sink_.Figure(slot, centre.x, centre.y, angle, stretch);
    sink_.Attributes();
  }

  void ClosedRun(const PathRun& run, const RunPlan& plan) {
    const double n = plan.count;
    if (!(n >= 1)) {
      // No figure fits: the gap lines go all the way round.
      for (int k = 0; k < 3; ++k) {
        if (row_.lineModes[k] == LineMode::kGaps) {
          EmitRail(laid_.path.pieces, true, distances_[k], sink_);
        }
      }
      return;
    }
    for (double j = 0; j < n; ++j) {
      const int64_t k = static_cast<int64_t>(j);
      const double w = plan.WidthOf(k);
      const double start = run.begin + plan.Offset(j);
      FigureAt(run, plan, k, start + w / 2);
      const double next = j + 1 < n ? run.begin + plan.Offset(j + 1) : run.end;
      GapRails(start + w, next);
    }
  }

  void OpenRun(const PathRun& run, const RunPlan& plan) {
    const int64_t n = static_cast<int64_t>(plan.count);
    double f = run.begin + plan.gap;
    double e = run.begin;
    if (!NearlyEqual(plan.gap, 0)) GapRails(run.begin, f);
    for (int64_t j = 1; j <= n; ++j) {
      const double w = plan.WidthOf(j - 1);
      FigureAt(run, plan, j - 1, f + w / 2);
      e = f + w;
      f += plan.StepAfter(j - 1);
      if (!NearlyEqual(plan.interval, 0) && j < n) GapRails(e, f);
    }
    if (!NearlyEqual(plan.gap, 0)) GapRails(e, run.end);
  }

  const LayoutRow& row_;
  const LaidPath& laid_;
  PathSink& sink_;
  const std::array<double, 3> distances_;
  RunRooms rooms_;
  ArcMark mark_;
};

}  // namespace

void LayoutPath(const LayoutRow& row, const LaidPath& laid, PathSink& sink) {
  if (!row.Draws()) return;
  const Path& path = laid.path;
  if (path.pieces.empty()) return;
  // A path that is one open line is a two-point segment, full-length lines and all.
  if (IsOneLine(path)) {
    const Point ends[2] = {path.pieces[0].from, path.pieces[0].to};
    LayoutSegment(row, ends, 1, sink, INFINITY);
    return;
  }
  PathLayout layout(row, laid, sink);
  for (size_t i = 0; i < laid.runs.size(); ++i) layout.Run(i);
  // The full-length lines are the path's rails, joined where it turns.
  sink.Attributes();
  const std::array<double, 3> distances = RailDistances(row);
  for (int k = 0; k < 3; ++k) {
    if (row.lineModes[k] != LineMode::kFullLength) continue;
    EmitRail(path.pieces, path.closed, distances[k], sink);
  }
}

}  // namespace gara
