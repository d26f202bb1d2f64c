// The paths run mode "4" draws along: the selected lines, arcs and circles, chained.
#pragma once

#include <vector>

#include "exchange/entities.h"
#include "geom/path.h"

namespace gara {

// The lines, arcs and circles of the selection as pieces in file order, every other entity
// left out.
std::vector<PathPiece> SelectedPieces(const SelectedEntities& entities);

// The selection's paths, as mode "4" draws them.
std::vector<Path> SelectedPaths(const SelectedEntities& entities);

}  // namespace gara
