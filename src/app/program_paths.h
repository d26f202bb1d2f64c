// Where a run finds its files: everything lives beside the program's own file.
#pragma once

#include <string>
#include <string_view>

#include "figure/figure_format.h"
#include "util/path.h"

namespace gara {

// The characters that end a folder name in a path of this platform.
#ifdef _WIN32
inline constexpr std::string_view kPathSeparators = kWindowsPathSeparators;
#else
inline constexpr std::string_view kPathSeparators = "/";
#endif

struct ProgramPaths {
  std::string programDir;    // with its trailing separator; empty means the current folder
  std::string settingsPath;  // the program's own path with the extension ".dat"

  // From the program's own file path (its real path, links resolved).
  static ProgramPaths FromProgramFile(std::string_view programFile,
                                      std::string_view separators = kPathSeparators);

  std::string ExchangeFile() const { return programDir + "JWC_TEMP.TXT"; }
  // The row details beside the settings file: its name with the extension ".ini".
  std::string RowDetailsPath() const;
  std::string SelectionFigureFile() const {
    return programDir + std::string(FigureFileName(FigureKind::kSelected));
  }
};

// `path` with the extension of its file name replaced by `extension` (which starts with "."),
// or with `extension` appended when the file name has none. A dot that starts the file name
// (".profile") does not begin an extension.
std::string ReplaceExtension(std::string_view path, std::string_view extension,
                             std::string_view separators);

}  // namespace gara
