#include "figure/converter.h"

#include <optional>

#include "figure/figure_format.h"

namespace gara {

std::string ConverterCommand::CommandLine() const {
  std::string line;
  line.reserve(program.size() + outputPath.size() + inputPath.size() + 12);
  line += '"';
  line += program;
  line += "\" /1 \"";
  line += outputPath;
  line += "\" \"";
  line += inputPath;
  line += '"';
  return line;
}

bool RunConverter(FileSystem& fs, ProcessRunner& runner, const std::string& programDir,
                  const std::string& jwsPath) {
  return RunConverterInto(fs, runner, programDir, jwsPath,
                          programDir + std::string(FigureFileName(FigureKind::kJws)));
}

bool RunConverterInto(FileSystem& fs, ProcessRunner& runner, const std::string& programDir,
                      const std::string& jwsPath, const std::string& output) {
  // A failed conversion must leave no stale figure behind.
  if (fs.IsFile(output) && !fs.Remove(output)) return false;
  if (jwsPath.empty() || !fs.IsFile(jwsPath)) return true;
  runner.RunAndWait(ConverterCommand{programDir + runner.ConverterFileName(), output, jwsPath});
  return true;
}

FigureSize MeasureFigure(int kind, FileSystem& fs, ProcessRunner* runner,
                         const std::string& programDir, const std::string& jwsPath) {
  const std::optional<FigureKind> figure = FigureKindOf(kind);
  if (!figure) return FigureSize{};
  if (*figure == FigureKind::kJws && runner && !RunConverter(fs, *runner, programDir, jwsPath)) {
    return FigureSize{};
  }
  return MeasureFigureFile(fs, programDir + std::string(FigureFileName(*figure)));
}

}  // namespace gara
