#include "pattern/draw.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>

#include "pattern/layout.h"
#include "pattern/place_figure.h"
#include "util/geometry.h"
#include "util/number_text.h"

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

// The longest line record: "lwN"-like attributes are shorter, four numbers longer.
constexpr double kLineRecordBytes = 4 * (kNumberTextMax + 1) + 2;
constexpr double kAttributeBytes = 5 * 16;

DrawEstimate Estimate(const DrawInputs& inputs, const LayoutRow& row, const Segments& segments,
                      FigurePlacer& placer) {
  DrawEstimate estimate;
  estimate.maxBytes = inputs.maxOutputBytes;
  const std::span<const Point> points = segments.points();
  double segmentCount = 0;
  Point first{}, second{};  // the first segment laid out
  for (int j = 1; j < segments.count; ++j) {
    if (!segments.LaidOut(j)) continue;
    estimate.figures += SegmentFigureCount(row, points[j - 1], points[j]);
    if (segmentCount++ == 0) {
      first = points[j - 1];
      second = points[j];
    }
    if (estimate.TooManyFigures()) return estimate;
  }
  if (estimate.figures <= 0) return estimate;
  const FigureModel* model = placer.Model(row.figureKind);
  double copyBytes = 0;
  if (model) {
    estimate.entities = estimate.figures * static_cast<double>(model->entityCommands);
    if (estimate.TooManyFigures()) return estimate;
    // One copy as it would be written halfway along the first segment, with every attribute
    // written: about the average copy.
    OutputBuffer copy;
    CommandWriter writer(copy, inputs.state);
    ReplayFigure(*model, first.x + (second.x - first.x) / 2, first.y + (second.y - first.y) / 2,
                 std::atan2(second.y - first.y, second.x - first.x), writer);
    copyBytes = static_cast<double>(copy.bytes()) + 2.0 * static_cast<double>(copy.size());
  }
  double gapLines = 0, fullLines = 0;
  for (int32_t mode : row.lineModes) {
    gapLines += mode == static_cast<int32_t>(LineMode::kGaps);
    fullLines += mode == static_cast<int32_t>(LineMode::kFullLength);
  }
  estimate.bytes = estimate.figures * (copyBytes + gapLines * kLineRecordBytes) +
                   segmentCount * ((gapLines + fullLines) * kLineRecordBytes + kAttributeBytes);
  return estimate;
}

}  // namespace

DrawEstimate EstimateDrawing(const DrawInputs& inputs, int pointCount, bool skipCoincident) {
  FigurePlacer placer(inputs.fs, inputs.programDir, inputs.run);
  return Estimate(inputs, ResolveRow(inputs.settings), Segments(inputs, pointCount, skipCoincident),
                  placer);
}

void EmitWritingAttributes(const RunContext& run, CommandWriter& out) {
  out.EmitLayerGroup(run.writingLayerGroup);
  out.EmitLayer(run.writingLayer);
  out.EmitLineColour(run.writingColour);
  out.EmitLineType(run.writingLineType);
  out.EmitLineWidth(run.writingLineWidth);
}

bool DrawPattern(const DrawInputs& inputs, CommandWriter& out, int pointCount,
                 bool skipCoincident) {
  const LayoutRow row = ResolveRow(inputs.settings);
  const Segments segments(inputs, pointCount, skipCoincident);
  FigurePlacer placer(inputs.fs, inputs.programDir, inputs.run);
  // Count first, so that a run over the limits draws nothing rather than part of itself.
  if (!Estimate(inputs, row, segments, placer).WithinLimits()) return false;

  EmittingSink sink(out, inputs.run, placer);
  for (int j = 1; j < segments.count; ++j) {
    if (segments.LaidOut(j)) {
      LayoutSegment(row, segments.points(), j, sink, static_cast<double>(kMaxFiguresPerRun));
    }
  }
  return true;
}

}  // namespace gara
