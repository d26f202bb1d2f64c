// The program's only door to files. The core sees this interface; the platform layer supplies
// the real one, and tests supply one that makes any step of a write fail.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace gara {

// One file being written.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  [[nodiscard]] virtual bool Write(std::string_view bytes) = 0;
  // Flushes and closes; false when any byte may not have reached the disk.
  [[nodiscard]] virtual bool Close() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // The whole file; nullopt when it is missing, not a regular file, or cannot be read.
  virtual std::optional<std::string> ReadFile(const std::string& path) = 0;
  // The file's bytes in pieces, in order, handed to `consume` until the end or until `consume`
  // returns false (an early stop, not a failure), so that a large file never has to be held
  // whole. False when the file is missing, not a regular file, or cannot be read; pieces
  // handed over before a read error stay consumed. The default reads the whole file at once.
  virtual bool ReadPieces(const std::string& path,
                          const std::function<bool(std::string_view)>& consume);
  virtual bool IsFile(const std::string& path) = 0;
  [[nodiscard]] virtual bool Remove(const std::string& path) = 0;
  // Creates or truncates; nullptr on failure.
  virtual std::unique_ptr<OutputFile> Create(const std::string& path) = 0;
  // Moves `from` over `to`, replacing it.
  [[nodiscard]] virtual bool Rename(const std::string& from, const std::string& to) = 0;
};

enum class OnWriteFailure {
  kKeepOld,    // the previous file stays as it was (the settings file)
  kRemoveOld,  // no file remains at the path (the exchange and figure files)
};

// Writes `path` through a temporary file beside it that is renamed over the old file once
// `produce` has written everything. No temporary file survives, success or not.
[[nodiscard]] bool ReplaceFile(FileSystem& fs, const std::string& path,
                               const std::function<bool(OutputFile&)>& produce,
                               OnWriteFailure onFailure);
[[nodiscard]] bool ReplaceFile(FileSystem& fs, const std::string& path, std::string_view bytes,
                               OnWriteFailure onFailure);

}  // namespace gara
