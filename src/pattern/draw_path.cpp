#include "pattern/draw_path.h"

#include "pattern/emitting_sink.h"
#include "pattern/path_layout.h"

namespace gara {

bool DrawPathPattern(const DrawInputs& inputs, CommandWriter& out, const std::vector<Path>& paths) {
  const LayoutRow row = ResolveRow(inputs.settings);
  std::vector<LaidPath> laid;
  laid.reserve(paths.size());
  // Count first, so that a run over the limits draws nothing rather than part of itself.
  double figures = 0;
  for (const Path& path : paths) {
    laid.push_back(PlanRuns(path));
    figures += PathFigureCount(row, laid.back());
    if (!(figures <= static_cast<double>(kMaxFiguresPerRun))) return false;
  }
  FigurePlacer placer(inputs.fs, inputs.programDir, inputs.run);
  if (!WithinEntityLimit(placer, row.figureKind, figures)) return false;
  EmittingSink sink(out, inputs.run, placer);
  for (const LaidPath& path : laid) LayoutPath(row, path, sink);
  return true;
}

}  // namespace gara
