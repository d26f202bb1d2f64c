#include "pattern/run_plan.h"

#include <cassert>
#include <cmath>

#include "geom/geometry.h"

namespace gara {

namespace {

// The copies' quotient truncated; a negative interval beyond the width, or one that cancels it
// on a zero-length run, places nothing, like a run too short for one copy. No count is -0.
double Truncated(double quotient) { return quotient >= 0 ? std::trunc(quotient) + 0.0 : 0; }

// How far a positive stretch is from 1, as a ratio at least 1.
double Deviation(double s) { return s >= 1 ? s : 1 / s; }

// The stretched count. As s(n) = a / n - b is monotonic in n (a = (L + D) / W on an open run,
// L / W on a closed one, b = D / W), the best count is next to where s crosses 1, at
// n = a / (1 + b), or else at n = 1 or beyond every count, where s tends to -b.
RunPlan PlanStretch(double w, double d, double length, RunEnds ends) {
  RunPlan plan;
  if (!(length > 0)) return plan;  // a run without length places nothing
  const bool open = ends == RunEnds::kOpen;
  const auto stretch = [&](double n) {
    return open ? (length - (n - 1) * d) / (n * w) : (length / n - d) / w;
  };
  const double crossing = ((open ? length + d : length) / w) / (1 + d / w);
  double best = 0;
  double bestStretch = 0;
  const double first = crossing >= 1 ? std::floor(crossing) : 1;
  for (const double n : {first, first + 1}) {
    const double s = stretch(n);
    if (s > 0 && std::isfinite(s) && (best == 0 || Deviation(s) <= Deviation(bestStretch))) {
      best = n;
      bestStretch = s;
    }
  }
  const double limit = -d / w;
  if (crossing == INFINITY || (limit > 0 && std::isfinite(limit) &&
                               (best == 0 || Deviation(limit) <= Deviation(bestStretch)))) {
    plan.count = INFINITY;  // for the limits to refuse
    return plan;
  }
  if (best == 0) return plan;
  plan.count = best;
  plan.width = open ? (length - (best - 1) * d) / best : length / best - d;
  plan.scale = plan.width / w;
  plan.interval = d;
  plan.pitch = plan.width + d;
  return plan;
}

}  // namespace

bool LayoutRow::Draws() const { return !checkSize || (width > kEpsilon && height > kEpsilon); }

LayoutRow ResolveRow(const PatternRow* stored) {
  const PatternRow row = stored ? *stored : PatternRow{};
  LayoutRow r;
  r.figureKind = static_cast<FigureKind>(row.figureKind);
  r.width = row.width;
  r.height = row.height;
  r.evenSpacing = row.Spacing() == Arrangement::kEven;
  r.stretch = row.Spacing() == Arrangement::kStretch;
  r.interval = row.interval;
  switch (row.Reference()) {
    case ReferencePoint::kTop:
      r.referenceOffset = row.height;
      break;
    case ReferencePoint::kBottom:
      r.referenceOffset = 0.0;
      break;
    case ReferencePoint::kMiddle:
      r.referenceOffset = row.height / 2;
      break;
  }
  r.lineModes = row.LineModes();
  r.checkSize = stored != nullptr;
  return r;
}

LineCounts CountLines(const LayoutRow& row) {
  LineCounts counts;
  for (const LineMode mode : row.lineModes) {
    counts.gaps += mode == LineMode::kGaps;
    counts.fullLength += mode == LineMode::kFullLength;
  }
  return counts;
}

RunPlan PlanRun(const LayoutRow& row, double length, RunEnds ends) {
  RunPlan plan;
  if (!row.Draws()) return plan;
  const double w = row.width;
  const double d = row.interval;
  if (row.stretch) return PlanStretch(w, d, length, ends);
  plan.width = w;
  if (ends == RunEnds::kClosed) {
    plan.count = Truncated(length / (w + d));
    plan.pitch = row.evenSpacing && plan.count > 0 ? length / plan.count : w + d;
    plan.interval = plan.pitch - w;
    return plan;
  }
  plan.count = Truncated((length + d) / (w + d));
  const double n = plan.count;
  plan.interval = d;
  if (!row.evenSpacing) {
    plan.gap = (length - (n * w + (n - 1) * d)) * 0.5;
  } else if (n == 1) {
    // One copy spread evenly over the run stands in its middle, with the leftover length split
    // between the two ends as with spacing by interval (the even-spacing formula would divide
    // by n - 1 = 0 here).
    plan.gap = (length - w) * 0.5;
  } else {
    plan.interval = d + (length - (n * w + (n - 1) * d)) / (n - 1);
  }
  plan.pitch = w + plan.interval;
  assert(!(plan.count < 0) && !std::signbit(plan.count));
  return plan;
}

}  // namespace gara
