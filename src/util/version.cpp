#include "util/version.h"

namespace gara {

bool AsksForVersion(int argc, const char* const* argv) {
  return argc >= 2 && argv[1] != nullptr && std::string_view(argv[1]) == "--version";
}

std::string VersionLine(std::string_view program) {
  std::string line(program);
  line += ' ';
  line += kVersion;
  line += '\n';
  return line;
}

}  // namespace gara
