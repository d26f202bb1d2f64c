// The pattern along a path of lines and arcs (run mode "4"): figures by arc length along each
// smooth stretch, and the rails as offsets of the path, joined where the path turns.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "geom/offset.h"
#include "geom/path.h"
#include "pattern/layout.h"

namespace gara {

class BentBox;

// A sink that can also draw circular arcs and circles, the offsets of arcs and circles.
class PathSink : public LayoutSink {
 public:
  // Counter-clockwise from startDeg to endDeg.
  virtual void Arc(double cx, double cy, double r, double startDeg, double endDeg) = 0;
  virtual void Circle(double cx, double cy, double r) = 0;
  // One copy bent along the path (a row that bends its figures, where the copy spans a curve);
  // a sink that cannot bend places it unbent, as the box says it stands.
  virtual void BentFigure(FigureSlot slot, const BentBox& box, double stretch);
  // The next copy would fold on the inside of a curve: it is placed unbent.
  virtual void NotBent() {}
};

// A joint where the path turns by more than this is a corner: the layout restarts there.
inline constexpr double kCornerTurn = kPi / 6;

// A stretch of the path between corners, by arc length from the start of the path.
struct PathRun {
  double begin = 0;
  double end = 0;
  bool closed = false;  // the whole of a closed path without corners

  RunEnds Ends() const { return closed ? RunEnds::kClosed : RunEnds::kOpen; }
};

// A path as the layout walks it: a closed path with corners starts at one of them.
struct LaidPath {
  Path path;
  std::vector<double> starts;  // the arc length at which each piece starts
  std::vector<PathRun> runs;
};
// The path split into its runs. It is taken by value: a caller that moves its path in has its
// pieces laid out where they are, never copied.
LaidPath SplitRuns(Path path);

// The point at arc length s along the path (wrapped around a closed path). `mark` carries the
// last point found on an elliptical piece from one call to the next (see PieceAt).
Point PathAt(const LaidPath& laid, double s, ArcMark* mark = nullptr);
// The pieces between arc lengths s0 < s1 (s1 may pass the end of a closed path).
std::vector<PathPiece> SubPath(const LaidPath& laid, double s0, double s1, ArcMark* mark = nullptr);

// The one open straight piece a run is, if it is one: it is laid out as a segment of modes "1"
// and "2" is.
const PathPiece* StraightRun(const LaidPath& laid, const PathRun& run);
// Where the copies of a run of the path stand.
RunPlan PlanPathRun(const LayoutRow& row, const LaidPath& laid, const PathRun& run);
// The copies the path asks for: its runs' counts summed.
CopyCount PathCopies(const LayoutRow& row, const LaidPath& laid);
inline double PathFigureCount(const LayoutRow& row, const LaidPath& laid) {
  return PathCopies(row, laid).figures;
}

// The rooms of the path's runs when the row has corner pieces or caps, one run after the other
// from the first, by arc length along the path: corner pieces at every corner (where a run
// starts after another, also round a closed path), caps at the ends of an open path, none on a
// closed run without corners; those that do not fit left out (FitRoom). Each run's pieces are
// worked out once, though whether a corner piece fits depends on the runs on both sides of it.
class RunRooms {
 public:
  RunRooms(const LayoutRow& row, const LaidPath& laid) : row_(row), laid_(laid) {}
  SegmentRoom Next();

 private:
  const LayoutRow& row_;
  const LaidPath& laid_;
  size_t next_ = 0;
  // Rooms with every piece the row puts there: of the first run, the one before and the one
  // after the next run, when known.
  SegmentRoom first_, previous_;
  std::optional<SegmentRoom> following_;
};

// The lines and arcs the row's rails draw along the path beyond those of a mode-2 segment's
// (one or two per piece, one per gap): the short lines of its ellipses.
double EllipseRailLines(const LayoutRow& row, const LaidPath& laid, double figures);

// Lays out the row along the path. A path that is one open line is laid out exactly as a
// two-point segment.
void LayoutPath(const LayoutRow& row, const LaidPath& laid, PathSink& sink);

}  // namespace gara
