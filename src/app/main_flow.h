// One run of the program, from the reading of JWC_TEMP.TXT to the end of the chosen run mode.
// The Linux program and the Windows form drive the same code.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/program_paths.h"
#include "app/run_mode.h"
#include "exchange/drawing_state.h"
#include "exchange/output.h"
#include "pattern/draw.h"
#include "settings/row_details.h"
#include "settings/settings.h"
#include "util/file_system.h"

namespace gara {

struct RunEnvironment {
  FileSystem& fs;
  ProgramPaths paths;
  // The size limit of a drawing run's output.
  double maxOutputBytes = kMaxOutputBytesPerRun;
};

// The size limit named by GARANARABE_MAX_OUTPUT_MB (whole megabytes of 10^6 bytes), for a host
// that takes more (or less) than the default; the default when it is unset or not such a
// number.
double OutputLimitFromEnvironment(const char* megabytes);

enum class RunOutcome {
  kShowDialog,          // dialog mode: the host shows the settings
  kDrawn,               // JWC_TEMP.TXT holds the drawing
  kNothingToDraw,       // fewer than two designated points: JWC_TEMP.TXT left as Jw_cad wrote it
  kNoPath,              // mode "4" with no line, arc or circle selected: JWC_TEMP.TXT left as it is
  kTooManyFigures,      // the layout asked for more figures than one run may place: "hq" only
  kTooMuchOutput,       // the copies together would hold too many entities: "hq" only
  kTooLarge,            // the output would exceed the bytes one run may write: "hq" only
  kFiguresTooLarge,     // the figure files are too large to read: "hq" only
  kFigureSizeZero,      // the selected pattern's figure has no width or height: nothing placed
  kNoFigureFile,        // copies to place, but their figure file is missing or draws nothing
  kFigureTooBig,        // copies to place, but their figure is beyond any drawing: "hq" only
  kRegistered,          // sel.txt written and the settings saved
  kRegisteredEmpty,     // as kRegistered, but the selection measures 0 wide or high
  kRegisteredTooBig,    // as kRegistered, but the selection reaches beyond any drawing
  kWriteFailed,         // a file the run had to write could not be written
  kSettingsUnreadable,  // the settings file exists but cannot be read: nothing changed
  kDetailsUnreadable,   // the row details file exists but cannot be read: nothing drawn
  kFigureUnreadable,    // the row's figure file exists but cannot be read: nothing drawn
};

// A row detail the drawing run did not follow (a figure file name that is no plain name of a
// file in the program folder, or names a file that draws nothing): the run drew without it and
// the user is told.
struct RefusedDetail {
  std::string file;  // the row details file
  int row = 0;
  std::string key;
  std::string value;  // as it stands in the file
  // Why the file it names draws nothing; kNone for a value refused as a name.
  FigureFault fault = FigureFault::kNone;
};

// What the user is told about an outcome: the counts and the file it concerns.
struct RunDetail {
  DrawEstimate estimate;                          // what the drawing run would have written
  FigureKind figureKind = FigureKind::kSelected;  // of the row the drawing run drew with
  std::string file;                               // the file that could not be written or read
  std::vector<RefusedDetail> refusedDetails;      // what the drawing run drew without
};

// The number of consecutive designated points from number 1 on (99 at most).
int ConsecutiveDesignatedPoints(const DrawingState& state);

// The state of one run: the drawing state read from JWC_TEMP.TXT, the output being collected,
// and the settings.
class ProgramRun {
 public:
  explicit ProgramRun(RunEnvironment env);
  ProgramRun(const ProgramRun&) = delete;
  ProgramRun& operator=(const ProgramRun&) = delete;

  // The steps every mode shares, in order: reset, read JWC_TEMP.TXT (a missing file leaves the
  // reset state), reset the command cache, load the settings and the row details. Only the path
  // mode keeps the selected entities of JWC_TEMP.TXT; the register mode reads none of it here (it
  // reads the selection as it writes); the others use its header and points alone. The default
  // keeps everything.
  void Prepare(RunMode mode = RunMode::kPath);
  // Modes "1" to "4" after Prepare; kShowDialog for the dialog mode, which the host runs.
  RunOutcome RunWindowless(RunMode mode);

  const DrawingState& state() const { return *state_; }
  Settings& settings() { return settings_; }
  const Settings& settings() const { return settings_; }
  // The row details as loaded by Prepare, for the settings dialog.
  const LoadedRowDetails& rowDetails() const { return rowDetails_; }
  const RunEnvironment& environment() const { return env_; }
  const OutputBuffer& output() const { return buffer_; }
  // The counts and the file behind the last outcome.
  const RunDetail& detail() const { return detail_; }
  // What the drawing run would write, worked out before drawing (the figures and bytes a
  // refusal names); zero before a drawing run.
  const DrawEstimate& estimate() const { return detail_.estimate; }

 private:
  RunOutcome Draw(RunMode mode);
  // What the selected row's details add to its drawing, every figure file checked; a value not
  // followed is noted in the detail for the user.
  RowExtras SelectedRowExtras();
  // Notes for the user each figure of `extras` that the drawing run goes without.
  void NoteFigureFaults(const RowExtras& extras);
  RunOutcome Register();

  RunEnvironment env_;
  std::unique_ptr<DrawingState> state_;
  OutputBuffer buffer_;
  CommandWriter writer_;
  Settings settings_;
  LoadedRowDetails rowDetails_;
  RunDetail detail_;
  bool settingsReadable_ = true;
};

// Prepare and RunWindowless in one call.
RunOutcome RunWindowless(RunMode mode, const RunEnvironment& env);

}  // namespace gara
