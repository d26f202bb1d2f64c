#include "pattern/draw_path.h"

#include <cmath>

#include "pattern/emitting_sink.h"
#include "pattern/path_layout.h"

namespace gara {

namespace {

DrawEstimate Estimate(const DrawInputs& inputs, const LayoutRow& row,
                      const std::vector<LaidPath>& laid, FigurePlacer& placer) {
  const LineCounts lines = CountLines(row);
  double figures = 0;
  double lineBytes = 0;
  for (const LaidPath& path : laid) {
    const double count = PathFigureCount(row, path);
    figures += count;
    // A rail piece is a line or an arc of about a line's size; the joins add one at most.
    const double pieces = static_cast<double>(path.path.pieces.size());
    lineBytes += (lines.fullLength * 2 * pieces + lines.gaps * (count + 2 * pieces) +
                  EllipseRailLines(row, path, count)) *
                 kLineRecordBytes;
  }
  Point at{};
  double angle = 0;
  if (!laid.empty() && !laid[0].path.pieces.empty()) {
    const PathPiece& piece = laid[0].path.pieces[0];
    at = piece.from;
    const Point t = PieceTangent(piece, 0);
    angle = std::atan2(t.y, t.x);
  }
  return EstimateCopies(inputs, row, placer, figures, lineBytes, at, angle);
}

}  // namespace

DrawEstimate EstimatePathDrawing(const DrawInputs& inputs, const std::vector<Path>& paths) {
  std::vector<LaidPath> laid;
  laid.reserve(paths.size());
  for (const Path& path : paths) laid.push_back(PlanRuns(path));
  FigurePlacer placer(inputs.fs, inputs.programDir, inputs.run);
  return Estimate(inputs, ResolveRow(inputs.row), laid, placer);
}

DrawResult DrawPathPattern(const DrawInputs& inputs, CommandWriter& out,
                           const std::vector<Path>& paths) {
  const LayoutRow row = ResolveRow(inputs.row);
  std::vector<LaidPath> laid;
  laid.reserve(paths.size());
  for (const Path& path : paths) laid.push_back(PlanRuns(path));
  FigurePlacer placer(inputs.fs, inputs.programDir, inputs.run);
  // Count first, so that a run over the limits draws nothing rather than part of itself.
  const DrawResult verdict = Estimate(inputs, row, laid, placer).Verdict();
  if (verdict != DrawResult::kDrawn) return verdict;
  EmittingSink sink(out, inputs.run, placer);
  for (const LaidPath& path : laid) LayoutPath(row, path, sink);
  return DrawResult::kDrawn;
}

}  // namespace gara
