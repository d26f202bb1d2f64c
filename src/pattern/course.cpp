#include "pattern/course.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace gara {

namespace {

// The five writing attributes before the lines of a segment.
constexpr double kAttributeBytes = 5 * 16;

// Counts the copies a layout places unbent because they would fold, and how sharply the
// pieces curve under those it bends.
class FoldCounter final : public PathSink {
 public:
  void Attributes() override {}
  void Figure(FigureSlot, double, double, double, double) override {}
  void Line(double, double, double, double) override {}
  void Arc(double, double, double, double, double) override {}
  void Circle(double, double, double) override {}
  void BentFigure(FigureSlot, const BentBox& box, double) override { reach.Add(box.Reach()); }
  void NotBent() override { ++count; }

  double count = 0;
  BendReach reach;
};

// The stretch of the most stretched copies along the path.
double MostStretch(const LayoutRow& row, const LaidPath& laid) {
  double most = 1;
  RunRooms rooms(row, laid);
  for (size_t i = 0; i < laid.runs.size(); ++i) {
    const RunPlan plan =
        row.HasEndFigures() ? PlanRoom(row, rooms.Next()) : PlanPathRun(row, laid, laid.runs[i]);
    if (std::isfinite(plan.scale)) most = std::max(most, plan.scale);
  }
  return most;
}

// What the copies along one path add to the count of a row that bends them: every copy of a
// path with a curve may bend (the corner pieces never do), as sharply as its sharpest curve that
// does not fold bends it, or as the part of an ellipse under it curves.
void CountBent(const LayoutRow& row, const LaidPath& laid, const CopyCount& copies,
               CourseCount& c) {
  BendReach reach;
  bool curved = false;
  bool folds = false;
  double shortest = INFINITY;
  for (const PathPiece& p : laid.path.pieces) {
    shortest = std::min(shortest, p.length);
    if (!p.IsArc()) continue;
    curved = true;
    if (PieceFolds(p, row.height, row.referenceOffset)) {
      folds = true;
    } else {
      reach.Add(PieceReach(p));
    }
  }
  // Or a copy may straddle a joint within a run where the path turns.
  const size_t n = laid.path.pieces.size();
  bool turns = false;
  for (size_t i = 1; i < n + (laid.path.closed ? 1 : 0); ++i) {
    const double turn = TurnAngle(laid.path.pieces[i - 1], laid.path.pieces[i % n]);
    turns = turns || (turn > 0 && turn <= kCornerTurn);
  }
  if (!curved && !turns) return;
  reach.stretch = MostStretch(row, laid);
  double widest = std::max({row.width, row.alternates ? row.alternateWidth : 0.0,
                            row.startCap.on ? row.startCap.width : 0.0,
                            row.endCap.on ? row.endCap.width : 0.0});
  widest *= reach.stretch;
  const double pieces = static_cast<double>(laid.path.pieces.size());
  // A copy w wide over pieces at least l long reaches into ceil(w / l) + 1 of them at most.
  reach.sections = std::min(pieces + 1, std::ceil(widest / shortest) + 1);
  c.reach.Add(reach);
  double mains = copies.figures;
  for (size_t slot = 1; slot < kFigureSlots; ++slot) {
    mains -= copies.others[slot];
    if (slot != static_cast<size_t>(FigureSlot::kCorner)) c.bent[slot] += copies.others[slot];
  }
  c.bent[0] += mains;
  // Which copies fold the layout alone knows; one beyond any limit is never laid out.
  if (folds && copies.figures < 1e7) {
    FoldCounter counter;
    LayoutPath(row, laid, counter);
    c.unbent += counter.count;
    // An ellipse that is too tight for copies at its ends may bend those along its flanks.
    c.reach.Add(counter.reach);
  }
}

}  // namespace

SegmentCourse::SegmentCourse(const DrawingState& state, int pointCount, bool skipCoincident)
    : count_(std::clamp(pointCount, 0, kMaxDesignatedPoints)), skip_(skipCoincident) {
  for (int i = 0; i < count_; ++i) {
    const DesignatedPoint& dp = state.designatedPoints[i + 1];
    points_[i] = {dp.x, dp.y};
    if (i == 0 || LaidOut(i)) merged_[merged_count_++] = points_[i];
  }
}

bool SegmentCourse::LaidOut(int j) const {
  const Point a = points_[j - 1];
  const Point b = points_[j];
  return !(skip_ && NearlySamePoint(a.x, a.y, b.x, b.y));
}

CourseCount SegmentCourse::Count(const LayoutRow& row) const {
  CourseCount c;
  double segments = 0;
  const bool pieces = row.HasEndFigures();
  const std::span<const Point> list = pieces ? Merged() : Points();
  CopyCount copies;
  for (int j = 1; j < static_cast<int>(list.size()); ++j) {
    if (!pieces && !LaidOut(j)) continue;
    if (pieces) {
      const SegmentRoom room = RoomOf(row, list, j);
      copies.Add(PlanRoom(row, room), &room);
    } else {
      const Point p = list[j - 1];
      const Point q = list[j];
      copies.Add(PlanRun(row, Distance(p.x, p.y, q.x, q.y), RunEnds::kOpen));
    }
    ++segments;
  }
  c.figures = copies.figures;
  c.others = copies.others;
  c.leftOut = copies.leftOut;
  const LineCounts lines = CountLines(row);
  c.lineBytes = c.figures * lines.gaps * kLineRecordBytes +
                segments * ((lines.gaps + lines.fullLength) * kLineRecordBytes + kAttributeBytes);
  return c;
}

void SegmentCourse::Lay(const LayoutRow& row, PathSink& sink) const {
  if (row.HasEndFigures()) {
    for (int j = 1; j < merged_count_; ++j) LayoutSegment(row, Merged(), j, sink, INFINITY);
    return;
  }
  for (int j = 1; j < count_; ++j) {
    if (LaidOut(j)) LayoutSegment(row, Points(), j, sink, INFINITY);
  }
}

PathCourse::PathCourse(std::vector<Path> paths) {
  laid_.reserve(paths.size());
  for (Path& path : paths) laid_.push_back(SplitRuns(std::move(path)));
}

PathCourse::PathCourse(Chains chains) {
  laid_.resize(chains.size());
  for (size_t i = laid_.size(); i-- > 0;) laid_[i] = SplitRuns(chains.TakeLast());
}

CourseCount PathCourse::Count(const LayoutRow& row) const {
  CourseCount c;
  const LineCounts lines = CountLines(row);
  for (const LaidPath& laid : laid_) {
    const CopyCount copies = PathCopies(row, laid);
    const double count = copies.figures;
    c.figures += count;
    for (size_t slot = 0; slot < kFigureSlots; ++slot) {
      c.others[slot] += copies.others[slot];
      c.leftOut[slot] += copies.leftOut[slot];
    }
    if (row.bend) CountBent(row, laid, copies, c);
    // A rail piece is a line or an arc of about a line's size; the joins add one at most.
    const double pieces = static_cast<double>(laid.path.pieces.size());
    c.lineBytes += (lines.fullLength * 2 * pieces + lines.gaps * (count + 2 * pieces) +
                    EllipseRailLines(row, laid, count)) *
                   kLineRecordBytes;
  }
  return c;
}

void PathCourse::Lay(const LayoutRow& row, PathSink& sink) const {
  for (const LaidPath& laid : laid_) LayoutPath(row, laid, sink);
}

}  // namespace gara
