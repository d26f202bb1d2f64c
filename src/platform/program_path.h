// The running program's own file, from which the program directory and the settings file follow.
#pragma once

#include <string>

namespace gara {

// The real path of the running program's file (links resolved); `argv0` is the fallback where
// the system cannot tell. Empty when neither gives a path.
std::string ProgramFilePath(const char* argv0);

}  // namespace gara
