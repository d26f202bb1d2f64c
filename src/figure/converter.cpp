#include "figure/converter.h"

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

void RunConverter(FileSystem& fs, ProcessRunner& runner, const std::string& programDir,
                  const std::string& jwsPath) {
  const std::string output = programDir + "jws.txt";
  // A failed conversion must leave no stale figure behind.
  if (fs.IsFile(output)) fs.Remove(output);
  if (jwsPath.empty() || !fs.IsFile(jwsPath)) return;
  runner.RunAndWait(ConverterCommand{programDir + runner.ConverterFileName(), output, jwsPath});
}

FigureSize MeasureFigure(int kind, FileSystem& fs, ProcessRunner* runner,
                         const std::string& programDir, const std::string& jwsPath) {
  switch (kind) {
    case 0:
      return MeasureFigureFile(fs, programDir + "sel.txt");
    case 1:
      if (runner) RunConverter(fs, *runner, programDir, jwsPath);
      return MeasureFigureFile(fs, programDir + "jws.txt");
    default:
      return FigureSize{};
  }
}

}  // namespace gara
