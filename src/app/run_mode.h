// The run mode, chosen by the first command-line argument with which Jw_cad's batch file starts
// the program.
#pragma once

#include <string_view>

namespace gara {

enum class RunMode {
  kDialog = 0,      // no argument: the settings dialog
  kTwoPoint = 1,    // "1": between designated points 1 and 2
  kMultiPoint = 2,  // "2": along designated points 1, 2, 3, ...
  kRegister = 3,    // "3": the selection becomes sel.txt
  kPath = 4,        // "4": along the selected lines, arcs and circles
};

// The first argument compared as a whole: exactly "1", "2", "3" or "4"; anything else ("01",
// "1 ", "5", or none at all) is the dialog.
RunMode ParseRunMode(std::string_view argument);
RunMode ParseRunModeArgs(int argc, const char* const* argv);

}  // namespace gara
