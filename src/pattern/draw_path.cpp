#include "pattern/draw_path.h"

#include "pattern/emitting_sink.h"
#include "pattern/path_layout.h"

namespace gara {

DrawResult DrawPathPattern(const DrawInputs& inputs, CommandWriter& out,
                           const std::vector<Path>& paths, DrawReport* report) {
  const LayoutRow row = ResolveRow(inputs.row);
  std::vector<LaidPath> laid;
  laid.reserve(paths.size());
  // Count first, so that a run over the limits draws nothing rather than part of itself.
  double figures = 0;
  for (const Path& path : paths) {
    laid.push_back(PlanRuns(path));
    figures += PathFigureCount(row, laid.back());
  }
  FigurePlacer placer(inputs.fs, inputs.programDir, inputs.run);
  const DrawResult limits = CheckRunLimits(row, placer, figures, report);
  if (limits != DrawResult::kDrawn) return limits;
  EmittingSink sink(out, inputs.run, placer);
  for (const LaidPath& path : laid) LayoutPath(row, path, sink);
  return DrawResult::kDrawn;
}

}  // namespace gara
