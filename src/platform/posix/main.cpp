// The Linux program: the windowless modes as on Windows; without a mode, where Windows opens the
// settings dialog, the pattern table is printed instead, in UTF-8 for the terminal.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <string>

#include "app/main_flow.h"
#include "app/outcome_message.h"
#include "app/pattern_table.h"
#include "platform/program_path.h"
#include "platform/real_file_system.h"
#include "platform/run_message.h"
#include "util/cp932.h"
#include "util/version.h"

namespace {

int Run(int argc, char** argv) {
  using namespace gara;
  if (AsksForVersion(argc, argv)) {
    const std::string line = VersionLine("garanarabe");
    std::fwrite(line.data(), 1, line.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  RealFileSystem fs;
  const RunMode mode = ParseRunModeArgs(argc, argv);
  RunEnvironment env{fs, ProgramPaths::FromProgramFile(ProgramFilePath(argv[0]))};
  env.maxOutputBytes = OutputLimitFromEnvironment(std::getenv("GARANARABE_MAX_OUTPUT_MB"));
  ProgramRun run(env);
  run.Prepare(mode);
  const RunOutcome outcome = run.RunWindowless(mode);
  if (outcome == RunOutcome::kShowDialog) {
    const std::string& settingsPath = run.environment().paths.settingsPath;
    const std::string sjis = PatternTable(run.settings(), settingsPath, run.state().paperScaleFlag);
    // The table is Shift-JIS like every file of the program; the terminal reads UTF-8. Only its
    // first line, the settings file's own path, is already in the terminal's bytes.
    const std::string head = "Settings file: " + settingsPath + "\n";
    const size_t keep = sjis.starts_with(head) ? head.size() : 0;
    const std::string table = sjis.substr(0, keep) + jws::Cp932ToUtf8(sjis.substr(keep));
    std::fwrite(table.data(), 1, table.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  // Jw_cad reads only the files; the reason for a refusal goes to standard error.
  const std::string message = OutcomeMessage(outcome, run.detail());
  if (!message.empty()) ShowRunMessage(message);
  return ExitStatus(outcome);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace gara;
  // Nothing escapes: the files are replaced only when complete, so after any failure they stand
  // as they were, and the user is told why.
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    ShowRunMessage(FailureMessage(RunFailure::kOutOfMemory));
  } catch (...) {
    ShowRunMessage(FailureMessage(RunFailure::kUnexpected));
  }
  return kAbortedExit;
}
