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

Point Along(Point p, double k, Point dir) { return {p.x + k * dir.x, p.y + k * dir.y}; }

}  // namespace

Spacing SpacingOf(const LayoutRow& row, double length, int64_t n) {
  const double w = row.width;
  const double d = row.interval;
  const double nd = static_cast<double>(n);
  Spacing r{0.0, d};
  if (!row.evenSpacing) {
    r.gap = (length - (nd * w + (nd - 1) * d)) * 0.5;
  } else if (n == 1) {
    // One copy spread evenly over the segment stands in its middle, with the leftover length
    // split between the two ends as with spacing by interval (the even-spacing formula would
    // divide by n - 1 = 0 here).
    r.gap = (length - w) * 0.5;
  } else {
    r.step = d + (length - (nd * w + (nd - 1) * d)) / (nd - 1);
  }
  return r;
}

LayoutRow ResolveRow(const PatternRow* stored) {
  const PatternRow row = stored ? *stored : PatternRow{};
  LayoutRow r;
  r.figureKind = row.figureKind;
  r.width = row.width;
  r.height = row.height;
  r.evenSpacing = row.Spacing() == Arrangement::kEven;
  r.interval = row.interval;
  switch (row.Reference()) {
    case ReferencePoint::kTop:
      r.referenceOffset = row.height;
      break;
    case ReferencePoint::kBottom:
      r.referenceOffset = 0.0;
      break;
    case ReferencePoint::kMiddle:
      r.referenceOffset = row.height / 2;
      break;
  }
  r.lineModes = row.LineModes();
  r.checkSize = stored != nullptr;
  return r;
}

double SegmentFigureCount(const LayoutRow& row, Point p, Point q) {
  if (row.checkSize && !(row.width > kEpsilon && row.height > kEpsilon)) return 0;
  const double length = Distance(p.x, p.y, q.x, q.y);
  const double quotient = (length + row.interval) / (row.width + row.interval);
  // A negative interval beyond the width, or one that cancels it on a zero-length segment,
  // places nothing, like a segment too short for one copy.
  if (!(quotient >= 0)) return 0;
  return std::trunc(quotient);
}

void LayoutSegment(const LayoutRow& row, std::span<const Point> points, int j, LayoutSink& sink,
                   double maxFigures) {
  const int c = static_cast<int>(points.size());
  if (j < 1 || j >= c) return;
  if (row.checkSize && !(row.width > kEpsilon && row.height > kEpsilon)) return;
  const double count = SegmentFigureCount(row, points[j - 1], points[j]);
  if (!(count <= maxFigures)) return;

  const Point p = points[j - 1];
  const Point q = points[j];
  const double w = row.width;
  const double h = row.height;
  const double theta = LineAngle(q.x - p.x, q.y - p.y);
  const Point u = Direction(q.x - p.x, q.y - p.y);
  const Point up{-u.y, u.x};
  const double length = Distance(p.x, p.y, q.x, q.y);
  const int64_t n = static_cast<int64_t>(count);
  const Spacing spacing = SpacingOf(row, length, n);
  const double gap = spacing.gap;    // a: the end gap
  const double step = spacing.step;  // D': the interval between copies
  const double r = row.referenceOffset;
  const Point b1 = Along(p, -r, up);
  const Point b2 = Along(q, -r, up);
  const double heights[3] = {h, h / 2, 0.0};  // top, middle, bottom line above the base line

  auto gapLines = [&](Point from, Point to) {
    for (int k = 0; k < 3; ++k) {
      if (row.lineModes[k] != LineMode::kGaps) continue;
      const Point a = Along(from, heights[k], up);
      const Point b = Along(to, heights[k], up);
      sink.Line(a.x, a.y, b.x, b.y);
    }
  };

  sink.Attributes();
  Point f = Along(b1, gap, u);  // lower left corner of the next copy
  Point e = b1;                 // end of the last copy so far
  if (!NearlyEqual(gap, 0)) gapLines(b1, f);
  for (int64_t i = 1; i <= n; ++i) {
    const Point centre = Along(Along(f, w / 2, u), h / 2, up);
    sink.Figure(row.figureKind, centre.x, centre.y, theta);
    sink.Attributes();
    e = Along(f, w, u);
    f = Along(f, w + step, u);
    if (!NearlyEqual(step, 0) && i < n) gapLines(e, f);
  }
  if (!NearlyEqual(gap, 0)) gapLines(e, b2);

  // Full-length lines meet the same line of the neighbouring segments.
  const bool closed = NearlySamePoint(points[0].x, points[0].y, points[c - 1].x, points[c - 1].y);
  for (int k = 0; k < 3; ++k) {
    if (row.lineModes[k] != LineMode::kFullLength) continue;
    const Point s = Along(b1, heights[k], up);
    const Point t = Along(b2, heights[k], up);
    Point start = s;
    Point end = t;
    if (c > 2) {
      const double offset = heights[k] - r;  // the neighbour's line above its own segment
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
}

}  // namespace gara
