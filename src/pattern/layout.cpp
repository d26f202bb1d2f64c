#include "pattern/layout.h"

#include <cmath>
#include <cstdint>

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

// The full-length line k of segment j, its ends moved to where it meets the same line of the
// previous and next segments.
void FullLengthLine(const LayoutRow& row, std::span<const Point> points, int j, int k,
                    LayoutSink& sink) {
  const int c = static_cast<int>(points.size());
  const Point p = points[j - 1];
  const Point q = points[j];
  const Point u = Direction(q.x - p.x, q.y - p.y);
  const Point up{-u.y, u.x};
  const double r = row.referenceOffset;
  const double height = LineHeights(row)[k];
  const Point s = Along(Along(p, -r, up), height, up);
  const Point t = Along(Along(q, -r, up), height, up);
  Point start = s;
  Point end = t;
  if (c > 2) {
    const bool closed = NearlySamePoint(points[0].x, points[0].y, points[c - 1].x, points[c - 1].y);
    const double offset = height - r;  // the neighbour's line above its own segment
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
    if (j > 1) {
      corner(points[j - 2], points[j - 1], start);
    } else if (closed) {
      corner(points[c - 2], points[0], start);
    }
    if (j < c - 1) {
      corner(points[j], points[j + 1], end);
    } else if (closed) {
      corner(points[0], points[1], end);
    }
  }
  sink.Line(start.x, start.y, end.x, end.y);
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
  const std::array<double, 3> heights = LineHeights(row);

  auto gapLines = [&](Point from, Point to) {
    for (int k = 0; k < 3; ++k) {
      if (row.lineModes[k] != LineMode::kGaps) continue;
      const Point a = Along(from, heights[k], up);
      const Point b = Along(to, heights[k], up);
      sink.Line(a.x, a.y, b.x, b.y);
    }
  };

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

void LayoutSegment(const LayoutRow& row, std::span<const Point> points, int j, LayoutSink& sink,
                   double maxFigures) {
  const int c = static_cast<int>(points.size());
  if (j < 1 || j >= c) return;
  if (!row.Draws()) return;
  const Point p = points[j - 1];
  const Point q = points[j];
  const RunPlan plan = PlanRun(row, Distance(p.x, p.y, q.x, q.y), RunEnds::kOpen);
  if (!(plan.count <= maxFigures)) return;
  LayoutStraightRun(row, plan, p, q, sink);
  for (int k = 0; k < 3; ++k) {
    if (row.lineModes[k] == LineMode::kFullLength) FullLengthLine(row, points, j, k, sink);
  }
}

}  // namespace gara
