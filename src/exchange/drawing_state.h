// Everything read from the exchange file JWC_TEMP.TXT in one run; the reader's working state
// is in exchange/reading_state.h.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "exchange/entities.h"
#include "exchange/writing_attributes.h"

namespace gara {

struct TextSize {
  double width = 3.0;
  double height = 3.0;
  double spacing = 0.0;
  int32_t colour = 2;
};

// The suffix of a designated point's keyword: "hp1", "hp1-", "hp1ln", "hp1ci", "hp1ch".
enum class DesignatedPointKind : uint8_t { kPlain, kDash, kLn, kCi, kCh };

struct DesignatedPoint {
  bool used = false;
  double x = 0.0;
  double y = 0.0;
  DesignatedPointKind kind = DesignatedPointKind::kPlain;
};

struct DrawingState {
  // Header values.
  std::string fileText;
  double hkValue = 0.0;
  std::array<double, 16> layerGroupScales{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
  double paperWidth = 1189.0;
  double paperHeight = 841.0;
  std::array<TextSize, 11> textSizeTable{};  // index 1..10 = text size kind; 0 unused
  bool paperScaleFlag = false;               // "bz"
  std::array<double, 4> hnValues{};
  std::vector<int32_t> rgbTable;

  // Writing attributes: the first line of each attribute kind.
  WritingAttributes writing;
  int32_t writingTextSizeKind = 1;
  double writingTextWidth = 2.0;
  double writingTextHeight = 2.0;
  double writingTextSpacing = 0.0;
  int32_t writingTextColour = 1;
  std::string writingFontName;
  bool lineWidthPresent = false;

  // Layer tables.
  std::array<int32_t, 16> layerGroupValues{};
  std::array<std::string, 16> layerGroupNames;
  std::array<int32_t, 256> layerValues{};
  std::array<std::string, 256> layerNames;

  // Designated points 1..99; entry 0 is never set.
  std::array<DesignatedPoint, 100> designatedPoints{};

  SelectedEntities entities;
};

}  // namespace gara
