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

DrawResult CheckRunLimits(const LayoutRow& row, FigurePlacer& placer, double figures,
                          DrawReport* report) {
  DrawReport counted;
  counted.figures = figures;
  counted.sizeZero = row.checkSize && !(row.width > kEpsilon && row.height > kEpsilon);
  if (figures > 0) {
    const FigureModel* model = placer.Model(row.figureKind);
    counted.figureMissing = !model || !model->present || model->entityCommands == 0;
    counted.records = model ? figures * static_cast<double>(model->entityCommands) : 0;
  }
  if (report) *report = counted;
  if (!(figures <= static_cast<double>(kMaxFiguresPerRun))) return DrawResult::kTooManyFigures;
  if (counted.records > static_cast<double>(kMaxFigureEntitiesPerRun)) {
    return DrawResult::kTooMuchOutput;
  }
  return DrawResult::kDrawn;
}

DrawResult DrawPattern(const DrawInputs& inputs, CommandWriter& out, int pointCount,
                       bool skipCoincident, DrawReport* report) {
  const LayoutRow row = ResolveRow(inputs.row);
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

  // Count first, so that a run over the limits draws nothing rather than part of itself. The
  // whole count is taken even past the limit: the user is told how many it would have been.
  double figures = 0;
  for (int j = 1; j < c; ++j) {
    if (laidOut(j)) figures += SegmentFigureCount(row, points[j - 1], points[j]);
  }
  FigurePlacer placer(inputs.fs, inputs.programDir, inputs.run);
  const DrawResult limits = CheckRunLimits(row, placer, figures, report);
  if (limits != DrawResult::kDrawn) return limits;

  EmittingSink sink(out, inputs.run, placer);
  for (int j = 1; j < c; ++j) {
    if (laidOut(j)) LayoutSegment(row, points, j, sink, static_cast<double>(kMaxFiguresPerRun));
  }
  return DrawResult::kDrawn;
}

}  // namespace gara
