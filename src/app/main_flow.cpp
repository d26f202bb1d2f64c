#include "app/main_flow.h"

#include "exchange/exchange_reader.h"
#include "figure/measure.h"
#include "figure/selection_export.h"
#include "pattern/draw.h"
#include "pattern/draw_path.h"
#include "pattern/layout.h"
#include "util/geometry.h"

namespace gara {

int ConsecutiveDesignatedPoints(const DrawingState& state) {
  // Entry 0 is never used, so the last number is the size less one.
  const int last = static_cast<int>(state.designatedPoints.size()) - 1;
  int n = 0;
  while (n < last && state.designatedPoints[n + 1].used) ++n;
  return n;
}

ProgramRun::ProgramRun(RunEnvironment env)
    : env_(std::move(env)), state_(std::make_unique<DrawingState>()), writer_(buffer_, *state_) {}

void ProgramRun::Prepare(RunMode mode) {
  *state_ = DrawingState{};
  detail_ = RunDetail{};
  buffer_.Clear();
  // Whether the file was there does not matter: without it the run goes on with the reset state.
  ReadExchangeFile(env_.fs, env_.paths.ExchangeFile(), *state_,
                   mode == RunMode::kRegister || mode == RunMode::kPath ? EntityRecords::kKeep
                                                                        : EntityRecords::kSkip);
  writer_.ResetCommandCache();
  settings_ = LoadSettings(env_.fs, env_.paths.settingsPath);
}

RunOutcome ProgramRun::RunWindowless(RunMode mode) {
  switch (mode) {
    case RunMode::kTwoPoint:
    case RunMode::kMultiPoint:
    case RunMode::kPath:
      return Draw(mode);
    case RunMode::kRegister:
      return Register();
    case RunMode::kDialog:
      break;
  }
  return RunOutcome::kShowDialog;
}

RunOutcome ProgramRun::Draw(RunMode mode) {
  const DrawingState& state = *state_;
  RunContext run;
  run.writingLayerGroup = state.writingLayerGroup;
  run.writingLayer = state.writingLayer;
  run.writingColour = state.writingColour;
  run.writingLineType = state.writingLineType;
  run.writingLineWidth = state.writingLineWidth;

  // Two-point mode takes points 1 and 2 as they stand, designated or not.
  const int n = mode == RunMode::kTwoPoint ? 2 : ConsecutiveDesignatedPoints(state);
  // The path mode draws along the selection instead of the designated points.
  const bool pathMode = mode == RunMode::kPath;
  const std::vector<Path> paths = pathMode ? SelectedPaths(state.entities) : std::vector<Path>{};
  if (pathMode ? paths.empty() : n < 2) return RunOutcome::kNothingToDraw;

  if (state.paperScaleFlag) writer_.AppendLine("bz");
  run.useWritingLayerGroup = settings_.useWritingLayerGroup;
  run.useWritingLayer = settings_.useWritingLayer;
  run.useWritingColour = settings_.useWritingColour;
  run.useWritingLineType = settings_.useWritingLineType;

  EmitWritingAttributes(run, writer_);

  const DrawInputs inputs{state, settings_.Row(settings_.selectedRow), run, env_.fs,
                          env_.paths.programDir};
  // Only the multi-point mode skips segments whose ends coincide.
  DrawReport report;
  const DrawResult drawn =
      pathMode ? DrawPathPattern(inputs, writer_, paths, &report)
               : DrawPattern(inputs, writer_, n, mode == RunMode::kMultiPoint, &report);
  // Past a limit nothing at all is drawn: the file then holds only "hq".
  if (drawn != DrawResult::kDrawn) buffer_.Clear();
  detail_.figures = report.figures;
  detail_.records = report.records;
  detail_.figureKind = ResolveRow(inputs.row).figureKind;

  if (!WriteOutputFile(env_.fs, env_.paths.ExchangeFile(), buffer_)) {
    detail_.file = env_.paths.ExchangeFile();
    return RunOutcome::kWriteFailed;
  }
  switch (drawn) {
    case DrawResult::kTooManyFigures:
      return RunOutcome::kTooManyFigures;
    case DrawResult::kTooMuchOutput:
      return RunOutcome::kTooMuchOutput;
    case DrawResult::kDrawn:
      break;
  }
  if (report.sizeZero) return RunOutcome::kFigureSizeZero;
  if (report.figureMissing) return RunOutcome::kNoFigureFile;
  return RunOutcome::kDrawn;
}

RunOutcome ProgramRun::Register() {
  const std::string figureFile = env_.paths.SelectionFigureFile();
  const bool exported = ExportSelection(env_.fs, figureFile, *state_);
  // The selected figure just written; the JWS figure is neither converted nor measured here.
  const FigureSize size = MeasureFigureFile(env_.fs, figureFile);
  for (PatternRow& row : settings_.rows) {
    if (row.Kind() == FigureKind::kSelected) {
      row.width = size.width;
      row.height = size.height;
    }
  }
  const bool saved = SaveSettings(env_.fs, env_.paths.settingsPath, settings_);
  if (!exported || !saved) {
    detail_.file = exported ? env_.paths.settingsPath : figureFile;
    return RunOutcome::kWriteFailed;
  }
  // An empty selection, or one that is a single point or a straight line, has nothing to place.
  if (!(size.width > kEpsilon && size.height > kEpsilon)) return RunOutcome::kRegisteredEmpty;
  return RunOutcome::kRegistered;
}

RunOutcome RunWindowless(RunMode mode, const RunEnvironment& env) {
  ProgramRun run(env);
  run.Prepare(mode);
  return run.RunWindowless(mode);
}

}  // namespace gara
