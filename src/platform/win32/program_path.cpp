#include "platform/program_path.h"

#include <windows.h>

namespace gara {

std::string ProgramFilePath(const char* argv0) {
  // The module's own file, whatever the command line called it; in the ANSI code page, as
  // every other path the program handles.
  std::string path(MAX_PATH, '\0');
  while (true) {
    const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) break;
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    if (path.size() >= 32768) break;  // longer than any Windows path
    path.resize(path.size() * 2);
  }
  return argv0 != nullptr ? std::string(argv0) : std::string();
}

}  // namespace gara
