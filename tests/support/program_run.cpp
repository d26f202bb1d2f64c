#include "support/program_run.h"

#include <filesystem>

#ifdef _WIN32
#include <cstdio>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace gara::testing {

std::string ProgramUnderTest() { return GARA_PROGRAM_PATH; }

ProgramResult RunProgramIn(const TempDir& dir, const std::vector<std::string>& args,
                           const std::string& program) {
  namespace fs = std::filesystem;
  const fs::path target = dir.path() / fs::path(program).filename();
  if (!fs::exists(target)) fs::copy_file(program, target);
  ProgramResult result;
#ifdef _WIN32
  (void)args;
  return result;
#else
  const std::string outPath = dir.File(".program-stdout");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  const std::string errPath = dir.File(".program-stderr");
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addchdir_np(&actions, dir.path().c_str());
  std::vector<std::string> argvStore{target.string()};
  argvStore.insert(argvStore.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argvStore) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, target.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  result.output = dir.Read(".program-stdout").value_or("");
  result.errorOutput = dir.Read(".program-stderr").value_or("");
  fs::remove(outPath);
  fs::remove(errPath);
  return result;
#endif
}

}  // namespace gara::testing
