// The bytes the copies of a drawing run write, measured on a few of them where the layout places
// them: the estimate of a run's size before anything is written.
#pragma once

#include <array>
#include <cstddef>
#include <optional>

#include "exchange/drawing_state.h"
#include "exchange/output.h"
#include "pattern/bend.h"
#include "pattern/figure_model.h"
#include "pattern/path_layout.h"

namespace gara {

// Takes the copies of each figure in groups of consecutive ones, in layout order, and writes the
// copy of each group that stands farthest from the origin in place of all of them. A copy's
// numbers take more digits the farther out it stands, and the copies of a group share their
// angle and stretch, which decide how round its numbers are: so no part of the run is measured
// by a copy of fewer digits than its own, as one copy for all of them would be.
class CopySampler final : public PathSink {
 public:
  // `models` by slot, nullptr for a figure the run does not place; `copies` the copies of each
  // the run's count expects.
  CopySampler(const DrawingState& state, const std::array<const FigureModel*, kFigureSlots>& models,
              const std::array<double, kFigureSlots>& copies);

  void Attributes() override {}
  void Figure(FigureSlot slot, double x, double y, double angle, double stretch) override;
  void Line(double, double, double, double) override {}
  void Arc(double, double, double, double, double) override {}
  void Circle(double, double, double) override {}
  void BentFigure(FigureSlot slot, const BentBox& box, double stretch) override;

  // The bytes of all copies laid out so far, about, line ends included.
  double Bytes();

 private:
  struct Copy {
    Point at;
    double angle = 0;
    double stretch = 1;
    std::optional<BentBox> box;  // a bent copy's
  };
  struct Group {
    double every = 1;   // copies a group takes
    double taken = 0;   // copies in the group so far
    double far = -1;    // how far out its farthest copy stands
    Copy copy;          // that copy
    double groups = 0;  // groups written
    double bytes = 0;   // of the groups written
  };
  // The slot's group when a copy `far` out stands farther than any of it so far (the caller
  // then keeps that copy), otherwise nullptr.
  Group* Farther(FigureSlot slot, double far);
  // A copy joins the slot's group; a full group is written.
  void Taken(FigureSlot slot);
  void Write(Group& group, const FigureModel& model);
  // The bytes of the copy, with every attribute command, as the first copy is written.
  double CopyBytes(const FigureModel& model, const Copy& copy) const;

  const DrawingState& state_;
  std::array<const FigureModel*, kFigureSlots> models_;
  std::array<Group, kFigureSlots> groups_;
};

}  // namespace gara
