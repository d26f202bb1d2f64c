#include "support/program_run.h"

#include <filesystem>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace gara::testing {

#ifdef _WIN32
namespace {

// One argument as the C runtime of the started program splits it back out of the command
// line: quoted when empty or holding blanks or quotes, backslashes doubled before a quote.
std::string QuotedArgument(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  std::string quoted(1, '"');
  size_t backslashes = 0;
  for (const char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\').push_back(c);
    backslashes = 0;
  }
  quoted.append(2 * backslashes, '\\').push_back('"');
  return quoted;
}

}  // namespace
#endif

std::string ProgramUnderTest() { return GARA_PROGRAM_PATH; }

namespace {

std::filesystem::path CopiedProgram(const TempDir& dir, const std::string& program) {
  namespace fs = std::filesystem;
  const fs::path target = dir.path() / fs::path(program).filename();
  if (!fs::exists(target)) fs::copy_file(program, target);
  return target;
}

// Runs the copied program; `tag` keeps apart the output files of runs at the same time.
ProgramResult RunCopied(const TempDir& dir, const std::filesystem::path& target,
                        const std::vector<std::string>& args, const std::string& tag) {
  namespace fs = std::filesystem;
  ProgramResult result;
#ifdef _WIN32
  // The command line as a batch file would give it: the program quoted, then the arguments.
  std::string commandLine(1, '"');
  commandLine.append(target.string()).push_back('"');
  for (const auto& a : args) commandLine.append(1, ' ').append(QuotedArgument(a));
  std::string outPath = dir.File(".program-stdout" + tag);
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  std::string errPath = dir.File(".program-stderr" + tag);
  HANDLE err = CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  const std::string workDir = dir.path().string();
  if (out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE &&
      CreateProcessA(target.string().c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                     nullptr, workDir.c_str(), &startup, &process)) {
    // A program that hangs fails its test instead of stopping the whole run.
    if (WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0) {
      DWORD code = 0;
      if (GetExitCodeProcess(process.hProcess, &code)) result.exitCode = static_cast<int>(code);
    } else {
      TerminateProcess(process.hProcess, 255);
      WaitForSingleObject(process.hProcess, 10000);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  if (err != INVALID_HANDLE_VALUE) CloseHandle(err);
  result.output = dir.Read(".program-stdout" + tag).value_or("");
  result.errorOutput = dir.Read(".program-stderr" + tag).value_or("");
  return result;
#else
  const std::string outPath = dir.File(".program-stdout" + tag);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  const std::string errPath = dir.File(".program-stderr" + tag);
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
  result.output = dir.Read(".program-stdout" + tag).value_or("");
  result.errorOutput = dir.Read(".program-stderr" + tag).value_or("");
  return result;
#endif
}

// Removed only once every run of a group has ended: on Windows a program started meanwhile
// inherits the others' output handles and holds their files open.
void RemoveOutputs(const TempDir& dir, const std::string& tag) {
  std::filesystem::remove(dir.File(".program-stdout" + tag));
  std::filesystem::remove(dir.File(".program-stderr" + tag));
}

}  // namespace

ProgramResult RunProgramIn(const TempDir& dir, const std::vector<std::string>& args,
                           const std::string& program) {
  ProgramResult result = RunCopied(dir, CopiedProgram(dir, program), args, "");
  RemoveOutputs(dir, "");
  return result;
}

std::vector<ProgramResult> RunProgramsAtOnceIn(const TempDir& dir,
                                               const std::vector<std::string>& args, int count) {
  const std::filesystem::path target = CopiedProgram(dir, ProgramUnderTest());
  std::vector<ProgramResult> results(static_cast<size_t>(count));
  std::vector<std::thread> runs;
  for (int i = 0; i < count; ++i) {
    runs.emplace_back([&, i] {
      results[static_cast<size_t>(i)] = RunCopied(dir, target, args, std::to_string(i));
    });
  }
  for (auto& run : runs) run.join();
  for (int i = 0; i < count; ++i) RemoveOutputs(dir, std::to_string(i));
  return results;
}

}  // namespace gara::testing
