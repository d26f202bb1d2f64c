// The layout written through the emitters: figures by the figure placer, lines and arcs in the
// writing attributes.
#pragma once

#include <array>

#include "exchange/output.h"
#include "pattern/path_layout.h"
#include "pattern/place_figure.h"
#include "pattern/run_context.h"

namespace gara {

class EmittingSink final : public PathSink {
 public:
  // The row's own figure is that of `kind`; `others` holds the figures of the other slots
  // (nullptr for none).
  EmittingSink(CommandWriter& out, const RunContext& run, FigurePlacer& placer, FigureKind kind,
               const std::array<const FigureModel*, kFigureSlots>& others)
      : out_(out), run_(run), placer_(placer), kind_(kind), others_(others) {}

  void Attributes() override;
  void Figure(FigureSlot slot, double x, double y, double angle, double stretch) override;
  void Line(double x1, double y1, double x2, double y2) override;
  void Arc(double cx, double cy, double r, double startDeg, double endDeg) override;
  void Circle(double cx, double cy, double r) override;
  void BentFigure(FigureSlot slot, const BentBox& box, double stretch) override;

  // Once the output passes its size limit no more copies are placed: the copies placed until
  // then and the output's bytes at that time.
  struct Stop {
    double placed = 0;
    double bytes = 0;
  };
  const Stop& stop() const { return stop_; }

 private:
  // True once the output passed its limit, noting when; otherwise the copy is counted.
  bool Stopped();

  CommandWriter& out_;
  const RunContext& run_;
  FigurePlacer& placer_;
  FigureKind kind_;
  std::array<const FigureModel*, kFigureSlots> others_;
  Stop stop_;
  bool stopped_ = false;
};

}  // namespace gara
