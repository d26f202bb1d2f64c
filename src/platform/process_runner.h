// The operating system's process start behind the ProcessRunner interface.
#pragma once

#include "figure/converter.h"

namespace gara {

// Windows: CreateProcessA with the exact command line; the wait keeps the window messages of
// the calling thread flowing, so an open dialog repaints while the converter runs.
// Elsewhere: posix_spawn without a shell and waitpid.
class RealProcessRunner final : public ProcessRunner {
 public:
  std::string ConverterFileName() const override;
  bool RunAndWait(const ConverterCommand& command) override;
};

}  // namespace gara
