#include "pattern/draw.h"

#include "figure/measure.h"
#include "pattern/emitting_sink.h"
#include "pattern/place_figure.h"

namespace gara {

namespace {

// The row a run lays out: with its alternate figure when the file names one that draws
// something (`alternate` receives it), at the width it measures.
LayoutRow RunRow(const DrawInputs& inputs, FigurePlacer& placer, const FigureModel*& alternate) {
  LayoutRow row = ResolveRow(inputs.row);
  alternate = nullptr;
  if (inputs.alternateFile.empty() || !row.Draws()) return row;
  const FigureModel* model = placer.Model(inputs.alternateFile);
  if (!model->present || model->entityCommands == 0) return row;
  alternate = model;
  row.alternates = true;
  row.alternateWidth = MeasureFigureFile(inputs.fs, inputs.programDir + inputs.alternateFile).width;
  return row;
}

// The bytes of one copy of `model` as the first copy is written, with every attribute command.
double CopyBytes(const DrawInputs& inputs, const FigureModel& model, const CourseCount& count) {
  OutputBuffer copy;
  CommandWriter writer(copy, inputs.state);
  ReplayFigure(model, count.at.x, count.at.y, count.angle, writer, count.stretch);
  return static_cast<double>(copy.bytes()) + 2.0 * static_cast<double>(copy.size());
}

// The estimate of a run that places the course's copies of the row's figures and its lines;
// one copy of each figure is measured where the course says a typical one stands.
DrawEstimate Estimate(const DrawInputs& inputs, const LayoutRow& row, const Course& course,
                      FigurePlacer& placer, const FigureModel* alternate) {
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
  const double mains = count.figures - count.alternates;
  estimate.entities = mains * static_cast<double>(model->entityCommands);
  if (alternate) {
    estimate.entities += count.alternates * static_cast<double>(alternate->entityCommands);
  }
  if (estimate.Verdict() != DrawResult::kDrawn) return estimate;
  estimate.bytes += mains * CopyBytes(inputs, *model, count);
  if (alternate) estimate.bytes += count.alternates * CopyBytes(inputs, *alternate, count);
  return estimate;
}

}  // namespace

DrawEstimate EstimateDrawing(const DrawInputs& inputs, const Course& course) {
  FigurePlacer placer(inputs.fs, inputs.programDir, inputs.run);
  const FigureModel* alternate = nullptr;
  const LayoutRow row = RunRow(inputs, placer, alternate);
  return Estimate(inputs, row, course, placer, alternate);
}

void EmitWritingAttributes(const RunContext& run, CommandWriter& out) {
  out.EmitLayerGroup(run.writing.layerGroup);
  out.EmitLayer(run.writing.layer);
  out.EmitLineColour(run.writing.colour);
  out.EmitLineType(run.writing.lineType);
  out.EmitLineWidth(run.writing.lineWidth);
}

DrawResult DrawPattern(const DrawInputs& inputs, CommandWriter& out, const Course& course) {
  FigurePlacer placer(inputs.fs, inputs.programDir, inputs.run);
  const FigureModel* alternate = nullptr;
  const LayoutRow row = RunRow(inputs, placer, alternate);
  // Count first, so that a run over the limits draws nothing rather than part of itself.
  const DrawResult verdict = Estimate(inputs, row, course, placer, alternate).Verdict();
  if (verdict != DrawResult::kDrawn) return verdict;
  EmittingSink sink(out, inputs.run, placer, row.figureKind, alternate);
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
