// What the exchange reader keeps only while it reads: the attributes in force for the next
// entity, the marks and designation number waiting for it, the polyline run and a pending
// dimension. None of it outlives the read.
#pragma once

#include <cstdint>
#include <string>

#include "exchange/entities.h"
#include "exchange/writing_attributes.h"

namespace gara {

struct ReadingState {
  // The first line of each attribute kind also sets the drawing's writing attribute.
  struct FirstSeen {
    bool lg = true, ly = true, lc = true, lt = true, lw = true, cn = true;
  } firstSeen;

  WritingAttributes current;
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
  // Whether entity lines become records of the drawing; drawing runs use none of them, so their
  // reader skips the records (the lines still end polyline runs and take the marks).
  bool keepEntities = true;
  bool inPolyline = false;
  bool dimensionPending = false;
  LineEntity pendingDimensionLine{{}, 0, 0.0, 0.0, 1.0, 0.0};
};

}  // namespace gara
