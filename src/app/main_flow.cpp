#include "app/main_flow.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

#include "exchange/exchange_reader.h"
#include "figure/measure.h"
#include "figure/selection_export.h"
#include "geom/geometry.h"
#include "pattern/draw.h"
#include "pattern/layout.h"
#include "pattern/selected_paths.h"

namespace gara {

namespace {

// The bytes the output file may take under a size limit: as many as the limit, never one more.
uint64_t OutputLimit(double maxBytes) {
  if (!(maxBytes >= 0)) return 0;
  if (maxBytes >= 0x1p64) return UINT64_MAX;
  return static_cast<uint64_t>(maxBytes);
}

}  // namespace

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

void ProgramRun::Prepare(RunMode mode) {
  *state_ = DrawingState{};
  detail_ = RunDetail{};
  buffer_.Clear();
  // Whether the file was there does not matter: without it the run goes on with the reset state.
  // The register mode uses nothing of it but the selection, which it reads as it writes.
  if (mode != RunMode::kRegister) {
    ReadExchangeFile(env_.fs, env_.paths.ExchangeFile(), *state_,
                     mode == RunMode::kPath ? EntityRecords::kKeep : EntityRecords::kSkip);
  }
  writer_.ResetCommandCache();
  const std::optional<Settings> loaded = LoadExistingSettings(env_.fs, env_.paths.settingsPath);
  settingsReadable_ = loaded.has_value();
  settings_ = loaded.value_or(Settings{});
  rowDetails_ = LoadRowDetails(env_.fs, env_.paths.RowDetailsPath());
}

RunOutcome ProgramRun::RunWindowless(RunMode mode) {
  // Drawing with default patterns would not be what the user set, and the dialog or a
  // registration would save the defaults over the user's twelve patterns.
  if (!settingsReadable_) {
    detail_.file = env_.paths.settingsPath;
    return RunOutcome::kSettingsUnreadable;
  }
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

RowExtras ProgramRun::SelectedRowExtras() {
  std::vector<RefusedFigure> refused;
  const int row = settings_.selectedRow;
  RowExtras extras =
      CheckedRowExtras(rowDetails_.details, row, env_.fs, env_.paths.programDir, &refused);
  for (RefusedFigure& figure : refused) {
    detail_.refusedDetails.push_back(
        {env_.paths.RowDetailsPath(), row, std::string(figure.key), std::move(figure.value)});
  }
  return extras;
}

void ProgramRun::NoteFigureFaults(const RowExtras& extras) {
  // The slot of each figure detail, in the order of kFigureDetailKeys.
  constexpr FigureSlot kSlots[] = {FigureSlot::kAlternate, FigureSlot::kCorner, FigureSlot::kStart,
                                   FigureSlot::kEnd};
  static_assert(std::size(kSlots) == std::size(kFigureDetailKeys));
  for (size_t k = 0; k < std::size(kSlots); ++k) {
    const FigureFault fault = detail_.estimate.otherFaults[static_cast<size_t>(kSlots[k])];
    if (fault == FigureFault::kNone) continue;
    const FigureDetailKey& detail = kFigureDetailKeys[k];
    detail_.refusedDetails.push_back({env_.paths.RowDetailsPath(), settings_.selectedRow,
                                      std::string(detail.key), extras.*detail.file, fault});
  }
}

RunOutcome ProgramRun::Draw(RunMode mode) {
  // Without its details the selected row would not draw as the user set it. The register mode
  // and the dialog take no detail and go on.
  if (rowDetails_.unreadable) {
    detail_.file = env_.paths.RowDetailsPath();
    return RunOutcome::kDetailsUnreadable;
  }
  const RowExtras extras = SelectedRowExtras();

  const DrawingState& state = *state_;
  const RunContext run = MakeRunContext(state, settings_);

  // The path mode draws along the selection, the others along the designated points; only the
  // multi-point mode skips segments whose ends coincide. Two-point mode takes points 1 and 2 as
  // they stand, designated or not.
  std::unique_ptr<Course> course;
  if (mode == RunMode::kPath) {
    // The entity records are needed no more once their pieces are made.
    Chains chains = TakeSelectedChains(state_->entities);
    if (chains.size() == 0) return RunOutcome::kNoPath;
    course = std::make_unique<PathCourse>(std::move(chains));
  } else {
    const int n = mode == RunMode::kTwoPoint ? 2 : ConsecutiveDesignatedPoints(state);
    if (n < 2) return RunOutcome::kNothingToDraw;
    course = std::make_unique<SegmentCourse>(state, n, mode == RunMode::kMultiPoint);
  }

  const DrawInputs inputs{state,
                          settings_.Row(settings_.selectedRow),
                          run,
                          env_.fs,
                          env_.paths.programDir,
                          env_.maxOutputBytes,
                          extras};
  const std::string path = env_.paths.ExchangeFile();
  // The limits are checked before anything is written: past them the file holds only "hq".
  detail_.estimate = EstimateDrawing(inputs, *course);
  NoteFigureFaults(extras);
  detail_.figureKind = ResolveRow(inputs.row).figureKind;
  const auto refuse = [&](RunOutcome outcome) {
    buffer_.Clear();
    if (WriteOutputFile(env_.fs, path, buffer_)) return outcome;
    detail_.file = path;
    return RunOutcome::kWriteFailed;
  };
  const auto refusal = [](DrawResult result) {
    switch (result) {
      case DrawResult::kTooManyFigures:
        return RunOutcome::kTooManyFigures;
      case DrawResult::kTooMuchOutput:
        return RunOutcome::kTooMuchOutput;
      case DrawResult::kTooLarge:
        return RunOutcome::kTooLarge;
      case DrawResult::kFiguresTooLarge:
        return RunOutcome::kFiguresTooLarge;
      case DrawResult::kDrawn:
        break;
    }
    return RunOutcome::kDrawn;
  };
  // A figure there and unreadable is not drawn around: the file stays as Jw_cad wrote it.
  if (detail_.estimate.figureUnreadable) {
    detail_.file = env_.paths.programDir + std::string(FigureFileName(detail_.figureKind));
    return RunOutcome::kFigureUnreadable;
  }
  // Copies of a figure no drawing can hold are never written, not even in part.
  if (detail_.estimate.figureBeyondReach) return refuse(RunOutcome::kFigureTooBig);
  const DrawResult verdict = detail_.estimate.Verdict();
  if (verdict != DrawResult::kDrawn) return refuse(refusal(verdict));

  DrawResult drawn = DrawResult::kDrawn;
  DrawEstimate held;
  // The estimate is about: the size limit holds for the bytes written, which stop past it.
  const bool written = WriteOutputFile(
      env_.fs, path, buffer_,
      [&] {
        if (state.paperScaleFlag) writer_.AppendLine("bz");
        EmitWritingAttributes(run, writer_);
        drawn = DrawPattern(inputs, writer_, *course, &held);
        return true;
      },
      OutputLimit(env_.maxOutputBytes));
  // A figure file that grew between the estimate and the drawing (a registration running at
  // the same time) can still meet a limit, and the output can pass the size limit; the complete
  // "hq" file then replaces the partial one, or none.
  if (drawn != DrawResult::kDrawn || buffer_.overLimit()) {
    detail_.estimate = held;
    if (!buffer_.overLimit()) return refuse(refusal(drawn));
    // Past the limit in its last block a drawing is complete and its size known.
    detail_.estimate.bytes = std::max(held.bytes, static_cast<double>(buffer_.streamedBytes()));
    return refuse(RunOutcome::kTooLarge);
  }
  if (!written) {
    detail_.file = path;
    return RunOutcome::kWriteFailed;
  }
  if (detail_.estimate.sizeZero) return RunOutcome::kFigureSizeZero;
  if (detail_.estimate.figureMissing) return RunOutcome::kNoFigureFile;
  return RunOutcome::kDrawn;
}

RunOutcome ProgramRun::Register() {
  FileSystem& fs = env_.fs;
  const std::string& settingsPath = env_.paths.settingsPath;
  const std::string figurePath = env_.paths.SelectionFigureFile();
  const auto failed = [this](const std::string& file) {
    detail_.file = file;
    return RunOutcome::kWriteFailed;
  };
  // sel.txt and the settings change together or not at all: both are written completely under
  // temporary names before either is put in place, and the settings, put in place first, are
  // put back should the figure then fail to follow.
  StagedFile figure(fs, figurePath);
  // The selection is read from the exchange file again, in batches, rather than kept.
  const std::string exchangePath = env_.paths.ExchangeFile();
  if (!figure.Write([&](OutputFile& file) { return WriteSelection(fs, exchangePath, file); })) {
    return failed(figurePath);
  }
  // The selected figure just written; the JWS figure is neither converted nor measured here.
  const FigureSize size = MeasureFigureFile(fs, figure.temporaryPath());
  Settings updated = settings_;
  for (PatternRow& row : updated.rows) {
    if (row.Kind() == FigureKind::kSelected) {
      row.width = size.width;
      row.height = size.height;
    }
  }
  StagedFile newSettings(fs, settingsPath);
  if (!newSettings.Write(SerializeSettings(updated))) return failed(settingsPath);
  StagedFile oldSettings(fs, settingsPath);
  // Read again: another run may have put the first settings file in place since Prepare. One
  // that is there and cannot be read now is never replaced.
  const ExistingFile old = ReadExistingFile(fs, settingsPath);
  if (old.unreadable) return failed(settingsPath);
  const std::optional<std::string>& oldBytes = old.bytes;
  if (oldBytes && !oldSettings.Write(*oldBytes)) return failed(settingsPath);

  if (!newSettings.Commit()) return failed(settingsPath);
  if (!figure.Commit()) {
    // Best effort: the settings go back as they were; the failure is reported either way.
    if (oldBytes) {
      static_cast<void>(oldSettings.Commit());
    } else {
      static_cast<void>(fs.Remove(settingsPath));
    }
    return failed(figurePath);
  }
  settings_ = updated;
  if (size.beyondReach) return RunOutcome::kRegisteredTooBig;
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
