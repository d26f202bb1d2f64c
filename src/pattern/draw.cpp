#include "pattern/draw.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>

#include "geom/geometry.h"
#include "pattern/emitting_sink.h"
#include "pattern/layout.h"
#include "pattern/place_figure.h"

namespace gara {

namespace {

// The designated points of a run and the segments it lays out.
struct Segments {
  Segments(const DrawInputs& inputs, int pointCount, bool skipCoincident)
      : count(std::clamp(pointCount, 0, kMaxDesignatedPoints)), skip(skipCoincident) {
    for (int i = 0; i < count; ++i) {
      const DesignatedPoint& dp = inputs.state.designatedPoints[i + 1];
      store[i] = {dp.x, dp.y};
    }
  }
  std::span<const Point> points() const { return {store.data(), static_cast<size_t>(count)}; }
  bool LaidOut(int j) const {
    const Point a = store[j - 1];
    const Point b = store[j];
    return !(skip && NearlySamePoint(a.x, a.y, b.x, b.y));
  }

  int count;
  bool skip;
  std::array<Point, kMaxDesignatedPoints> store{};
};

// The five writing attributes before the lines of a segment.
constexpr double kAttributeBytes = 5 * 16;

DrawEstimate Estimate(const DrawInputs& inputs, const LayoutRow& row, const Segments& segments,
                      FigurePlacer& placer) {
  const std::span<const Point> points = segments.points();
  double figures = 0;
  double segmentCount = 0;
  Point first{}, second{};  // the first segment laid out
  for (int j = 1; j < segments.count; ++j) {
    if (!segments.LaidOut(j)) continue;
    figures += SegmentFigureCount(row, points[j - 1], points[j]);
    if (segmentCount++ == 0) {
      first = points[j - 1];
      second = points[j];
    }
  }
  const LineCounts lines = CountLines(row);
  const double lineBytes =
      figures * lines.gaps * kLineRecordBytes +
      segmentCount * ((lines.gaps + lines.fullLength) * kLineRecordBytes + kAttributeBytes);
  // One copy as it would be written halfway along the first segment: about the average copy.
  return EstimateCopies(inputs, row, placer, figures, lineBytes,
                        {first.x + (second.x - first.x) / 2, first.y + (second.y - first.y) / 2},
                        std::atan2(second.y - first.y, second.x - first.x));
}

}  // namespace

LineCounts CountLines(const LayoutRow& row) {
  LineCounts counts;
  for (const LineMode mode : row.lineModes) {
    counts.gaps += mode == LineMode::kGaps;
    counts.fullLength += mode == LineMode::kFullLength;
  }
  return counts;
}

DrawEstimate EstimateCopies(const DrawInputs& inputs, const LayoutRow& row, FigurePlacer& placer,
                            double figures, double lineBytes, Point at, double angle) {
  DrawEstimate estimate;
  estimate.maxBytes = inputs.maxOutputBytes;
  estimate.figures = figures;
  estimate.sizeZero = row.checkSize && !(row.width > kEpsilon && row.height > kEpsilon);
  estimate.bytes = lineBytes;
  if (!(figures > 0)) return estimate;
  const FigureModel* model = placer.Model(row.figureKind);
  estimate.figureMissing = !model || !model->present || model->entityCommands == 0;
  if (!model) return estimate;
  estimate.entities = figures * static_cast<double>(model->entityCommands);
  if (estimate.Verdict() != DrawResult::kDrawn) return estimate;
  // The copy is written with every attribute command, as the first copy is.
  OutputBuffer copy;
  CommandWriter writer(copy, inputs.state);
  ReplayFigure(*model, at.x, at.y, angle, writer);
  const double copyBytes =
      static_cast<double>(copy.bytes()) + 2.0 * static_cast<double>(copy.size());
  estimate.bytes += figures * copyBytes;
  return estimate;
}

DrawEstimate EstimateDrawing(const DrawInputs& inputs, int pointCount, bool skipCoincident) {
  FigurePlacer placer(inputs.fs, inputs.programDir, inputs.run);
  return Estimate(inputs, ResolveRow(inputs.row), Segments(inputs, pointCount, skipCoincident),
                  placer);
}

void EmitWritingAttributes(const RunContext& run, CommandWriter& out) {
  out.EmitLayerGroup(run.writing.layerGroup);
  out.EmitLayer(run.writing.layer);
  out.EmitLineColour(run.writing.colour);
  out.EmitLineType(run.writing.lineType);
  out.EmitLineWidth(run.writing.lineWidth);
}

DrawResult DrawPattern(const DrawInputs& inputs, CommandWriter& out, int pointCount,
                       bool skipCoincident) {
  const LayoutRow row = ResolveRow(inputs.row);
  const Segments segments(inputs, pointCount, skipCoincident);
  FigurePlacer placer(inputs.fs, inputs.programDir, inputs.run);
  // Count first, so that a run over the limits draws nothing rather than part of itself.
  const DrawResult verdict = Estimate(inputs, row, segments, placer).Verdict();
  if (verdict != DrawResult::kDrawn) return verdict;

  EmittingSink sink(out, inputs.run, placer);
  for (int j = 1; j < segments.count; ++j) {
    if (segments.LaidOut(j)) {
      LayoutSegment(row, segments.points(), j, sink, static_cast<double>(kMaxFiguresPerRun));
    }
  }
  return DrawResult::kDrawn;
}

}  // namespace gara
