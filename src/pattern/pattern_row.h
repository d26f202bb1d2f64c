// One pattern row: the figure, its size, how copies are spaced and aligned, and which lines go
// with them. The settings file stores twelve of them; a drawing run lays out one.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "figure/figure_format.h"

namespace gara {

// The closed sets a pattern row chooses from, by their stored values (FigureKind, the figure
// source, lives with the figure file).
// "間隔指定", "均等配置", "伸縮配置".
enum class Arrangement : int32_t { kInterval = 0, kEven = 1, kStretch = 2 };
// "上", "中", "下".
enum class ReferencePoint : int32_t { kTop = 0, kMiddle = 1, kBottom = 2 };
// "なし", "間隔", "全長".
enum class LineMode : int32_t { kNone = 0, kGaps = 1, kFullLength = 2 };

// The stored fields keep whatever the settings file held, out-of-range values included, so that
// a save writes back exactly what was loaded; code that branches on them reads the accessors.
struct PatternRow {
  int32_t figureKind = 0;
  double width = 10.0;
  double height = 10.0;
  int32_t arrangement = 0;
  double interval = 0.0;
  int32_t referencePoint = 1;
  int32_t topLine = 0;
  int32_t middleLine = 0;
  int32_t bottomLine = 0;

  // None for a value outside the list: such a row has no figure.
  std::optional<FigureKind> Kind() const { return FigureKindOf(figureKind); }
  // A value outside the list lays out as "間隔指定".
  Arrangement Spacing() const {
    return arrangement == 1 || arrangement == 2 ? static_cast<Arrangement>(arrangement)
                                                : Arrangement::kInterval;
  }
  // A value outside the list stands for "中".
  ReferencePoint Reference() const {
    return referencePoint == 0 || referencePoint == 2 ? static_cast<ReferencePoint>(referencePoint)
                                                      : ReferencePoint::kMiddle;
  }
  // Top, middle and bottom line; a value outside the list draws no line, as "なし".
  std::array<LineMode, 3> LineModes() const {
    return {Mode(topLine), Mode(middleLine), Mode(bottomLine)};
  }

 private:
  static LineMode Mode(int32_t stored) {
    return stored == 1 || stored == 2 ? static_cast<LineMode>(stored) : LineMode::kNone;
  }
};

// What a row's details add to its drawing: the figures besides its own, each a file in the
// program directory (empty for none), and whether the figures bend along curves.
struct RowExtras {
  std::string alternate;  // between the row's own
  std::string corner;     // at each corner
  std::string start;      // the caps at the start and the end of an open path
  std::string end;
  bool bend = false;
};

}  // namespace gara
