#include "figure/measure.h"

#include <cmath>

#include "figure/figure_format.h"
#include "util/lines.h"
#include "util/text.h"

namespace gara {

FigureSize MeasureFigureFile(FileSystem& fs, const std::string& path) {
  const auto bytes = fs.ReadFile(path);
  if (!bytes) return {};
  std::string_view line;
  if (!LineReader(*bytes).Next(line)) return {};
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
