// Drawing run "4": the selected pattern along the paths of the selected lines, arcs and circles.
#pragma once

#include <vector>

#include "geom/path.h"
#include "pattern/draw.h"

namespace gara {

// The estimate of DrawPathPattern with the same arguments.
DrawEstimate EstimatePathDrawing(const DrawInputs& inputs, const std::vector<Path>& paths);

// Lays out the pattern along each path in turn and emits it through `out`. Past any limit of
// the estimate nothing is emitted; the caller then writes no drawing at all.
[[nodiscard]] DrawResult DrawPathPattern(const DrawInputs& inputs, CommandWriter& out,
                                         const std::vector<Path>& paths);

}  // namespace gara
