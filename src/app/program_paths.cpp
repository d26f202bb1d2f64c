#include "app/program_paths.h"

namespace gara {

std::string_view DirectoryPart(std::string_view path, std::string_view separators) {
  const auto last = path.find_last_of(separators);
  return last == std::string_view::npos ? std::string_view{} : path.substr(0, last + 1);
}

std::string ReplaceExtension(std::string_view path, std::string_view extension,
                             std::string_view separators) {
  const size_t nameStart = DirectoryPart(path, separators).size();
  const auto dot = path.rfind('.');
  const bool hasExtension = dot != std::string_view::npos && dot > nameStart;
  std::string result(hasExtension ? path.substr(0, dot) : path);
  result += extension;
  return result;
}

ProgramPaths ProgramPaths::FromProgramFile(std::string_view programFile,
                                           std::string_view separators) {
  return {std::string(DirectoryPart(programFile, separators)),
          ReplaceExtension(programFile, ".dat", separators)};
}

}  // namespace gara
