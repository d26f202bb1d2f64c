// The settings dialog's 詳細 sub-dialog in raw Win32: the figure details and the bend switch of
// the row the model has opened for editing. The model holds every value; the window only shows and
// forwards them.
#pragma once

#include <windows.h>

#include "dialog/dialog_model.h"

namespace gara {

// Modal over `owner` (disabled meanwhile) until OK or キャンセル closes the edit the model has
// opened (DialogModel::OpenDetails). A failure inside is thrown again here, once the window is
// gone and the edit dropped.
void RunDetailsDialog(HWND owner, HFONT font, DialogModel& model);

}  // namespace gara
