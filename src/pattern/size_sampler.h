// The bytes a drawing run writes, measured on the layout before anything is written: the
// estimate of a run's size.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "exchange/drawing_state.h"
#include "exchange/output.h"
#include "pattern/bend.h"
#include "pattern/figure_model.h"
#include "pattern/path_layout.h"
#include "pattern/run_context.h"

namespace gara {

// Writes what the layout emits besides the copies as the drawing would, into nothing, and
// measures a few copies where they stand. The copies of each figure are taken in groups of
// consecutive ones in layout order, and the copy of each group that stands farthest from the
// origin is written in place of all of them: a copy's numbers take more digits the farther out
// it stands, and the copies of a group share their angle and stretch, which decide how round its
// numbers are. So no part of the run is measured by a copy of fewer digits than its own, as one
// copy for all of them would be. Of a run of very many lines only some are written, each for
// the lines after it.
class SizeSampler final : public PathSink {
 public:
  // `models` by slot, nullptr for a figure the run does not place; `copies` the copies of each
  // the run's count expects, `lines` about the lines it expects besides them.
  SizeSampler(const DrawingState& state, const RunContext& run,
              const std::array<const FigureModel*, kFigureSlots>& models,
              const std::array<double, kFigureSlots>& copies, double lines);
  SizeSampler(const SizeSampler&) = delete;
  SizeSampler& operator=(const SizeSampler&) = delete;

  void Attributes() override;
  void Figure(FigureSlot slot, double x, double y, double angle, double stretch) override;
  void Line(double x1, double y1, double x2, double y2) override;
  void Arc(double cx, double cy, double r, double startDeg, double endDeg) override;
  void Circle(double cx, double cy, double r) override;
  void BentFigure(FigureSlot slot, const BentBox& box, double stretch) override;

  // The bytes of everything laid out so far, about, line ends included.
  double Bytes();

 private:
  struct Copy {
    Point at;
    double angle = 0;
    double stretch = 1;
    std::optional<BentBox> box;  // a bent copy's
  };
  struct Group {
    double every = 1;  // copies a group takes
    double taken = 0;  // copies in the group so far
    // Rigid and bent copies apart, so that a few bent copies among many rigid ones (those that
    // straddle a joint where straight pieces turn) are not taken for all of them.
    double bent = 0;      // of them bent
    double far = -1;      // how far out its farthest rigid copy stands
    Copy copy;            // that copy
    double bentFar = -1;  // how far out its farthest bent copy stands
    Copy bentCopy;        // that copy
    // A bent copy's lines are as many as its curves turn: of bent copies also the one whose
    // box turns most, and the larger of the two is written.
    double turn = -1;
    Copy turning;
    double groups = 0;  // groups written
    double bytes = 0;   // of the groups written
  };
  // The slot's group when a rigid (or `bent`) copy `far` out stands farther than any such of
  // it so far (the caller then keeps that copy), otherwise nullptr.
  Group* Farther(FigureSlot slot, double far, bool bent);
  // A copy joins the slot's group; a full group is written.
  void Taken(FigureSlot slot);
  void Write(Group& group, const FigureModel& model);
  // The bytes of the copy and of the writing attributes put back after it, written after them.
  double CopyBytes(const FigureModel& model, const Copy& copy) const;
  // Whether the next line is written; if not, it is counted as the last one written.
  bool Writes();
  void Written(uint64_t before);

  const DrawingState& state_;
  const RunContext& run_;
  std::array<const FigureModel*, kFigureSlots> models_;
  std::array<Group, kFigureSlots> groups_;
  // Takes the bytes and forgets them.
  class Discard final : public OutputFile {
   public:
    bool Write(std::string_view) override { return true; }
    bool Close() override { return true; }
  };
  // What the layout emits besides the copies.
  Discard discard_;
  OutputBuffer image_;
  CommandWriter writer_;
  double lineEvery_ = 1;  // one line in this many is written
  double lines_ = 0;      // lines so far
  double lastLine_ = 0;   // the bytes of the last line written
  double unwritten_ = 0;  // of the lines not written, each as the last written before it
};

}  // namespace gara
