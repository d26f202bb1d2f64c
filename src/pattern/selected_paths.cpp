#include "pattern/selected_paths.h"

#include <cmath>
#include <utility>

#include "geom/extents.h"
#include "util/portable_math.h"

namespace gara {

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
      const ArcEntity& e = entities.arcs[ref.index];
      // Angles taken within a turn: an end angle of 360100 is the same arc as one of 100, and
      // the sweep of an arc is never more than one turn (a sweep of many turns would be
      // measured turn after turn for every figure).
      const double startDeg = std::fmod(e.startAngle, 360.0);
      const ArcSweep sweep = NormalizeArcSweepDeg(startDeg, std::fmod(e.endAngle, 360.0));
      pieces.push_back(ArcPiece({e.x, e.y}, e.r, e.flatness, DegToRad(e.tilt), DegToRad(startDeg),
                                sweep.closed ? kTwoPi : DegToRad(sweep.sweepDeg)));
    }
  }
  return pieces;
}

std::vector<Path> SelectedPaths(const SelectedEntities& entities) {
  std::vector<PathPiece> pieces = SelectedPieces(entities);
  const double tolerance = ChainTolerance(pieces);
  return ChainPieces(std::move(pieces), tolerance);
}

Chains TakeSelectedChains(SelectedEntities& entities) {
  std::vector<PathPiece> pieces = SelectedPieces(entities);
  entities = SelectedEntities{};
  const double tolerance = ChainTolerance(pieces);
  return Chains(std::move(pieces), tolerance);
}

}  // namespace gara
