// Paths the path tests share.
#pragma once

#include <vector>

#include "geom/path.h"

namespace gara::testing {

// A rounded rectangle 100 x 60 with corners of radius 10, counter-clockwise from (10, 0).
inline std::vector<PathPiece> RoundedRectangle() {
  const Point c[4] = {{90, 10}, {90, 50}, {10, 50}, {10, 10}};
  return {
      LinePiece({10, 0}, {90, 0}),     ArcPiece(c[0], 10, 1, 0, -kPi / 2, kPi / 2),
      LinePiece({100, 10}, {100, 50}), ArcPiece(c[1], 10, 1, 0, 0, kPi / 2),
      LinePiece({90, 60}, {10, 60}),   ArcPiece(c[2], 10, 1, 0, kPi / 2, kPi / 2),
      LinePiece({0, 50}, {0, 10}),     ArcPiece(c[3], 10, 1, 0, kPi, kPi / 2),
  };
}

// The lines joining the points in turn.
inline std::vector<PathPiece> Polyline(const std::vector<Point>& points) {
  std::vector<PathPiece> lines;
  for (size_t i = 1; i < points.size(); ++i) lines.push_back(LinePiece(points[i - 1], points[i]));
  return lines;
}

}  // namespace gara::testing
