// What the user is told when a run draws or registers nothing for a reason they can change, and
// when a run is stopped by a failure. The texts are Shift-JIS; the platform layer shows them (a
// message box on Windows, standard error on Linux).
#pragma once

#include <string>
#include <string_view>

#include "app/main_flow.h"
#include "dialog/dialog_model.h"  // kApplicationTitle, the caption of the message box

namespace gara {

// Set to "1", the Windows program writes its message to standard error instead of showing a
// box (tests and scripted use).
inline constexpr const char* kNoMessageBoxVariable = "GARANARABE_NO_MESSAGE_BOX";

// Empty when the outcome needs no word to the user (drawn, registered, the dialog) and the run
// followed every row detail; a detail it did not follow is told after the outcome's own words.
std::string OutcomeMessage(RunOutcome outcome, const RunDetail& detail);

// A run stopped by a failure it could not handle: the files stay as they were.
enum class RunFailure { kOutOfMemory, kUnexpected };
std::string_view FailureMessage(RunFailure failure);
// The settings dialog closed by such a failure, without saving.
std::string_view DialogFailureMessage(RunFailure failure);

// The exit status: 0 when the run did its work or was refused for a reason the user was told,
// kWriteFailedExit when a file could not be written or read, kAbortedExit after a failure.
inline constexpr int kWriteFailedExit = 1;
inline constexpr int kAbortedExit = 3;
int ExitStatus(RunOutcome outcome);

}  // namespace gara
