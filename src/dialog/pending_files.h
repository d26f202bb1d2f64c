// Files the settings dialog writes only on OK, seen beforehand as if they were written: the
// preview reads a pending file's bytes from memory and every other file from the disk, so that
// nothing on the disk changes before OK and nothing at all after Cancel.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "util/file_system.h"

namespace gara {

class PendingFileSystem final : public FileSystem {
 public:
  explicit PendingFileSystem(FileSystem& disk) : disk_(disk) {}

  // From now on `path` reads as `bytes`.
  void Put(const std::string& path, std::string bytes) { pending_[path] = std::move(bytes); }
  // `path` reads from the disk again.
  void Drop(const std::string& path) { pending_.erase(path); }
  const std::map<std::string, std::string>& pending() const { return pending_; }

  std::optional<std::string> ReadFile(const std::string& path) override;
  bool ReadPieces(const std::string& path,
                  const std::function<bool(std::string_view)>& consume) override;
  std::optional<uint64_t> FileSize(const std::string& path) override;
  bool IsFile(const std::string& path) override;
  FileState StateOf(const std::string& path) override;
  // Writes go to the disk: only reads see the pending files.
  [[nodiscard]] bool Remove(const std::string& path) override { return disk_.Remove(path); }
  std::unique_ptr<OutputFile> Create(const std::string& path) override {
    return disk_.Create(path);
  }
  [[nodiscard]] bool Rename(const std::string& from, const std::string& to) override {
    return disk_.Rename(from, to);
  }
  uint32_t ProcessId() override { return disk_.ProcessId(); }

 private:
  FileSystem& disk_;
  std::map<std::string, std::string> pending_;
};

}  // namespace gara
