#include "app/main_flow.h"

#include <charconv>
#include <cstdint>
#include <cstring>

#include "exchange/exchange_reader.h"
#include "figure/measure.h"
#include "figure/selection_export.h"
#include "pattern/draw.h"

namespace gara {

double OutputLimitFromEnvironment(const char* megabytes) {
  if (megabytes == nullptr || *megabytes == '\0') return kMaxOutputBytesPerRun;
  uint64_t value = 0;
  const char* end = megabytes + std::strlen(megabytes);
  const auto result = std::from_chars(megabytes, end, value);
  if (result.ec != std::errc() || result.ptr != end || value == 0 || value > 1'000'000'000) {
    return kMaxOutputBytesPerRun;
  }
  return static_cast<double>(value) * 1e6;
}

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
  estimate_ = DrawEstimate{};
  const std::optional<Settings> loaded = LoadExistingSettings(env_.fs, env_.paths.settingsPath);
  settingsReadable_ = loaded.has_value();
  settings_ = loaded.value_or(Settings{});
}

RunOutcome ProgramRun::RunWindowless(RunMode mode) {
  // Drawing with default patterns would not be what the user set, and the dialog or a
  // registration would save the defaults over the user's twelve patterns.
  if (!settingsReadable_) return RunOutcome::kSettingsUnreadable;
  switch (mode) {
    case RunMode::kTwoPoint:
    case RunMode::kMultiPoint:
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
  if (n < 2) return RunOutcome::kNothingToDraw;

  Minimise();
  run.useWritingLayerGroup = settings_.useWritingLayerGroup;
  run.useWritingLayer = settings_.useWritingLayer;
  run.useWritingColour = settings_.useWritingColour;
  run.useWritingLineType = settings_.useWritingLineType;

  const DrawInputs inputs{
      state, settings_, run, env_.fs, env_.paths.programDir, env_.maxOutputBytes};
  // Only the multi-point mode skips segments whose ends coincide.
  const bool skipCoincident = mode == RunMode::kMultiPoint;
  const std::string path = env_.paths.ExchangeFile();
  // The limits are checked before anything is written: past them the file holds only "hq".
  estimate_ = EstimateDrawing(inputs, n, skipCoincident);
  const auto refuse = [&](RunOutcome outcome) {
    buffer_.Clear();
    return WriteOutputFile(env_.fs, path, buffer_) ? outcome : RunOutcome::kWriteFailed;
  };
  if (estimate_.TooManyFigures()) return refuse(RunOutcome::kTooManyFigures);
  if (estimate_.TooLarge()) return refuse(RunOutcome::kOutputTooLarge);

  bool drawn = false;
  const bool written = WriteOutputFile(env_.fs, path, buffer_, [&] {
    if (state.paperScaleFlag) writer_.AppendLine("bz");
    EmitWritingAttributes(run, writer_);
    drawn = DrawPattern(inputs, writer_, n, skipCoincident);
    return true;
  });
  if (!written) return RunOutcome::kWriteFailed;
  // A figure file that grew between the estimate and the drawing (a registration running at
  // the same time) can still meet the limit; the complete "hq" file then replaces the partial
  // one.
  return drawn ? RunOutcome::kDrawn : refuse(RunOutcome::kTooManyFigures);
}

RunOutcome ProgramRun::Register() {
  Minimise();
  FileSystem& fs = env_.fs;
  const std::string& settingsPath = env_.paths.settingsPath;
  // sel.txt and the settings change together or not at all: both are written completely under
  // temporary names before either is put in place, and the settings, put in place first, are
  // put back should the figure then fail to follow.
  StagedFile figure(fs, env_.paths.SelectionFigureFile());
  if (!figure.Write([this](OutputFile& file) { return WriteSelection(*state_, file); }))
    return RunOutcome::kWriteFailed;
  // The selected figure just written; the JWS figure is neither converted nor measured here.
  const FigureSize size = MeasureFigureFile(fs, figure.temporaryPath());
  Settings updated = settings_;
  for (PatternRow& row : updated.rows) {
    if (row.figureKind == 0) {
      row.width = size.width;
      row.height = size.height;
    }
  }
  StagedFile newSettings(fs, settingsPath);
  if (!newSettings.Write(SerializeSettings(updated))) return RunOutcome::kWriteFailed;
  StagedFile oldSettings(fs, settingsPath);
  const std::optional<std::string> oldBytes = fs.ReadFile(settingsPath);
  if (oldBytes ? !oldSettings.Write(*oldBytes) : fs.IsFile(settingsPath))
    return RunOutcome::kWriteFailed;

  if (!newSettings.Commit()) return RunOutcome::kWriteFailed;
  if (!figure.Commit()) {
    if (oldBytes) {
      oldSettings.Commit();
    } else {
      fs.Remove(settingsPath);
    }
    return RunOutcome::kWriteFailed;
  }
  settings_ = updated;
  return RunOutcome::kRegistered;
}

RunOutcome RunWindowless(RunMode mode, const RunEnvironment& env) {
  ProgramRun run(env);
  run.Prepare();
  return run.RunWindowless(mode);
}

}  // namespace gara
