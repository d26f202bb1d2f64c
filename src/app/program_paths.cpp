#include "app/program_paths.h"

#include "util/path.h"

namespace gara {

std::string ReplaceExtension(std::string_view path, std::string_view extension,
                             std::string_view separators) {
  const size_t nameStart = DirectoryPart(path, separators).size();
  const auto dot = path.rfind('.');
  const bool hasExtension = dot != std::string_view::npos && dot > nameStart;
  std::string result(hasExtension ? path.substr(0, dot) : path);
  result += extension;
  return result;
}

std::string ProgramPaths::RowDetailsPath() const {
  return ReplaceExtension(settingsPath, ".ini", kPathSeparators);
}

ProgramPaths ProgramPaths::FromProgramFile(std::string_view programFile,
                                           std::string_view separators) {
  return {std::string(DirectoryPart(programFile, separators)),
          ReplaceExtension(programFile, ".dat", separators)};
}

}  // namespace gara
