// What a drawing run (modes "1" and "2") takes from the exchange file and the switches.
#pragma once

#include "exchange/writing_attributes.h"

namespace gara {

struct RunContext {
  WritingAttributes writing;
  bool useWritingLayerGroup = false;
  bool useWritingLayer = false;
  bool useWritingColour = false;
  bool useWritingLineType = false;
};

}  // namespace gara
