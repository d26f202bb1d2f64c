// What a drawing run lays its pattern along: the segments between designated points (modes
// "1" and "2") or the paths of the selected lines, arcs and circles (mode "4"). A course counts
// what its layout will place, for the limits, and then lays it out; both go by the run plan.
#pragma once

#include <array>
#include <span>
#include <vector>

#include "exchange/drawing_state.h"
#include "geom/path.h"
#include "pattern/bend.h"
#include "pattern/path_layout.h"
#include "util/number_text.h"

namespace gara {

// Designated points are numbered 1..99.
inline constexpr int kMaxDesignatedPoints = 99;

// The bytes of one line command, at most: for the estimate of lines besides the copies.
inline constexpr double kLineRecordBytes = 4 * (kNumberTextMax + 1) + 2;

// What a course's layout would place, worked out before anything is laid out.
struct CourseCount {
  double figures = 0;  // copies of the figure (+infinity for a run without end)
  // Of them, the copies of each figure but the row's own (the alternate, corner pieces, caps).
  std::array<double, kFigureSlots> others{};
  // The corner pieces and caps left out as they do not fit their runs, by slot.
  std::array<double, kFigureSlots> leftOut{};
  double lineBytes = 0;  // the lines, arcs and attribute commands besides the copies, about
  // A row that bends its figures: the copies that may bend, by slot, how sharply the pieces
  // under them curve, and the copies that would fold and stand unbent.
  std::array<double, kFigureSlots> bent{};
  BendReach reach;
  double unbent = 0;
};

class Course {
 public:
  virtual ~Course() = default;
  virtual CourseCount Count(const LayoutRow& row) const = 0;
  // Lays out the row along the course, in output order.
  virtual void Lay(const LayoutRow& row, PathSink& sink) const = 0;
};

// The segments of designated points 1..pointCount. With `skipCoincident`, segments whose two
// ends are the same point are skipped (mode "2").
class SegmentCourse final : public Course {
 public:
  SegmentCourse(const DrawingState& state, int pointCount, bool skipCoincident);
  CourseCount Count(const LayoutRow& row) const override;
  void Lay(const LayoutRow& row, PathSink& sink) const override;

 private:
  std::span<const Point> Points() const { return {points_.data(), static_cast<size_t>(count_)}; }
  bool LaidOut(int j) const;
  // Corner pieces and caps stand between segments laid out: the list without the segments
  // skipped.
  std::span<const Point> Merged() const {
    return {merged_.data(), static_cast<size_t>(merged_count_)};
  }

  int count_;
  bool skip_;
  std::array<Point, kMaxDesignatedPoints> points_{};
  int merged_count_ = 0;
  std::array<Point, kMaxDesignatedPoints> merged_{};
};

// The paths, each split into its runs where its pieces are: a selection of millions of pieces
// is held once.
class PathCourse final : public Course {
 public:
  explicit PathCourse(std::vector<Path> paths);
  // The chained paths, each made as it is laid: no list of all of them is held besides.
  explicit PathCourse(Chains chains);
  CourseCount Count(const LayoutRow& row) const override;
  void Lay(const LayoutRow& row, PathSink& sink) const override;

 private:
  std::vector<LaidPath> laid_;
};

}  // namespace gara
