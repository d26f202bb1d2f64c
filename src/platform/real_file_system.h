// The operating system's files behind the FileSystem interface.
#pragma once

#include "util/file_system.h"

namespace gara {

class RealFileSystem final : public FileSystem {
 public:
  // Bytes per piece of ReadPieces.
  static constexpr size_t kPieceSize = 1 << 20;

  std::optional<std::string> ReadFile(const std::string& path) override;
  bool ReadPieces(const std::string& path,
                  const std::function<bool(std::string_view)>& consume) override;
  std::optional<uint64_t> FileSize(const std::string& path) override;
  bool IsFile(const std::string& path) override;
  FileState StateOf(const std::string& path) override;
  [[nodiscard]] bool Remove(const std::string& path) override;
  std::unique_ptr<OutputFile> Create(const std::string& path) override;
  [[nodiscard]] bool Rename(const std::string& from, const std::string& to) override;
  uint32_t ProcessId() override;
};

// What a failed look at a path says of it: `error` is errno on POSIX, GetLastError() on Windows.
// Only "no such file or folder" is kMissing; any other failure is kUnreachable.
FileState StateOfLookupError(unsigned long error);

}  // namespace gara
