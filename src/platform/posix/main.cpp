// The Linux program: the windowless modes as on Windows; without a mode, where Windows opens the
// settings dialog, the pattern table is printed instead.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/main_flow.h"
#include "app/pattern_table.h"
#include "platform/program_path.h"
#include "platform/real_file_system.h"

int main(int argc, char** argv) {
  using namespace gara;
  RealFileSystem fs;
  const RunMode mode = ParseRunModeArgs(argc, argv);
  RunEnvironment env{fs, ProgramPaths::FromProgramFile(ProgramFilePath(argv[0]))};
  env.maxOutputBytes = OutputLimitFromEnvironment(std::getenv("GARANARABE_MAX_OUTPUT_MB"));
  ProgramRun run(env);
  run.Prepare();
  const RunOutcome outcome = run.RunWindowless(mode);
  if (outcome == RunOutcome::kShowDialog) {
    const std::string table = PatternTable(run.settings(), run.environment().paths.settingsPath,
                                           run.state().paperScaleFlag);
    std::fwrite(table.data(), 1, table.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  // Silent as Jw_cad expects; only the exit status tells that a file could not be written.
  return outcome == RunOutcome::kWriteFailed ? 1 : 0;
}
