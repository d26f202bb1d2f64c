#include "pattern/draw.h"

#include <algorithm>
#include <array>

#include "figure/measure.h"
#include "pattern/bend.h"
#include "pattern/emitting_sink.h"
#include "pattern/place_figure.h"

namespace gara {

namespace {

// The figures of a run besides the row's own, by slot; nullptr for none.
using OtherFigures = std::array<const FigureModel*, kFigureSlots>;

// The row a run lays out: with each figure besides its own that the inputs name and whose file
// draws something (`others` receives them), at the width it measures. Why a figure named is
// left out goes to `faults`.
LayoutRow RunRow(const DrawInputs& inputs, FigurePlacer& placer, OtherFigures& others,
                 FigureFaults& faults) {
  LayoutRow row = ResolveRow(inputs.row);
  others.fill(nullptr);
  faults.fill(FigureFault::kNone);
  if (!row.Draws()) return row;
  const auto take = [&](FigureSlot slot, const std::string& file) -> std::optional<double> {
    if (file.empty()) return std::nullopt;
    const FigureModel* model = placer.Model(file);
    // Only a figure file that draws: the program itself or a cut file might parse into some
    // entities, but not into the figure the user chose.
    if (model->fault != FigureFault::kNone) {
      faults[size_t(slot)] = model->fault;
      return std::nullopt;
    }
    others[size_t(slot)] = model;
    return MeasureFigureFile(inputs.fs, inputs.programDir + file).width;
  };
  const RowExtras& files = inputs.extras;
  if (const auto width = take(FigureSlot::kAlternate, files.alternate)) {
    row.alternates = true;
    row.alternateWidth = *width;
  }
  const auto end = [&](FigureSlot slot, const std::string& file, LayoutRow::EndFigure& figure) {
    if (const auto width = take(slot, file)) figure = {true, *width};
  };
  end(FigureSlot::kCorner, files.corner, row.corner);
  end(FigureSlot::kStart, files.start, row.startCap);
  end(FigureSlot::kEnd, files.end, row.endCap);
  row.bend = files.bend;
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
                      FigurePlacer& placer, const OtherFigures& others) {
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
  estimate.figureBeyondReach = model->fault == FigureFault::kBeyondReach;
  double mains = count.figures;
  for (size_t slot = 1; slot < kFigureSlots; ++slot) {
    if (!others[slot]) continue;
    mains -= count.others[slot];
    estimate.entities += count.others[slot] * static_cast<double>(others[slot]->entityCommands);
  }
  estimate.entities += mains * static_cast<double>(model->entityCommands);
  // A bent copy takes the lines and arcs of its chains in place of its lines and curves.
  std::array<BentCount, kFigureSlots> bent{};
  if (row.bend) {
    estimate.unbent = count.unbent;
    for (size_t slot = 0; slot < kFigureSlots; ++slot) {
      const FigureModel* figure = slot == 0 ? model : others[slot];
      if (!figure || !(count.bent[slot] > 0)) continue;
      bent[slot] = BentCopyBound(*figure, count.reach, row.height, row.referenceOffset);
      estimate.entities +=
          count.bent[slot] * (bent[slot].lines + bent[slot].arcs - bent[slot].replaced);
    }
  }
  if (estimate.Verdict() != DrawResult::kDrawn) return estimate;
  estimate.bytes += mains * CopyBytes(inputs, *model, count);
  for (size_t slot = 1; slot < kFigureSlots; ++slot) {
    if (others[slot])
      estimate.bytes += count.others[slot] * CopyBytes(inputs, *others[slot], count);
  }
  // Each line of a chain a whole line record at most: its ends are seldom round numbers.
  for (size_t slot = 0; slot < kFigureSlots; ++slot) {
    const BentCount& b = bent[slot];
    if (!(count.bent[slot] > 0) || b.lines + b.arcs == 0) continue;
    estimate.bytes +=
        count.bent[slot] * ((b.lines - b.replaced) * kLineRecordBytes + b.arcs * kArcRecordBytes);
  }
  return estimate;
}

}  // namespace

DrawEstimate EstimateDrawing(const DrawInputs& inputs, const Course& course) {
  FigurePlacer placer(inputs.fs, inputs.programDir, inputs.run);
  OtherFigures others;
  FigureFaults faults;
  const LayoutRow row = RunRow(inputs, placer, others, faults);
  DrawEstimate estimate = Estimate(inputs, row, course, placer, others);
  estimate.otherFaults = faults;
  return estimate;
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
  OtherFigures others;
  FigureFaults faults;
  const LayoutRow row = RunRow(inputs, placer, others, faults);
  // Count first, so that a run over the limits draws nothing rather than part of itself.
  const DrawResult verdict = Estimate(inputs, row, course, placer, others).Verdict();
  if (verdict != DrawResult::kDrawn) return verdict;
  EmittingSink sink(out, inputs.run, placer, row.figureKind, others);
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
