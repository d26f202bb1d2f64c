// Small helpers for the pattern tests: the output as lines.
#pragma once

#include <string>
#include <vector>

#include "exchange/output.h"
#include "support/memory_file_system.h"

namespace gara::testing {

// The file image of the buffer split into its lines (without CR LF).
inline std::vector<std::string> OutputLines(const OutputBuffer& buffer) {
  const std::string image = buffer.FileImage();
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < image.size()) {
    size_t end = image.find("\r\n", start);
    if (end == std::string::npos) end = image.size();
    lines.emplace_back(image.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

}  // namespace gara::testing
