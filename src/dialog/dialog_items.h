// The words the settings dialog shows for stored values: the items of its drop-down lists (index =
// stored value), the captions of the four drawing-attribute switches and the unit label. The
// Linux pattern table shows the same words.
#pragma once

#include <array>
#include <string_view>

namespace gara {

inline constexpr std::array<std::string_view, 2> kFigureKindItems{"選択図形", "JWS 図形"};
inline constexpr std::array<std::string_view, 3> kArrangementItems{"間隔指定", "均等配置",
                                                                   "伸縮配置"};
inline constexpr std::array<std::string_view, 3> kReferencePointItems{"上", "中", "下"};
inline constexpr std::array<std::string_view, 3> kLineModeItems{"なし", "間隔", "全長"};
// CheckBox1..CheckBox4.
inline constexpr std::array<std::string_view, 4> kSwitchCaptions{
    "●書込みレイヤグループに作図", "●書込み【レイヤ】に作図", "●書込み【線色】で作図",
    "●書込み　線種　で作図"};
// The unit of the lengths: paper millimetres when the exchange file held "bz".
inline constexpr std::string_view kUnitReal = "[実寸mm]";
inline constexpr std::string_view kUnitPaper = "[図寸mm]";

}  // namespace gara
