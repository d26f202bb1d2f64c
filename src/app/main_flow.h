// One run of the program, from the reading of JWC_TEMP.TXT to the end of the chosen run mode.
// The Linux program and the Windows form drive the same code.
#pragma once

#include <memory>

#include "app/program_paths.h"
#include "app/run_context.h"
#include "app/run_mode.h"
#include "exchange/drawing_state.h"
#include "exchange/output.h"
#include "pattern/draw.h"
#include "settings/settings.h"
#include "util/file_system.h"

namespace gara {

// What a windowless run asks of the window that hosts it, if there is one.
class RunWindow {
 public:
  virtual ~RunWindow() = default;
  virtual void Minimise() = 0;
};

struct RunEnvironment {
  FileSystem& fs;
  ProgramPaths paths;
  RunWindow* window = nullptr;  // none on Linux
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
  kTooManyFigures,      // the layout asked for more figures than one run may place: "hq" only
  kOutputTooLarge,      // the drawing would be larger than Jw_cad can take: "hq" only
  kRegistered,          // sel.txt written and the settings saved
  kWriteFailed,         // a file the run had to write could not be written
  kSettingsUnreadable,  // the settings file is there but cannot be read: nothing written
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
  // reset state), reset the command cache, load the settings.
  void Prepare();
  // Modes "1", "2" and "3" after Prepare; kShowDialog for the dialog mode, which the host runs.
  RunOutcome RunWindowless(RunMode mode);

  const DrawingState& state() const { return *state_; }
  Settings& settings() { return settings_; }
  const Settings& settings() const { return settings_; }
  const RunEnvironment& environment() const { return env_; }
  const OutputBuffer& output() const { return buffer_; }
  // What the drawing run would write, worked out before drawing (the figures and bytes a
  // refusal names); zero before a drawing run.
  const DrawEstimate& estimate() const { return estimate_; }

 private:
  RunOutcome Draw(RunMode mode);
  RunOutcome Register();
  void Minimise();

  RunEnvironment env_;
  std::unique_ptr<DrawingState> state_;
  OutputBuffer buffer_;
  CommandWriter writer_;
  Settings settings_;
  bool settingsReadable_ = true;
  DrawEstimate estimate_;
};

// Prepare and RunWindowless in one call.
RunOutcome RunWindowless(RunMode mode, const RunEnvironment& env);

}  // namespace gara
