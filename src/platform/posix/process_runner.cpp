#include "platform/process_runner.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

extern char** environ;

namespace gara {

std::string RealProcessRunner::ConverterFileName() const { return "kvx"; }

bool RealProcessRunner::RunAndWait(const ConverterCommand& command) {
  // The same three arguments the Windows command line carries, each passed as it is: no shell
  // sees them, so blanks, quotes and Shift-JIS bytes in the .jws path need no escaping.
  std::string program = command.program;
  std::string option = "/1";
  std::string output = command.outputPath;
  std::string input = command.inputPath;
  char* argv[] = {program.data(), option.data(), output.data(), input.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) break;
  }
  return true;
}

}  // namespace gara
