// What the settings dialog and its 詳細 sub-dialog share in raw Win32: controls made from the
// layout table, the size of a text in the dialog font, and the open-file dialog for a .jws file.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "dialog/dialog_layout.h"
#include "dialog/dialog_model.h"

namespace gara {

// Registers the window class `name` of this program once (later calls find it); false when it
// can be neither found nor registered. `background` may be null.
bool RegisterWindowClass(const char* name, WNDPROC procedure, HBRUSH background);

// The size of `text` (Shift-JIS) in `font` as `window` draws it.
SIZE TextSize(HWND window, HFONT font, std::string_view text);

// The control `layout` describes, a child of `parent` with the id `id`; nullptr when it could
// not be made.
HWND CreateLayoutControl(HWND parent, HFONT font, const ControlLayout& layout, int id);

// The open-file dialog for a .jws file, starting at `start`; the chosen path, none when the user
// cancelled.
std::optional<std::string> ChooseJwsFile(HWND owner, const BrowseStart& start);

}  // namespace gara
