// Running the figure converter (kvx) that turns a .jws file into jws.txt, and measuring
// either figure source.
#pragma once

#include <string>

#include "figure/measure.h"
#include "util/file_system.h"

namespace gara {

// `"<dir>kvx.exe" /1 "<dir>jws.txt" "<jws path>"`: the output file first, the .jws second.
struct ConverterCommand {
  std::string program;     // program directory + converter file name
  std::string outputPath;  // program directory + "jws.txt"
  std::string inputPath;   // the .jws file
  std::string CommandLine() const;
};

// Starts a process and waits for it to end; the platform layer implements it (CreateProcessA
// with a message pump on Windows, posix_spawn and waitpid elsewhere).
class ProcessRunner {
 public:
  virtual ~ProcessRunner() = default;
  // "kvx.exe" on Windows, "kvx" elsewhere.
  virtual std::string ConverterFileName() const = 0;
  // False when the process could not be started; the result of the process is not used.
  virtual bool RunAndWait(const ConverterCommand& command) = 0;
};

// Deletes jws.txt, then, if `jwsPath` names an existing file, runs the converter to re-create it.
// False, with nothing run, when an old jws.txt cannot be deleted: it would pass for the new one.
[[nodiscard]] bool RunConverter(FileSystem& fs, ProcessRunner& runner,
                                const std::string& programDir, const std::string& jwsPath);
// The same into the figure file `outputPath` instead of jws.txt.
[[nodiscard]] bool RunConverterInto(FileSystem& fs, ProcessRunner& runner,
                                    const std::string& programDir, const std::string& jwsPath,
                                    const std::string& outputPath);

// The stored kind 0 measures sel.txt; kind 1 first re-converts (when `runner` is given) and
// measures jws.txt; any other kind, or an old jws.txt that could not be deleted for the
// re-conversion, is (0, 0).
FigureSize MeasureFigure(int kind, FileSystem& fs, ProcessRunner* runner,
                         const std::string& programDir, const std::string& jwsPath);

}  // namespace gara
