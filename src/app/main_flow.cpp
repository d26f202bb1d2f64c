#include "app/main_flow.h"

#include "exchange/exchange_reader.h"
#include "figure/measure.h"
#include "figure/selection_export.h"
#include "pattern/draw.h"
#include "pattern/draw_path.h"

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

void ProgramRun::Prepare() {
  *state_ = DrawingState{};
  buffer_.Clear();
  // Whether the file was there does not matter: without it the run goes on with the reset state.
  ReadExchangeFile(env_.fs, env_.paths.ExchangeFile(), *state_);
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

void ProgramRun::Minimise() {
  if (env_.window != nullptr) env_.window->Minimise();
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

  Minimise();
  if (state.paperScaleFlag) writer_.AppendLine("bz");
  run.useWritingLayerGroup = settings_.useWritingLayerGroup;
  run.useWritingLayer = settings_.useWritingLayer;
  run.useWritingColour = settings_.useWritingColour;
  run.useWritingLineType = settings_.useWritingLineType;

  EmitWritingAttributes(run, writer_);

  const DrawInputs inputs{state, settings_, run, env_.fs, env_.paths.programDir};
  // Only the multi-point mode skips segments whose ends coincide.
  const bool drawn = pathMode ? DrawPathPattern(inputs, writer_, paths)
                              : DrawPattern(inputs, writer_, n, mode == RunMode::kMultiPoint);
  // Past the figure limit nothing at all is drawn: the file then holds only "hq".
  if (!drawn) buffer_.Clear();

  if (!WriteOutputFile(env_.fs, env_.paths.ExchangeFile(), buffer_))
    return RunOutcome::kWriteFailed;
  return drawn ? RunOutcome::kDrawn : RunOutcome::kTooManyFigures;
}

RunOutcome ProgramRun::Register() {
  Minimise();
  const std::string figureFile = env_.paths.SelectionFigureFile();
  const bool exported = ExportSelection(env_.fs, figureFile, *state_);
  // The selected figure just written; the JWS figure is neither converted nor measured here.
  const FigureSize size = MeasureFigureFile(env_.fs, figureFile);
  for (PatternRow& row : settings_.rows) {
    if (row.figureKind == 0) {
      row.width = size.width;
      row.height = size.height;
    }
  }
  const bool saved = SaveSettings(env_.fs, env_.paths.settingsPath, settings_);
  return exported && saved ? RunOutcome::kRegistered : RunOutcome::kWriteFailed;
}

RunOutcome RunWindowless(RunMode mode, const RunEnvironment& env) {
  ProgramRun run(env);
  run.Prepare();
  return run.RunWindowless(mode);
}

}  // namespace gara
