// The width and height of a figure, from the extents line of its figure file.
#pragma once

#include <string>
#include <string_view>

#include "util/file_system.h"

namespace gara {

struct FigureSize {
  double width = 0.0;
  double height = 0.0;
  bool beyondReach = false;  // its extents leave kMaxFigureReach: no drawing can hold it
};

// (0, 0) when the file is missing or unreadable, its first line has fewer than four fields, or
// its extents are beyond reach (HoldableExtents; then with `beyondReach`).
FigureSize MeasureFigureFile(FileSystem& fs, const std::string& path);
// The same for a figure file's bytes in memory.
FigureSize MeasureFigureBytes(std::string_view bytes);

}  // namespace gara
