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

// The same paths, to be taken one by one. The entities are emptied once their pieces are made:
// a selection of millions is not held three times over.
Chains TakeSelectedChains(SelectedEntities& entities);

}  // namespace gara
