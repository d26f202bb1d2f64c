// A real file system whose writes can be made to fail at any step, to show that a failed write
// never loses data or leaves a partial file.
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "platform/real_file_system.h"

namespace gara::testing {

class FaultFileSystem final : public FileSystem {
 public:
  enum class Fault { kNone, kCreate, kWrite, kClose, kRename };
  Fault fault = Fault::kNone;
  // With kWrite: how many Write calls succeed before one fails.
  int writesBeforeFailure = 0;

  std::optional<std::string> ReadFile(const std::string& path) override {
    return real_.ReadFile(path);
  }
  bool IsFile(const std::string& path) override { return real_.IsFile(path); }
  bool Remove(const std::string& path) override { return real_.Remove(path); }
  std::unique_ptr<OutputFile> Create(const std::string& path) override;
  bool Rename(const std::string& from, const std::string& to) override {
    return fault != Fault::kRename && real_.Rename(from, to);
  }

 private:
  RealFileSystem real_;
};

// The failing step by name in the parameterised tests' output.
inline void PrintTo(FaultFileSystem::Fault fault, std::ostream* os) {
  constexpr const char* kNames[] = {"none", "create", "write", "close", "rename"};
  *os << kNames[static_cast<int>(fault)];
}

}  // namespace gara::testing
