#include "util/path.h"

#include "util/text.h"

namespace gara {

std::string_view DirectoryPart(std::string_view path, std::string_view separators) {
  // Windows paths are code page 932. Linux paths are plain bytes (UTF-8 names would be misread
  // as Shift-JIS).
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

}  // namespace gara
