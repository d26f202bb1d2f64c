#include "app/program_paths.h"

#include "util/text.h"

namespace gara {

std::string_view DirectoryPart(std::string_view path, std::string_view separators) {
  // Windows paths are code page 932: the second byte of 表 or ソ is a backslash that ends no
  // folder name. Linux paths are plain bytes (UTF-8 names would be misread as Shift-JIS).
  const bool shiftJis = separators.find('\\') != std::string_view::npos;
  size_t end = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    if (shiftJis && IsLeadByte(c)) {
      ++i;
    } else if (separators.find(static_cast<char>(c)) != std::string_view::npos) {
      end = i + 1;
    }
  }
  return path.substr(0, end);
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
