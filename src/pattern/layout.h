// Segment layout: how many copies of the figure fit between two designated points, where each
// stands, and which top, middle and bottom lines go with them. The layout only computes; it
// hands its steps, in output order, to a sink that writes them (or records them in tests).
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "geom/geometry.h"
#include "pattern/pattern_row.h"

namespace gara {

// The pattern row a run draws with, resolved once.
struct LayoutRow {
  FigureKind figureKind = FigureKind::kSelected;
  double width = 10.0;
  double height = 10.0;
  bool evenSpacing = false;  // "均等配置"
  double interval = 0.0;
  double referenceOffset = 5.0;  // R: the height of the designated segment above the base line
  std::array<LineMode, 3> lineModes{};  // top, middle, bottom
  bool checkSize = true;  // a stored row is drawn only with a width and height above 1e-8
};

// The stored row a run draws with, or the defaults when no row 1..12 is selected (nullptr).
LayoutRow ResolveRow(const PatternRow* stored);

// Receives the layout of a segment in output order.
class LayoutSink {
 public:
  virtual ~LayoutSink() = default;
  // The five attribute commands of the writing attributes.
  virtual void Attributes() = 0;
  // One copy of the figure: the centre of its box and the segment angle in radians.
  virtual void Figure(FigureKind kind, double x, double y, double angle) = 0;
  virtual void Line(double x1, double y1, double x2, double y2) = 0;
};

// Where the n copies on a run of `length` stand: the end gap a before the first copy and the
// interval D' between copies.
struct Spacing {
  double gap;
  double step;
};
Spacing SpacingOf(const LayoutRow& row, double length, int64_t n);

// The number of copies on the segment from p to q: (L + D) / (W + D) truncated. Zero when the
// row draws nothing there or the quotient is negative or not a number; +infinity and other
// values beyond any run's limit are returned as they are, for the caller to refuse.
double SegmentFigureCount(const LayoutRow& row, Point p, Point q);

// Lays out the segment from points[j - 1] to points[j] (designated points j and j + 1, the
// list holding designated points 1..c). Full-length lines meet the same line of the previous
// and next segments; the list counts as closed when its first and last points coincide.
// A segment asking for more than `maxFigures` copies is left out entirely.
void LayoutSegment(const LayoutRow& row, std::span<const Point> points, int j, LayoutSink& sink,
                   double maxFigures);

}  // namespace gara
