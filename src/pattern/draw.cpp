#include "pattern/draw.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "figure/measure.h"
#include "pattern/bend.h"
#include "pattern/emitting_sink.h"
#include "pattern/place_figure.h"
#include "pattern/size_sampler.h"

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

// The estimate of a run that places the course's copies of the row's figures and its lines.
DrawEstimate Estimate(const DrawInputs& inputs, const LayoutRow& row, const Course& course,
                      FigurePlacer& placer, const OtherFigures& others) {
  const CourseCount count = course.Count(row);
  DrawEstimate estimate;
  estimate.maxBytes = inputs.maxOutputBytes;
  estimate.figures = count.figures;
  estimate.sizeZero = !row.Draws();
  estimate.bytes = count.lineBytes;
  estimate.leftOut = count.leftOut;
  if (!(count.figures > 0)) return estimate;
  const FigureModel* model = placer.Model(row.figureKind);
  estimate.figureMissing = !model || !model->present || model->entityCommands == 0;
  estimate.figureUnreadable = model && model->unreadable;
  if (!model) return estimate;
  estimate.figureBeyondReach = model->fault == FigureFault::kBeyondReach;
  OtherFigures models = others;
  models[0] = model;
  std::array<double, kFigureSlots> copies = count.others;
  copies[0] = count.figures;
  for (size_t slot = 1; slot < kFigureSlots; ++slot) {
    if (others[slot]) copies[0] -= count.others[slot];
  }
  for (size_t slot = 0; slot < kFigureSlots; ++slot) {
    if (models[slot]) {
      estimate.entities += copies[slot] * static_cast<double>(models[slot]->entityCommands);
    }
  }
  // A bent copy takes the lines and arcs of its chains in place of its lines and curves.
  if (row.bend) {
    estimate.unbent = count.unbent;
    for (size_t slot = 0; slot < kFigureSlots; ++slot) {
      if (!models[slot] || !(count.bent[slot] > 0)) continue;
      const BentCount bent =
          BentCopyBound(*models[slot], count.reach, row.height, row.referenceOffset);
      estimate.entities += count.bent[slot] * (bent.lines + bent.arcs - bent.replaced);
    }
  }
  const DrawResult counted = estimate.Verdict();
  if (counted != DrawResult::kDrawn && counted != DrawResult::kTooLarge) return estimate;
  // Within the counts' limits the layout is short beside the writing: it is walked once more
  // to measure what it writes.
  SizeSampler sampler(inputs.state, inputs.run, models, copies, count.lineBytes / kLineRecordBytes);
  course.Lay(row, sampler);
  estimate.bytes = sampler.Bytes();
  return estimate;
}

// The bytes of the figure files a run reads, measured before any is read; 0 for a run that
// reads none.
uint64_t FigureFileBytes(const DrawInputs& inputs) {
  const LayoutRow row = ResolveRow(inputs.row);
  if (!row.Draws()) return 0;
  const auto size = [&](std::string_view file) {
    return inputs.fs.FileSize(inputs.programDir + std::string(file)).value_or(0);
  };
  uint64_t bytes = 0;
  if (FigureKindOf(static_cast<int32_t>(row.figureKind))) {
    bytes += size(FigureFileName(row.figureKind));
  }
  const RowExtras& extras = inputs.extras;
  for (const std::string* file : {&extras.alternate, &extras.corner, &extras.start, &extras.end}) {
    if (!file->empty()) bytes += size(*file);
  }
  return bytes;
}

// The estimate of a run whose figures are too large to hold, which refuses it before anything
// of them is read; nullopt for figures that fit.
std::optional<DrawEstimate> FiguresTooLarge(const DrawInputs& inputs) {
  DrawEstimate refused;
  refused.figureBytes = FigureFileBytes(inputs);
  if (refused.Verdict() != DrawResult::kFiguresTooLarge) return std::nullopt;
  return refused;
}

}  // namespace

DrawEstimate EstimateDrawing(const DrawInputs& inputs, const Course& course) {
  if (const std::optional<DrawEstimate> refused = FiguresTooLarge(inputs)) return *refused;
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

DrawResult DrawPattern(const DrawInputs& inputs, CommandWriter& out, const Course& course,
                       DrawEstimate* estimate) {
  if (const std::optional<DrawEstimate> refused = FiguresTooLarge(inputs)) {
    if (estimate) *estimate = *refused;
    return DrawResult::kFiguresTooLarge;
  }
  FigurePlacer placer(inputs.fs, inputs.programDir, inputs.run);
  OtherFigures others;
  FigureFaults faults;
  const LayoutRow row = RunRow(inputs, placer, others, faults);
  // Count first, so that a run over the limits draws nothing rather than part of itself.
  DrawEstimate counted = Estimate(inputs, row, course, placer, others);
  const DrawResult verdict = counted.Verdict();
  if (verdict == DrawResult::kDrawn) {
    EmittingSink sink(out, inputs.run, placer, row.figureKind, others);
    course.Lay(row, sink);
    if (out.buffer().overLimit()) {
      // The copies not placed are taken to be as large as those that were, on average.
      const EmittingSink::Stop stop = sink.stop();
      const double whole = stop.placed > 0 ? stop.bytes * (counted.figures / stop.placed) : 0;
      counted.bytes = std::max({counted.bytes, stop.bytes, whole});
    }
  }
  if (estimate) *estimate = counted;
  return verdict == DrawResult::kDrawn && out.buffer().overLimit() ? DrawResult::kTooLarge
                                                                   : verdict;
}

DrawEstimate EstimateDrawing(const DrawInputs& inputs, int pointCount, bool skipCoincident) {
  return EstimateDrawing(inputs, SegmentCourse(inputs.state, pointCount, skipCoincident));
}

DrawResult DrawPattern(const DrawInputs& inputs, CommandWriter& out, int pointCount,
                       bool skipCoincident) {
  return DrawPattern(inputs, out, SegmentCourse(inputs.state, pointCount, skipCoincident));
}

}  // namespace gara
