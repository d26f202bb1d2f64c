// The product's version, as the programs print it for "--version" and the dialog's help shows
// it. The number itself comes from the build (util/version_number.h, generated).
#pragma once

#include <string>
#include <string_view>

#include "util/version_number.h"

namespace gara {

inline constexpr std::string_view kVersion = GARA_VERSION;

// True when the first argument is exactly "--version"; a run mode ("1" to "4") or nothing at
// all never is.
bool AsksForVersion(int argc, const char* const* argv);
// "PROGRAM 1.0.0" and a line end: what "--version" prints.
std::string VersionLine(std::string_view program);

}  // namespace gara
