#include "pattern/draw.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>

#include "pattern/layout.h"
#include "pattern/place_figure.h"
#include "util/geometry.h"

namespace gara {

namespace {

// Writes the layout through the emitters; the lines and copies go in the writing attributes.
class EmittingSink final : public LayoutSink {
 public:
  EmittingSink(CommandWriter& out, const RunContext& run, FigurePlacer& placer)
      : out_(out), run_(run), placer_(placer) {}

  void Attributes() override { EmitWritingAttributes(run_, out_); }
  void Figure(int32_t kind, double x, double y, double angle) override {
    placer_.PlaceFigure(kind, x, y, angle, out_);
  }
  void Line(double x1, double y1, double x2, double y2) override {
    // Designated points near the limits of a double can push a line beyond them.
    if (std::isfinite(x1) && std::isfinite(y1) && std::isfinite(x2) && std::isfinite(y2)) {
      out_.EmitLine(x1, y1, x2, y2);
    }
  }

 private:
  CommandWriter& out_;
  const RunContext& run_;
  FigurePlacer& placer_;
};

}  // namespace

void EmitWritingAttributes(const RunContext& run, CommandWriter& out) {
  out.EmitLayerGroup(run.writingLayerGroup);
  out.EmitLayer(run.writingLayer);
  out.EmitLineColour(run.writingColour);
  out.EmitLineType(run.writingLineType);
  out.EmitLineWidth(run.writingLineWidth);
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
  DrawReport counted;
  counted.sizeZero = row.checkSize && !(row.width > kEpsilon && row.height > kEpsilon);
  for (int j = 1; j < c; ++j) {
    if (laidOut(j)) counted.figures += SegmentFigureCount(row, points[j - 1], points[j]);
  }
  FigurePlacer placer(inputs.fs, inputs.programDir, inputs.run);
  if (counted.figures > 0) {
    const FigureModel* model = placer.Model(row.figureKind);
    counted.figureMissing = !model || !model->present || model->entityCommands == 0;
    counted.records = model ? counted.figures * static_cast<double>(model->entityCommands) : 0;
  }
  if (report) *report = counted;
  const double maxFigures = static_cast<double>(kMaxFiguresPerRun);
  if (!(counted.figures <= maxFigures)) return DrawResult::kTooManyFigures;
  if (counted.records > static_cast<double>(kMaxFigureEntitiesPerRun)) {
    return DrawResult::kTooMuchOutput;
  }

  EmittingSink sink(out, inputs.run, placer);
  for (int j = 1; j < c; ++j) {
    if (laidOut(j)) LayoutSegment(row, points, j, sink, maxFigures);
  }
  return DrawResult::kDrawn;
}

}  // namespace gara
