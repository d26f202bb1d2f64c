// The one rule of how many copies of a row's figure a run takes and where they stand: for the
// segments of modes "1" and "2", the runs of a path, and the estimate that judges a run before
// it is drawn.
#pragma once

#include <array>
#include <cstdint>

#include "pattern/pattern_row.h"

namespace gara {

// The pattern row a run draws with, resolved once.
struct LayoutRow {
  FigureKind figureKind = FigureKind::kSelected;
  double width = 10.0;
  double height = 10.0;
  bool evenSpacing = false;  // "均等配置"
  bool stretch = false;      // "伸縮配置"
  double interval = 0.0;
  double referenceOffset = 5.0;  // R: the height of the designated segment above the base line
  std::array<LineMode, 3> lineModes{};  // top, middle, bottom
  bool checkSize = true;  // a stored row is drawn only with a width and height above 1e-8
  // A second figure taking every other place (main, alternate, main, ...), at its own width.
  bool alternates = false;
  double alternateWidth = 0.0;
  // Figures at the ends of runs, unscaled: a corner piece at each corner, and caps at the start
  // and the end of an open path.
  struct EndFigure {
    bool on = false;
    double width = 0;
  };
  EndFigure corner, startCap, endCap;
  bool HasEndFigures() const { return corner.on || startCap.on || endCap.on; }
  // The figures bend along the curves of a path (mode "4"), but for the corner pieces.
  bool bend = false;

  // False when the row places nothing anywhere: a stored row whose figure has no size.
  bool Draws() const;
};

// The stored row a run draws with, or the defaults when no row 1..12 is selected (nullptr).
LayoutRow ResolveRow(const PatternRow* stored);

// How many of the row's top, middle and bottom lines run in the gaps, and how many full length.
struct LineCounts {
  double gaps = 0;
  double fullLength = 0;
};
LineCounts CountLines(const LayoutRow& row);

// An open run has ends: its copies keep the row's interval between them and share the leftover
// between its two end gaps ("間隔指定") or their intervals ("均等配置"), or are stretched along
// the run to fill it from end to end ("伸縮配置"). A closed run (a whole closed path without
// corners) goes round: copies start one pitch apart from its start.
enum class RunEnds { kOpen, kClosed };

// Where the copies of one run stand, by distance along it from its start.
struct RunPlan {
  // The copies: (L + D) / (W + D) truncated on an open run, L / (W + D) on a closed one; zero
  // when the row draws nothing or the quotient is negative or not a number. +infinity and other
  // values beyond any run's limit are returned as they are, for the caller to refuse; the
  // distances below then mean nothing.
  double count = 0;
  double gap = 0;       // a: from the start to the first copy (open runs)
  double interval = 0;  // D': from the end of one copy to the start of the next (open runs)
  double pitch = 0;     // from the start of one copy to the start of the next
  double width = 0;     // of one copy along the run: the row's width unless stretched
  double scale = 1;     // the copies' stretch along the run, width / the row's width
  // With an alternate figure, copies 1, 3, 5, ... (from 0) are its copies, this wide along the
  // run; `pitch` then means nothing.
  bool alternates = false;
  double alternateWidth = 0;

  bool IsAlternate(int64_t k) const { return alternates && k % 2 == 1; }
  double WidthOf(int64_t k) const { return IsAlternate(k) ? alternateWidth : width; }
  // From the start of copy k to the start of copy k + 1.
  double StepAfter(int64_t k) const { return alternates ? WidthOf(k) + interval : pitch; }
  // From the start of copy 0 to the start of copy k.
  double Offset(double k) const;
  // How many of the copies are the alternate figure's.
  double AlternateCount() const;
};
// With an alternate figure an open run takes an odd count, so that it begins and ends with the
// row's own figure, and a closed run an even one, so that the alternation closes: the largest
// that fits by interval or evenly, the one whose stretch is nearest 1 when stretched.
// Stretched copies: the count n >= 1 whose stretch s = (L - (n - 1) D) / (n W) on an open run,
// s = (L / n - D) / W on a closed one, is positive and nearest 1 by ratio (the larger n on a
// tie); zero when no n gives a positive stretch, +infinity when ever more copies come ever
// nearer. The copies then stand W s wide and D apart, from the start of the run to its end.
RunPlan PlanRun(const LayoutRow& row, double length, RunEnds ends);

}  // namespace gara
