// Drawing run "4": the selected pattern along the paths of the selected lines, arcs and circles.
#pragma once

#include <vector>

#include "pattern/draw.h"
#include "pattern/path.h"

namespace gara {

// Lays out the pattern along each path in turn and emits it through `out`. Returns false,
// having emitted nothing, when the run would exceed kMaxFiguresPerRun or
// kMaxFigureEntitiesPerRun; the caller then writes no drawing at all.
bool DrawPathPattern(const DrawInputs& inputs, CommandWriter& out, const std::vector<Path>& paths);

}  // namespace gara
