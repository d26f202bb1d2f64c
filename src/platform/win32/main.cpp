// The Windows program. Modes "1", "2" and "3" run without ever creating a window, so nothing
// flashes on the screen while Jw_cad waits; without a mode the settings dialog opens.
#include <stdlib.h>  // __argc, __argv

#include <windows.h>
#include <cstdlib>

#include <new>
#include <string>

#include "app/main_flow.h"
#include "app/outcome_message.h"
#include "platform/process_runner.h"
#include "platform/program_path.h"
#include "platform/real_file_system.h"
#include "platform/run_message.h"
#include "platform/win32/form.h"

namespace {

int Run(HINSTANCE instance) {
  using namespace gara;
  RealFileSystem fs;
  const RunMode mode = ParseRunModeArgs(__argc, __argv);
  const ProgramPaths paths =
      ProgramPaths::FromProgramFile(ProgramFilePath(__argc > 0 ? __argv[0] : nullptr));
  RunEnvironment env{fs, paths};
  env.maxOutputBytes = OutputLimitFromEnvironment(std::getenv("GARANARABE_MAX_OUTPUT_MB"));
  ProgramRun run(env);
  run.Prepare(mode);
  const RunOutcome outcome = run.RunWindowless(mode);
  if (outcome == RunOutcome::kShowDialog) {
    RealProcessRunner runner;
    return RunSettingsDialog(
        instance, SettingsDialogInput{fs, runner, paths.programDir, paths.settingsPath,
                                      run.settings(), run.state().paperScaleFlag, run.state(),
                                      run.rowDetails(), paths.RowDetailsPath()});
  }
  // Jw_cad reads only the files; the reason for a refusal is shown in one box.
  const std::string message = OutcomeMessage(outcome, run.detail());
  if (!message.empty()) ShowRunMessage(message);
  return ExitStatus(outcome);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  using namespace gara;
  // Nothing escapes to the C++ runtime, whose error box would name no reason: the files are
  // replaced only when complete, so after any failure they stand as they were.
  try {
    return Run(instance);
  } catch (const std::bad_alloc&) {
    ShowRunMessage(FailureMessage(RunFailure::kOutOfMemory));
  } catch (...) {
    ShowRunMessage(FailureMessage(RunFailure::kUnexpected));
  }
  return kAbortedExit;
}
