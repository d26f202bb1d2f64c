// Shows a message of the core (Shift-JIS text) to the user: a message box on Windows (standard
// error when GARANARABE_NO_MESSAGE_BOX=1), standard error in UTF-8 on Linux.
#pragma once

#include <string_view>

namespace gara {

void ShowRunMessage(std::string_view cp932Text);

}  // namespace gara
