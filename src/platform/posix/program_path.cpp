#include "platform/program_path.h"

#include <stdlib.h>

#include <memory>

namespace gara {
namespace {

std::string RealPath(const char* path) {
  if (path == nullptr || *path == '\0') return {};
  const std::unique_ptr<char, decltype(&free)> real(realpath(path, nullptr), &free);
  return real ? std::string(real.get()) : std::string();
}

}  // namespace

std::string ProgramFilePath(const char* argv0) {
  // /proc/self/exe names the file that is running, whichever link or folder started it.
  std::string path = RealPath("/proc/self/exe");
  if (path.empty()) path = RealPath(argv0);
  return path;
}

}  // namespace gara
