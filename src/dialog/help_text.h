// The help text of the settings dialog: short Japanese lines, paragraphs separated by a line
// holding one ideographic space.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace gara {

// The lines in order, without line ends.
std::span<const std::string_view> HelpLines();
// The lines joined by CR LF, as a multi-line edit field shows them.
std::string HelpText();

}  // namespace gara
