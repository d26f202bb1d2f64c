// The Windows program. Modes "1", "2" and "3" run without ever creating a window, so nothing
// flashes on the screen while Jw_cad waits; without a mode the settings dialog opens.
#include <stdlib.h>  // __argc, __argv

#include <windows.h>
#include <cstdlib>

#include "app/main_flow.h"
#include "platform/process_runner.h"
#include "platform/program_path.h"
#include "platform/real_file_system.h"
#include "platform/win32/form.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  using namespace gara;
  RealFileSystem fs;
  const RunMode mode = ParseRunModeArgs(__argc, __argv);
  const ProgramPaths paths =
      ProgramPaths::FromProgramFile(ProgramFilePath(__argc > 0 ? __argv[0] : nullptr));
  RunEnvironment env{fs, paths};
  env.maxOutputBytes = OutputLimitFromEnvironment(std::getenv("GARANARABE_MAX_OUTPUT_MB"));
  ProgramRun run(env);
  run.Prepare();
  const RunOutcome outcome = run.RunWindowless(mode);
  if (outcome == RunOutcome::kShowDialog) {
    RealProcessRunner runner;
    return RunSettingsDialog(instance,
                             SettingsDialogInput{fs, runner, paths.programDir, paths.settingsPath,
                                                 run.settings(), run.state().paperScaleFlag});
  }
  // Silent as Jw_cad expects; only the exit status tells that a file could not be written.
  return outcome == RunOutcome::kWriteFailed ? 1 : 0;
}
