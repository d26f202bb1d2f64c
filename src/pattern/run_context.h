// What a drawing run (modes "1" and "2") takes from the exchange file and the switches.
#pragma once

#include <cstdint>

namespace gara {

struct RunContext {
  int32_t writingLayerGroup = 0;
  int32_t writingLayer = 0;
  int32_t writingColour = 1;
  int32_t writingLineType = 1;
  int32_t writingLineWidth = 0;
  bool useWritingLayerGroup = false;
  bool useWritingLayer = false;
  bool useWritingColour = false;
  bool useWritingLineType = false;
};

}  // namespace gara
