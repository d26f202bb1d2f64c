// Files held in memory: a run that touches no disk, each test or fuzz input starting afresh.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "util/file_system.h"

namespace gara::testing {

class MemoryFileSystem final : public FileSystem {
 public:
  std::map<std::string, std::string> files;
  // Sizes FileSize tells in place of the bytes' (files too large to make in a test).
  std::map<std::string, uint64_t> sizes;
  int reads = 0;  // ReadFile calls

  std::optional<std::string> ReadFile(const std::string& path) override {
    ++reads;
    const auto it = files.find(path);
    if (it == files.end()) return std::nullopt;
    return it->second;
  }
  // Not a read: only the size is looked at.
  std::optional<uint64_t> FileSize(const std::string& path) override {
    if (const auto size = sizes.find(path); size != sizes.end()) return size->second;
    const auto it = files.find(path);
    if (it == files.end()) return std::nullopt;
    return it->second.size();
  }
  bool IsFile(const std::string& path) override { return files.contains(path); }
  bool Remove(const std::string& path) override { return files.erase(path) == 1; }
  std::unique_ptr<OutputFile> Create(const std::string& path) override {
    files[path].clear();
    return std::make_unique<File>(*this, path);
  }
  bool Rename(const std::string& from, const std::string& to) override {
    const auto it = files.find(from);
    if (it == files.end()) return false;
    std::string bytes = std::move(it->second);
    files.erase(it);
    files[to] = std::move(bytes);
    return true;
  }

 private:
  // Looks its file up on every write, so that a file removed or renamed while open is safe.
  class File final : public OutputFile {
   public:
    File(MemoryFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
    bool Write(std::string_view bytes) override {
      fs_.files[path_].append(bytes);
      return true;
    }
    bool Close() override { return true; }

   private:
    MemoryFileSystem& fs_;
    std::string path_;
  };
};

}  // namespace gara::testing
