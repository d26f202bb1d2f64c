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
  // TextToReal never yields infinity, but the difference of two huge values can.
  const auto span = [](double a, double b) {
    const double d = std::fabs(b - a);
    return std::isfinite(d) ? d : 0.0;
  };
  return {span(TextToReal(fields[0]), TextToReal(fields[2])),
          span(TextToReal(fields[1]), TextToReal(fields[3]))};
}

}  // namespace gara
