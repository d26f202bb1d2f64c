// Drawing runs: the selected pattern laid out along the designated points.
#pragma once

#include <cstdint>
#include <string>

#include "exchange/drawing_state.h"
#include "exchange/output.h"
#include "pattern/layout.h"
#include "pattern/pattern_row.h"
#include "pattern/place_figure.h"
#include "pattern/run_context.h"
#include "util/file_system.h"

namespace gara {

// Far above any real drawing; a run that would place more figures draws nothing at all.
inline constexpr int64_t kMaxFiguresPerRun = 1'000'000;
// Likewise for the entities of all copies together (copies times the figure's entities): the
// output of a larger run would not fit in the memory of the 32-bit program.
inline constexpr int64_t kMaxFigureEntitiesPerRun = 20'000'000;
// Designated points are numbered 1..99.
inline constexpr int kMaxDesignatedPoints = 99;

struct DrawInputs {
  const DrawingState& state;
  const PatternRow* row;  // the selected row; nullptr when none is selected
  const RunContext& run;
  FileSystem& fs;
  std::string programDir;  // with its trailing separator; sel.txt and jws.txt live here
};

// The writing layer group, layer, colour, line type and line width, as they stand (no
// conversion): before the first drawing and before every line of the layout.
void EmitWritingAttributes(const RunContext& run, CommandWriter& out);

// What a drawing run found while counting, for telling the user why it drew nothing.
struct DrawReport {
  double figures = 0;          // copies of the figure over all segments
  double records = 0;          // entity records of all those copies
  bool sizeZero = false;       // the pattern's figure has no width or height: nothing is placed
  bool figureMissing = false;  // copies to place, but their figure file is missing or empty
};

enum class DrawResult {
  kDrawn,           // the layout was emitted (possibly empty)
  kTooManyFigures,  // more than kMaxFiguresPerRun copies: nothing emitted
  kTooMuchOutput,   // more than kMaxFigureEntitiesPerRun entities: nothing emitted
};

// The counts of a run about to place `figures` copies of the row's figure, and whether it stays
// within kMaxFiguresPerRun and kMaxFigureEntitiesPerRun. `report`, when given, receives the
// counts in every case.
DrawResult CheckRunLimits(const LayoutRow& row, FigurePlacer& placer, double figures,
                          DrawReport* report);

// Lays out the segments of designated points 1..pointCount and emits them through `out`.
// With `skipCoincident`, segments whose two ends are the same point are skipped (mode "2").
// Past either limit nothing is emitted; the caller then writes no drawing at all. `report`,
// when given, receives the counts in every case.
[[nodiscard]] DrawResult DrawPattern(const DrawInputs& inputs, CommandWriter& out, int pointCount,
                                     bool skipCoincident, DrawReport* report = nullptr);

}  // namespace gara
