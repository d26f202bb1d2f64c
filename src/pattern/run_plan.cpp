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

// A pair of copies with an alternate figure: the row's figure, the alternate and an interval
// after each.
double PairPitch(double w, double a, double d) { return w + a + 2 * d; }

// Stretched copies with an alternate figure: m pairs, and on an open run the row's figure once
// more. The stretch s(m) = (L - 2 m D) / (c + (W + A) m), c = W open and 0 closed, is monotonic
// in m, so the best m is next to where it crosses 1, or beyond every m where it tends to
// -2 D / (W + A).
RunPlan PlanAlternatingStretch(double w, double a, double d, double length, bool open) {
  RunPlan plan;
  if (!(length > 0)) return plan;
  const double c = open ? w : 0;
  const double least = open ? 0 : 1;
  const auto stretch = [&](double m) { return (length - 2 * d * m) / (c + (w + a) * m); };
  const double crossing = (length - c) / PairPitch(w, a, d);
  double best = -1;
  double bestStretch = 0;
  const double first = crossing >= least ? std::floor(crossing) : least;
  for (const double m : {first, first + 1}) {
    const double s = stretch(m);
    if (s > 0 && std::isfinite(s) && (best < 0 || Deviation(s) <= Deviation(bestStretch))) {
      best = m;
      bestStretch = s;
    }
  }
  const double limit = -2 * d / (w + a);
  if (crossing == INFINITY || (limit > 0 && std::isfinite(limit) &&
                               (best < 0 || Deviation(limit) <= Deviation(bestStretch)))) {
    plan.count = INFINITY;  // for the limits to refuse
    return plan;
  }
  if (best < 0) return plan;
  plan.count = 2 * best + (open ? 1 : 0);
  plan.scale = bestStretch;
  plan.width = w * bestStretch;
  plan.alternateWidth = a * bestStretch;
  plan.interval = d;
  return plan;
}

// Copies with an alternate figure by interval or evenly: as many pairs as fit, and on an open
// run the row's figure once more.
RunPlan PlanAlternating(const LayoutRow& row, double length, RunEnds ends) {
  const double w = row.width;
  const double a = row.alternateWidth;
  const double d = row.interval;
  const bool open = ends == RunEnds::kOpen;
  RunPlan plan;
  if (row.stretch) {
    plan = PlanAlternatingStretch(w, a, d, length, open);
  } else {
    const double room = open ? length - w : length;  // for the pairs
    const double pair = PairPitch(w, a, d);
    plan.width = w;
    plan.alternateWidth = a;
    plan.interval = d;
    if (!(room >= 0) || (!open && room == 0)) {
      plan.count = 0;
    } else if (!(pair > 0) || room / pair == INFINITY) {
      plan.count = INFINITY;  // pairs that take no room: for the limits to refuse
    } else {
      const double m = Truncated(room / pair);
      plan.count = 2 * m + (open ? 1 : 0);
      const double left = room - m * pair;  // what the copies leave of the run
      if (open && (!row.evenSpacing || m == 0)) {
        plan.gap = left * 0.5;
      } else if (row.evenSpacing && plan.count > 0) {
        plan.interval = d + left / (2 * m);
      }
    }
  }
  plan.alternates = plan.count > 0;
  plan.pitch = plan.width + plan.interval;
  return plan;
}

}  // namespace

double RunPlan::Offset(double k) const {
  if (!alternates) return k * pitch;
  const double pairs = std::floor(k / 2);
  const double pair = width + alternateWidth + 2 * interval;
  return pairs * pair + (k - 2 * pairs) * (width + interval);
}

double RunPlan::AlternateCount() const { return alternates ? std::floor(count / 2) : 0; }

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
  if (row.alternates) return PlanAlternating(row, length, ends);
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
