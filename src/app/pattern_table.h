// The twelve pattern rows as a plain-text table: what the Linux program shows where Windows
// opens the settings dialog.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "settings/settings.h"

namespace gara {

// The items of the dialog's drop-down lists, by stored value.
inline constexpr std::array<std::string_view, 2> kFigureKindItems{"選択図形", "JWS 図形"};
inline constexpr std::array<std::string_view, 2> kArrangementItems{"間隔指定", "均等配置"};
inline constexpr std::array<std::string_view, 3> kReferencePointItems{"上", "中", "下"};
inline constexpr std::array<std::string_view, 3> kLineModeItems{"なし", "間隔", "全長"};
// The captions of the four drawing-attribute switches.
inline constexpr std::array<std::string_view, 4> kSwitchCaptions{
    "●書込みレイヤグループに作図", "●書込み【レイヤ】に作図", "●書込み【線色】で作図",
    "●書込み　線種　で作図"};
// The unit of the lengths: paper millimetres when the exchange file held "bz".
inline constexpr std::string_view kUnitReal = "[実寸mm]";
inline constexpr std::string_view kUnitPaper = "[図寸mm]";

// Settings file path, .jws file, switches, then one line per row (the selected one marked).
// A value outside its list is shown as its number in brackets. Lines end in LF.
std::string PatternTable(const Settings& settings, std::string_view settingsPath, bool paperScale);

}  // namespace gara
