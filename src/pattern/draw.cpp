#include "pattern/draw.h"

#include "pattern/emitting_sink.h"
#include "pattern/place_figure.h"

namespace gara {

namespace {

// The estimate of a run that places the course's copies of the row's figure and its lines; one
// copy is measured as it would be written where the course says a typical one stands.
DrawEstimate Estimate(const DrawInputs& inputs, const LayoutRow& row, const Course& course,
                      FigurePlacer& placer) {
  const CourseCount count = course.Count(row);
  DrawEstimate estimate;
  estimate.maxBytes = inputs.maxOutputBytes;
  estimate.figures = count.figures;
  estimate.sizeZero = !row.Draws();
  estimate.bytes = count.lineBytes;
  if (!(count.figures > 0)) return estimate;
  const FigureModel* model = placer.Model(row.figureKind);
  estimate.figureMissing = !model || !model->present || model->entityCommands == 0;
  if (!model) return estimate;
  estimate.entities = count.figures * static_cast<double>(model->entityCommands);
  if (estimate.Verdict() != DrawResult::kDrawn) return estimate;
  // The copy is written with every attribute command, as the first copy is.
  OutputBuffer copy;
  CommandWriter writer(copy, inputs.state);
  ReplayFigure(*model, count.at.x, count.at.y, count.angle, writer, count.stretch);
  const double copyBytes =
      static_cast<double>(copy.bytes()) + 2.0 * static_cast<double>(copy.size());
  estimate.bytes += count.figures * copyBytes;
  return estimate;
}

}  // namespace

DrawEstimate EstimateDrawing(const DrawInputs& inputs, const Course& course) {
  FigurePlacer placer(inputs.fs, inputs.programDir, inputs.run);
  return Estimate(inputs, ResolveRow(inputs.row), course, placer);
}

void EmitWritingAttributes(const RunContext& run, CommandWriter& out) {
  out.EmitLayerGroup(run.writing.layerGroup);
  out.EmitLayer(run.writing.layer);
  out.EmitLineColour(run.writing.colour);
  out.EmitLineType(run.writing.lineType);
  out.EmitLineWidth(run.writing.lineWidth);
}

DrawResult DrawPattern(const DrawInputs& inputs, CommandWriter& out, const Course& course) {
  const LayoutRow row = ResolveRow(inputs.row);
  FigurePlacer placer(inputs.fs, inputs.programDir, inputs.run);
  // Count first, so that a run over the limits draws nothing rather than part of itself.
  const DrawResult verdict = Estimate(inputs, row, course, placer).Verdict();
  if (verdict != DrawResult::kDrawn) return verdict;
  EmittingSink sink(out, inputs.run, placer);
  course.Lay(row, sink);
  return DrawResult::kDrawn;
}

DrawEstimate EstimateDrawing(const DrawInputs& inputs, int pointCount, bool skipCoincident) {
  return EstimateDrawing(inputs, SegmentCourse(inputs.state, pointCount, skipCoincident));
}

DrawResult DrawPattern(const DrawInputs& inputs, CommandWriter& out, int pointCount,
                       bool skipCoincident) {
  return DrawPattern(inputs, out, SegmentCourse(inputs.state, pointCount, skipCoincident));
}

}  // namespace gara
