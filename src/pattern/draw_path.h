// Drawing run "4": the selected pattern along the paths of the selected lines, arcs and circles.
#pragma once

#include <vector>

#include "pattern/draw.h"
#include "pattern/path.h"

namespace gara {

// Lays out the pattern along each path in turn and emits it through `out`. Past either limit of
// DrawPattern nothing is emitted; the caller then writes no drawing at all. `report`, when
// given, receives the counts in every case.
[[nodiscard]] DrawResult DrawPathPattern(const DrawInputs& inputs, CommandWriter& out,
                                         const std::vector<Path>& paths,
                                         DrawReport* report = nullptr);

}  // namespace gara
