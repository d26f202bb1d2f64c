#include "figure/measure.h"

#include <cmath>

#include "figure/figure_format.h"
#include "util/text.h"

namespace gara {

FigureSize MeasureFigureFile(FileSystem& fs, const std::string& path) {
  // Only the extents line is needed: reading stops at the first line end.
  std::string first;
  const bool read = fs.ReadPieces(path, [&first](std::string_view piece) {
    const size_t lf = piece.find('\n');
    first.append(piece.substr(0, lf));
    return lf == std::string_view::npos;
  });
  if (!read) return {};
  return MeasureFigureBytes(first);
}

FigureSize MeasureFigureBytes(std::string_view bytes) {
  std::string_view line = bytes.substr(0, bytes.find('\n'));
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  const std::vector<std::string> fields = SplitFields(line);
  if (fields.size() < 4) return {};
  const double minX = TextToReal(fields[0]);
  const double minY = TextToReal(fields[1]);
  const double maxX = TextToReal(fields[2]);
  const double maxY = TextToReal(fields[3]);
  // TextToReal never yields infinity, but the difference of two huge values can: such a figure,
  // and any that reaches beyond what a drawing holds, measures nothing.
  if (!HoldableExtents(minX, minY, maxX, maxY)) return {0.0, 0.0, true};
  return {std::fabs(maxX - minX), std::fabs(maxY - minY)};
}

}  // namespace gara
