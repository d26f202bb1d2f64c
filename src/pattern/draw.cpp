#include "pattern/draw.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>

#include "pattern/emitting_sink.h"
#include "pattern/layout.h"
#include "pattern/place_figure.h"
#include "util/geometry.h"

namespace gara {

void EmitWritingAttributes(const RunContext& run, CommandWriter& out) {
  out.EmitLayerGroup(run.writingLayerGroup);
  out.EmitLayer(run.writingLayer);
  out.EmitLineColour(run.writingColour);
  out.EmitLineType(run.writingLineType);
  out.EmitLineWidth(run.writingLineWidth);
}

bool WithinEntityLimit(FigurePlacer& placer, int32_t kind, double figures) {
  if (!(figures > 0)) return true;
  const FigureModel* model = placer.Model(kind);
  const double entities = model ? figures * static_cast<double>(model->entityCommands) : 0;
  return entities <= static_cast<double>(kMaxFigureEntitiesPerRun);
}

bool DrawPattern(const DrawInputs& inputs, CommandWriter& out, int pointCount,
                 bool skipCoincident) {
  const LayoutRow row = ResolveRow(inputs.settings);
  const int c = std::clamp(pointCount, 0, kMaxDesignatedPoints);
  std::array<Point, kMaxDesignatedPoints> store{};
  for (int i = 0; i < c; ++i) {
    const DesignatedPoint& dp = inputs.state.designatedPoints[i + 1];
    store[i] = {dp.x, dp.y};
  }
  const std::span<const Point> points(store.data(), static_cast<size_t>(c));
  auto laidOut = [&](int j) {
    const Point a = points[j - 1];
    const Point b = points[j];
    return !(skipCoincident && NearlySamePoint(a.x, a.y, b.x, b.y));
  };

  // Count first, so that a run over the limits draws nothing rather than part of itself.
  const double maxFigures = static_cast<double>(kMaxFiguresPerRun);
  double figures = 0;
  for (int j = 1; j < c; ++j) {
    if (!laidOut(j)) continue;
    figures += SegmentFigureCount(row, points[j - 1], points[j]);
    if (!(figures <= maxFigures)) return false;
  }
  FigurePlacer placer(inputs.fs, inputs.programDir, inputs.run);
  if (!WithinEntityLimit(placer, row.figureKind, figures)) return false;

  EmittingSink sink(out, inputs.run, placer);
  for (int j = 1; j < c; ++j) {
    if (laidOut(j)) LayoutSegment(row, points, j, sink, maxFigures);
  }
  return true;
}

}  // namespace gara
