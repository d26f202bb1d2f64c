// Small helpers of the settings and main-flow tests: file images from lines and back, the
// steps at which a write can be made to fail, and what a folder holds.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "support/fault_file_system.h"
#include "support/temp_dir.h"
#include "util/lines.h"

namespace gara::testing {

// The file image of `lines`, each ended by CR LF.
inline std::string CrLf(std::initializer_list<std::string_view> lines) {
  std::string bytes;
  for (std::string_view line : lines) {
    bytes += line;
    bytes += "\r\n";
  }
  return bytes;
}
inline std::string CrLf(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const auto& line : lines) bytes += line + "\r\n";
  return bytes;
}

// The lines of a file image, without their line ends.
inline std::vector<std::string> Lines(std::string_view bytes) {
  std::vector<std::string> lines;
  LineReader reader(bytes);
  std::string_view line;
  while (reader.Next(line)) lines.emplace_back(line);
  return lines;
}

inline size_t FilesIn(const TempDir& dir) {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir.path()), {}));
}

struct FaultCase {
  const char* step;
  FaultFileSystem::Fault fault;
};

inline void PrintTo(const FaultCase& c, std::ostream* os) { *os << "failing " << c.step; }

// Every step of a write that can fail.
inline const FaultCase kWriteFaults[] = {{"create", FaultFileSystem::Fault::kCreate},
                                         {"write", FaultFileSystem::Fault::kWrite},
                                         {"close", FaultFileSystem::Fault::kClose},
                                         {"rename", FaultFileSystem::Fault::kRename}};

}  // namespace gara::testing
