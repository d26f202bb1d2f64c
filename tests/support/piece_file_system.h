// One file's bytes handed over in pieces of a given size, so that lines straddle the pieces; a
// read can be made to fail after some of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "util/file_system.h"

namespace gara::testing {

class PieceFileSystem final : public FileSystem {
 public:
  PieceFileSystem(std::string bytes, size_t pieceSize)
      : bytes_(std::move(bytes)), size_(pieceSize) {}
  size_t failAfter = SIZE_MAX;  // pieces handed over before a read error
  size_t handed = 0;            // pieces handed over so far

  std::optional<std::string> ReadFile(const std::string&) override { return bytes_; }
  bool ReadPieces(const std::string&,
                  const std::function<bool(std::string_view)>& consume) override {
    for (size_t at = 0; at < bytes_.size(); at += size_) {
      if (handed == failAfter) return false;
      ++handed;
      if (!consume(std::string_view(bytes_).substr(at, size_))) break;
    }
    return true;
  }
  bool IsFile(const std::string&) override { return true; }
  bool Remove(const std::string&) override { return false; }
  std::unique_ptr<OutputFile> Create(const std::string&) override { return nullptr; }
  bool Rename(const std::string&, const std::string&) override { return false; }

 private:
  std::string bytes_;
  size_t size_;
};

}  // namespace gara::testing
