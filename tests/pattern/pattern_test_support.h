// Small helpers for the pattern tests: the output as lines, and a sink that records a layout.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "exchange/output.h"
#include "pattern/path_layout.h"
#include "support/memory_file_system.h"

namespace gara::testing {

// The file image of the buffer split into its lines (without CR LF).
inline std::vector<std::string> OutputLines(const OutputBuffer& buffer) {
  const std::string image = buffer.FileImage();
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < image.size()) {
    size_t end = image.find("\r\n", start);
    if (end == std::string::npos) end = image.size();
    lines.emplace_back(image.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// The output's line entities: the lines that begin with a number ("x1 y1 x2 y2").
inline std::vector<std::string> LineEntities(const OutputBuffer& buffer) {
  std::vector<std::string> lines;
  for (std::string& line : OutputLines(buffer)) {
    if (!line.empty() && (line[0] == '-' || (line[0] >= '0' && line[0] <= '9'))) {
      lines.push_back(std::move(line));
    }
  }
  return lines;
}

struct PlacedFigure {
  FigureSlot slot;
  Point at;
  double angle, stretch;
};

// The figures a layout places, in order, and the lengths of the pieces of line it draws.
class FigureRecorder final : public PathSink {
 public:
  std::vector<PlacedFigure> figures;
  std::vector<double> gaps;
  void Attributes() override {}
  void Figure(FigureSlot slot, double x, double y, double angle, double stretch) override {
    figures.push_back({slot, {x, y}, angle, stretch});
  }
  void Line(double x1, double y1, double x2, double y2) override {
    gaps.push_back(std::hypot(x2 - x1, y2 - y1));
  }
  void Arc(double, double, double r, double s, double e) override {
    gaps.push_back(r * std::fmod(e - s + 360, 360) * kPi / 180);
  }
  void Circle(double, double, double) override {}
  std::vector<PlacedFigure> Of(FigureSlot slot) const {
    std::vector<PlacedFigure> out;
    for (const PlacedFigure& f : figures) {
      if (f.slot == slot) out.push_back(f);
    }
    return out;
  }
};

}  // namespace gara::testing
