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
  // With kWrite: how many Write calls of each file succeed before one fails.
  int writesBeforeFailure = 0;
  // With kCreate, kClose or kRename: how many calls of that kind succeed before `failures`
  // calls fail (the steps of a run that writes several files); any later ones succeed again.
  int callsBeforeFailure = 0;
  int failures = 1 << 30;

  // A file that is there but cannot be read (as without read permission, which the tests'
  // user may not be denied).
  std::string unreadable;
  // A path that cannot even be looked at, as behind a folder that may not be searched (which
  // the tests' user, often root, may not be denied either): neither read nor seen as a file.
  std::string unreachable;

  std::optional<std::string> ReadFile(const std::string& path) override {
    if (path == unreadable || path == unreachable) return std::nullopt;
    return real_.ReadFile(path);
  }
  bool IsFile(const std::string& path) override {
    return path != unreachable && real_.IsFile(path);
  }
  FileState StateOf(const std::string& path) override {
    return path == unreachable ? FileState::kUnreachable : real_.StateOf(path);
  }
  bool Remove(const std::string& path) override { return real_.Remove(path); }
  std::unique_ptr<OutputFile> Create(const std::string& path) override;
  bool Rename(const std::string& from, const std::string& to) override {
    return !Fails(Fault::kRename) && real_.Rename(from, to);
  }
  uint32_t ProcessId() override { return real_.ProcessId(); }

  // Counts a call of kind `kind`; true when it is to fail.
  bool Fails(Fault kind) {
    if (fault != kind) return false;
    const int call = calls_++;
    return call >= callsBeforeFailure && call - callsBeforeFailure < failures;
  }

 private:
  RealFileSystem real_;
  int calls_ = 0;
};

// The failing step by name in the parameterised tests' output.
inline void PrintTo(FaultFileSystem::Fault fault, std::ostream* os) {
  constexpr const char* kNames[] = {"none", "create", "write", "close", "rename"};
  *os << kNames[static_cast<int>(fault)];
}

}  // namespace gara::testing
