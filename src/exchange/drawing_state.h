// Everything read from the exchange file JWC_TEMP.TXT in one run.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "exchange/entities.h"

namespace gara {

struct TextSize {
  double width = 3.0;
  double height = 3.0;
  double spacing = 0.0;
  int32_t colour = 2;
};

struct DesignatedPoint {
  bool used = false;
  double x = 0.0;
  double y = 0.0;
  int32_t kind = 0;  // 0 plain, 1 "-", 2 "ln", 3 "ci", 4 "ch"
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
  int32_t writingLayerGroup = 0;
  int32_t writingLayer = 0;
  int32_t writingColour = 1;
  int32_t writingLineType = 1;
  int32_t writingLineWidth = 0;
  int32_t writingTextSizeKind = 1;
  double writingTextWidth = 2.0;
  double writingTextHeight = 2.0;
  double writingTextSpacing = 0.0;
  int32_t writingTextColour = 1;
  std::string writingFontName;
  bool lineWidthPresent = false;
  struct FirstSeen {
    bool lg = true, ly = true, lc = true, lt = true, lw = true, cn = true;
  } firstSeen;

  // Layer tables.
  std::array<int32_t, 16> layerGroupValues{};
  std::array<std::string, 16> layerGroupNames;
  std::array<int32_t, 256> layerValues{};
  std::array<std::string, 256> layerNames;

  // Current attributes while reading.
  int32_t currentLayerGroup = 0;
  int32_t currentLayer = 0;
  int32_t currentColour = 1;
  int32_t currentLineType = 1;
  int32_t currentLineWidth = 0;
  int32_t currentTextSizeKind = 1;
  double currentTextWidth = 2.0;
  double currentTextHeight = 2.0;
  double currentTextSpacing = 0.0;
  int32_t currentTextColour = 1;
  int32_t currentTextAnchor = 0;
  std::string currentFontName = "<ＭＳ ゴシック>";
  int32_t currentPointColour = 1;
  int32_t currentRgb = 0;
  int32_t hhpNumber = 0;
  int32_t zFlags = 0;
  int32_t polylineCounter = 0;
  bool inPolyline = false;
  bool dimensionPending = false;
  LineEntity pendingDimensionLine{{0, 0, 0, 1, 1, 0, 0}, 0, 0.0, 0.0, 1.0, 0.0};

  // Designated points 1..99; entry 0 is never set.
  std::array<DesignatedPoint, 100> designatedPoints{};

  SelectedEntities entities;
  // Whether entity lines become records in `entities`; drawing runs use none of them, so their
  // reader skips the records (the lines still end polyline runs and take the marks).
  bool keepEntities = true;
};

}  // namespace gara
