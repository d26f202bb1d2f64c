#include "app/run_mode.h"

namespace gara {

RunMode ParseRunMode(std::string_view argument) {
  if (argument == "1") return RunMode::kTwoPoint;
  if (argument == "2") return RunMode::kMultiPoint;
  if (argument == "3") return RunMode::kRegister;
  if (argument == "4") return RunMode::kPath;
  return RunMode::kDialog;
}

RunMode ParseRunModeArgs(int argc, const char* const* argv) {
  return argc >= 2 && argv[1] != nullptr ? ParseRunMode(argv[1]) : RunMode::kDialog;
}

}  // namespace gara
