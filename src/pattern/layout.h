// Segment layout: how many copies of the figure fit between two designated points, where each
// stands, and which top, middle and bottom lines go with them. The layout only computes; it
// hands its steps, in output order, to a sink that writes them (or records them in tests).
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "geom/geometry.h"
#include "pattern/pattern_row.h"
#include "pattern/run_plan.h"

namespace gara {

// Which of a row's figures a copy is: its own, the alternate between its own, the corner piece
// at a corner of a path, or the cap at its start or end.
enum class FigureSlot : uint8_t { kMain, kAlternate, kCorner, kStart, kEnd };
inline constexpr size_t kFigureSlots = 5;

// Receives the layout of a segment in output order.
class LayoutSink {
 public:
  virtual ~LayoutSink() = default;
  // The five attribute commands of the writing attributes.
  virtual void Attributes() = 0;
  // One copy of a figure: the centre of its box, the segment angle in radians, and the
  // stretch of the copy along the segment (1 unless the row stretches its copies).
  virtual void Figure(FigureSlot slot, double x, double y, double angle, double stretch) = 0;
  virtual void Line(double x1, double y1, double x2, double y2) = 0;
};

// What stands at the ends of a segment besides its copies when the row has corner pieces or
// caps, and the part of the segment they leave to the copies; by distance along the segment
// from its first point.
struct SegmentRoom {
  double begin = 0;  // the segment
  double end = 0;
  double from = 0;  // the copies' run
  double to = 0;
  double startEdge = 0;    // where the piece at the start ends and the one at the end begins: the
  double endEdge = 0;      // gap lines reach them, never into them
  bool corner = false;     // a corner piece at the segment's start
  Point cornerAt;          // its centre, where the middle lines of the segments meet
  double cornerAngle = 0;  // the direction in which the path arrives there
  bool startCap = false;
  bool endCap = false;
  bool endCorner = false;  // a corner piece at its end, drawn with the next segment
  // The pieces at its ends left out, as they do not fit (FitRoom), by slot; a corner piece is
  // counted with the segment it starts.
  std::array<bool, kFigureSlots> leftOut{};

  double Pieces() const { return double(corner) + double(startCap) + double(endCap); }
};

// The one rule for corner pieces and caps that do not fit their run, in every run mode. Each
// piece takes its room from its end of the run inwards (a cap its width, a corner piece half
// its width past the corner's centre); a piece whose room passes the other end of the run does
// not fit, and neither do two pieces that each fit alone but overlap. A corner piece stands on
// two runs and must fit both. A piece that does not fit is left out (and the user told), and
// the copies then reach that end of the run as they would without it.
struct EndsFit {
  bool start = true;
  bool end = true;
};
EndsFit FitEnds(const SegmentRoom& room);
// `room` (with every piece the row puts there) without the pieces that do not fit; `before` and
// `after` are the rooms of the runs that share its corner pieces, when it has them.
SegmentRoom FitRoom(SegmentRoom room, const SegmentRoom* before, const SegmentRoom* after);
// Copies counted before a layout.
struct CopyCount {
  double figures = 0;
  // Of them, the copies of each figure but the row's own (the alternate, corner pieces, caps).
  std::array<double, kFigureSlots> others{};
  // The corner pieces and caps left out as they do not fit their runs, by slot.
  std::array<double, kFigureSlots> leftOut{};

  // A run's copies, and the pieces at its ends when there is a room.
  void Add(const RunPlan& plan, const SegmentRoom* room = nullptr);
};

// The room of segment j of the list (see LayoutSegment). Corner pieces stand at every inner
// point and at the first point of a closed list; caps at the ends of an open list.
SegmentRoom RoomOf(const LayoutRow& row, std::span<const Point> points, int j);
// The copies the room leaves space for.
RunPlan PlanRoom(const LayoutRow& row, const SegmentRoom& room);

// Lays out one straight run from p to q: the five attributes, then the copies of the row's
// figure as `plan` places them, each followed by the attributes, and the lines the row draws in
// the gaps. A segment of modes "1" and "2" and a straight run of a path are laid out alike.
void LayoutStraightRun(const LayoutRow& row, const RunPlan& plan, Point p, Point q,
                       LayoutSink& sink);

// Lays out the segment from points[j - 1] to points[j] (designated points j and j + 1, the
// list holding designated points 1..c). Full-length lines meet the same line of the previous
// and next segments; the list counts as closed when its first and last points coincide.
// A segment asking for more than `maxFigures` copies is left out entirely.
void LayoutSegment(const LayoutRow& row, std::span<const Point> points, int j, LayoutSink& sink,
                   double maxFigures);

}  // namespace gara
