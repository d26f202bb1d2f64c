#include "pattern/selected_paths.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "geom/extents.h"
#include "util/portable_math.h"

namespace gara {

namespace {

// Whether an arc keeps within its precision of its chord. A curve whose curvature is at most k
// keeps within k L^2 / 8 of its chord; an ellipse's curvature is at most its larger semi-axis
// over the square of its smaller one.
bool Straight(const PathPiece& arc) {
  if (!(arc.radius > 0 && arc.flatness > 0)) return false;  // no arc at all: left to the chaining
  const double major = arc.radius * std::max(1.0, arc.flatness);
  const double minor = arc.radius * std::min(1.0, arc.flatness);
  const double apart = arc.length * arc.length / 8 * major / (minor * minor);
  return apart <= PiecePrecision(arc);
}

// An arc entity as a piece, taken by its own ends. Angles are taken within a turn: an end angle
// of 360100 is the same arc as one of 100, and the sweep of an arc is never more than one turn (a
// sweep of many turns would be measured turn after turn for every figure). Angles within 1e-8
// degrees of each other name the whole ellipse only where its ends are one point: an arc of
// radius 1e12 sweeps 100 mm in less than that. An arc straight within its precision is a line.
PathPiece ArcPieceOf(const ArcEntity& e) {
  const double startDeg = std::fmod(e.startAngle, 360.0);
  const double endDeg = std::fmod(e.endAngle, 360.0);
  double sweepDeg = endDeg - startDeg;
  if (sweepDeg < 0) sweepDeg += 360;
  const double tilt = DegToRad(e.tilt);
  const double start = DegToRad(startDeg);
  if (NormalizeArcSweepDeg(startDeg, endDeg).closed) {
    // Its ends, without the measure of its length.
    PathPiece ends;
    ends.kind = PathPiece::Kind::kArc;
    ends.centre = {e.x, e.y};
    ends.radius = e.r;
    ends.flatness = e.flatness;
    ends.from = EllipsePoint(e.x, e.y, e.r, e.flatness, tilt, start);
    ends.to = EllipsePoint(e.x, e.y, e.r, e.flatness, tilt, start + DegToRad(sweepDeg));
    if (!(Distance(ends.from.x, ends.from.y, ends.to.x, ends.to.y) > PiecePrecision(ends))) {
      return ArcPiece({e.x, e.y}, e.r, e.flatness, tilt, start, kTwoPi);
    }
  }
  const PathPiece arc = ArcPiece({e.x, e.y}, e.r, e.flatness, tilt, start, DegToRad(sweepDeg));
  return Straight(arc) ? LinePiece(arc.from, arc.to) : arc;
}

}  // namespace

std::vector<PathPiece> SelectedPieces(const SelectedEntities& entities) {
  std::vector<PathPiece> pieces;
  pieces.reserve(entities.lines.size() + entities.circles.size() + entities.arcs.size());
  for (const EntityRef& ref : entities.order) {
    if (ref.type == EntityType::kLine) {
      const LineEntity& e = entities.lines[ref.index];
      pieces.push_back(LinePiece({e.x1, e.y1}, {e.x2, e.y2}));
    } else if (ref.type == EntityType::kCircle) {
      const CircleEntity& e = entities.circles[ref.index];
      pieces.push_back(ArcPiece({e.x, e.y}, e.r, 1, 0, 0, kTwoPi));
    } else if (ref.type == EntityType::kArc) {
      pieces.push_back(ArcPieceOf(entities.arcs[ref.index]));
    }
  }
  return pieces;
}

std::vector<Path> SelectedPaths(const SelectedEntities& entities) {
  return ChainPieces(SelectedPieces(entities));
}

Chains TakeSelectedChains(SelectedEntities& entities) {
  std::vector<PathPiece> pieces = SelectedPieces(entities);
  entities = SelectedEntities{};
  return Chains(std::move(pieces));
}

}  // namespace gara
