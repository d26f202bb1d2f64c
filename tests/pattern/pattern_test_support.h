// Small helpers for the pattern tests: an in-memory file system and the output as lines.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/output.h"
#include "util/file_system.h"

namespace gara::testing {

// Files held in memory; only reading is needed by a drawing run.
class MemoryFileSystem final : public FileSystem {
 public:
  std::map<std::string, std::string> files;
  int reads = 0;

  std::optional<std::string> ReadFile(const std::string& path) override {
    ++reads;
    const auto it = files.find(path);
    if (it == files.end()) return std::nullopt;
    return it->second;
  }
  bool IsFile(const std::string& path) override { return files.count(path) != 0; }
  bool Remove(const std::string& path) override { return files.erase(path) != 0; }
  std::unique_ptr<OutputFile> Create(const std::string&) override { return nullptr; }
  bool Rename(const std::string&, const std::string&) override { return false; }
};

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
