// End-to-end runs: the built program is copied into a temporary program directory and started
// there with a mode argument, exactly as Jw_cad starts it through its batch file.
#pragma once

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace gara::testing {

struct ProgramResult {
  int exitCode = -1;
  std::string output;       // standard output
  std::string errorOutput;  // standard error
};

// Path of the built program under test.
std::string ProgramUnderTest();
// Copies `program` (default: the program under test) into `dir` once and runs it there with
// `args`, the working directory being `dir`.
ProgramResult RunProgramIn(const TempDir& dir, const std::vector<std::string>& args,
                           const std::string& program = ProgramUnderTest());
// Starts `count` runs of the program under test in `dir` at once, as several Jw_cad windows
// sharing one program folder would, and waits for all.
std::vector<ProgramResult> RunProgramsAtOnceIn(const TempDir& dir,
                                               const std::vector<std::string>& args, int count);

}  // namespace gara::testing
