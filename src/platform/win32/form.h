// The settings dialog as a raw Win32 window: the program's one form in dialog mode.
#pragma once

#include <windows.h>

#include <string>

#include "dialog/dialog_model.h"
#include "exchange/drawing_state.h"
#include "figure/converter.h"
#include "util/file_system.h"

namespace gara {

// What the dialog needs from the run that opened it.
struct SettingsDialogInput {
  FileSystem& fs;
  ProcessRunner& runner;     // starts the converter for the JWS figure
  std::string programDir;    // with its trailing separator
  std::string settingsPath;  // the program's own path with the extension ".dat"
  Settings settings;         // as loaded
  bool paperScale = false;   // the exchange file held "bz": sizes are in drawing millimetres
  // The exchange file the dialog was started with: the preview draws in its writing attributes.
  const DrawingState& drawing;
  // The row details loaded with the settings, and where OK saves them.
  LoadedRowDetails rowDetails;
  std::string detailsPath;
};

// Dialog mode: fills and shows the dialog and runs its message loop until OK (which saves),
// Cancel or the close box ends it. Returns the program's exit code.
int RunSettingsDialog(HINSTANCE instance, SettingsDialogInput input);

}  // namespace gara
