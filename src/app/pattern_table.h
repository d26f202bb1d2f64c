// The twelve pattern rows as a plain-text table: what the Linux program shows where Windows
// opens the settings dialog.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "dialog/dialog_items.h"
#include "settings/settings.h"

namespace gara {

// Settings file path, .jws file, switches, then one line per row (the selected one marked).
// A value outside its list is shown as its number in brackets. Lines end in LF.
std::string PatternTable(const Settings& settings, std::string_view settingsPath, bool paperScale);

}  // namespace gara
