// The Windows program. Modes "1", "2" and "3" run without ever creating a window, so nothing
// flashes on the screen while Jw_cad waits; without a mode the settings dialog opens. "--version"
// prints the version to the console it was started from.
#include <stdlib.h>  // __argc, __argv

#include <windows.h>
#include <cstdlib>

#include <new>
#include <string>
#include <string_view>

#include "app/main_flow.h"
#include "app/outcome_message.h"
#include "platform/process_runner.h"
#include "platform/program_path.h"
#include "platform/real_file_system.h"
#include "platform/run_message.h"
#include "platform/win32/form.h"
#include "util/version.h"

namespace {

// A windowed program gets no console of its own: the text goes to the standard output it was
// handed (a pipe or a file of a batch file), else to the console of the window it was typed in.
bool WriteToConsole(std::string_view text) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) {
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return false;
    out = CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE) return false;
  }
  DWORD written = 0;
  const auto size = static_cast<DWORD>(text.size());
  return WriteFile(out, text.data(), size, &written, nullptr) && written == size;
}

int Run(HINSTANCE instance) {
  using namespace gara;
  if (AsksForVersion(__argc, __argv)) {
    const std::string line = VersionLine("garanarabe");
    // Started without any console (from a shortcut): the same line in a box.
    if (!WriteToConsole(line)) ShowRunMessage(line);
    return 0;
  }
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
