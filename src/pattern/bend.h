// Figures bent along the curves of a path (the row detail "bend"): a copy's point at distance x
// along its box and height y above the base line goes to the path point at arc length
// begin + x, moved by y - R along the path's left normal.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include "exchange/output.h"
#include "geom/path.h"
#include "pattern/figure_model.h"
#include "pattern/path_layout.h"
#include "util/number_text.h"

namespace gara {

// The short lines of a bent copy stay within this of the true image, and within a thousandth of
// the row's height when that is less.
inline constexpr double kBendTolerance = 0.01;
inline double BendTolerance(double height) { return std::min(kBendTolerance, height / 1000); }
// The most short lines one curve of a copy takes within one piece of the path: a figure that
// pokes out of its box to a centre of curvature would otherwise ask for ever more.
inline constexpr double kMaxBendSteps = 4096;
// The bytes of one arc command, at most.
inline constexpr double kArcRecordBytes = 7 * (kNumberTextMax + 1) + 4;

// How sharply the pieces that bent copies span curve, at most: the estimate's bound of the lines
// a bent copy takes.
struct BendReach {
  double curvature = 0;  // |k|
  double turn = 0;       // |dk/ds|
  double sections = 1;   // pieces one copy spans
  double stretch = 1;    // the copies' stretch along the path

  void Add(const BendReach& other);
};
// The curvature of one piece (none for a line).
BendReach PieceReach(const PathPiece& piece);
// Whether a box `height` high whose path runs `reference` above its base line reaches the
// centre of curvature of the piece (any point of an ellipse's: a copy may yet bend where it
// curves less).
bool PieceFolds(const PathPiece& piece, double height, double reference);

// The lines and arcs one bent copy of the model takes at most in place of its lines and curves.
struct BentCount {
  double lines = 0;
  double arcs = 0;
  double replaced = 0;  // the model's lines and curves the chains stand for
};
BentCount BentCopyBound(const FigureModel& model, const BendReach& reach, double height,
                        double reference);

// The box of one copy laid along the path.
class BentBox {
 public:
  // A copy `width` wide starting at arc length `begin` (round a closed path as often as it
  // needs), `height` high, the path at `reference` above its base line; it stands unbent at
  // `rigidCentre`, turned by `rigidAngle`.
  BentBox(const LaidPath& laid, double begin, double width, double height, double reference,
          Point rigidCentre, double rigidAngle);

  // The part of the path under the box from x0 to x1 on one piece, which has arc length `at`
  // at x0.
  struct Section {
    double x0 = 0;
    double x1 = 0;
    const PathPiece* piece = nullptr;
    double at = 0;
  };

  // Some piece under the box is an arc.
  bool Curved() const;
  // The path turns at a joint under the box (by no more than a run's joints do).
  bool Turns() const;
  // Where section i meets the next: the joint point and the turn there (radians, left
  // positive; nought where the pieces meet smoothly).
  struct Joint {
    Point at;
    double turn = 0;
  };
  const Joint& JointAfter(size_t i) const { return joints_[i]; }
  // The box reaches the centre of curvature of a piece under it: it would fold.
  bool Folds() const;
  // How sharply the pieces under the box curve there.
  BendReach Reach() const;
  const std::vector<Section>& sections() const { return sections_; }
  // The section a box point at x belongs to (the first or the last beyond the box's ends).
  const Section& SectionAt(double x) const;
  // The image of the box point (x, y), and the direction of the path there (radians).
  Point Map(double x, double y) const;
  // The image as the section maps it: past its ends it goes on as its piece does.
  Point MapOn(const Section& section, double x, double y) const;
  double TurnAt(double x) const;

  double width;
  double height;
  double reference;
  Point rigidCentre;
  double rigidAngle;

 private:
  struct Frame {
    Point at;
    Point tangent;
  };
  Frame FrameAt(const Section& section, double x) const;
  double CurvatureUnder(const Section& section) const;

  std::vector<Section> sections_;
  std::vector<Joint> joints_;
  mutable ArcMark mark_;  // points on an elliptic piece, measured from the last one
};

// Emits one copy bent into the box, stretched by `stretch` along the box.
void ReplayBentFigure(const FigureModel& model, const BentBox& box, double stretch,
                      CommandWriter& out);

}  // namespace gara
