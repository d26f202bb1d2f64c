// The five attributes a line is written with, the "lg", "ly", "lc", "lt" and "lw" lines of the
// exchange file; the defaults are those in force before any such line.
#pragma once

#include <cstdint>

namespace gara {

struct WritingAttributes {
  int32_t layerGroup = 0;  // 0 to 15
  int32_t layer = 0;       // 0 to 15, within the layer group
  int32_t colour = 1;
  int32_t lineType = 1;
  int32_t lineWidth = 0;
};

}  // namespace gara
