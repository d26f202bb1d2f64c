// Segment layout: how many copies of the figure fit between two designated points, where each
// stands, and which top, middle and bottom lines go with them. The layout only computes; it
// hands its steps, in output order, to a sink that writes them (or records them in tests).
#pragma once

#include <cstdint>
#include <span>

#include "geom/geometry.h"
#include "pattern/pattern_row.h"
#include "pattern/run_plan.h"

namespace gara {

// Which of a row's figures a copy is.
enum class FigureSlot : uint8_t { kMain, kAlternate };

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
