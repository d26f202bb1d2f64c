// Drawing runs: the selected pattern laid out along the designated points.
#pragma once

#include <cstdint>
#include <string>

#include "app/run_context.h"
#include "exchange/drawing_state.h"
#include "exchange/output.h"
#include "pattern/place_figure.h"
#include "settings/settings.h"
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
  const Settings& settings;
  const RunContext& run;
  FileSystem& fs;
  std::string programDir;  // with its trailing separator; sel.txt and jws.txt live here
};

// The writing layer group, layer, colour, line type and line width, as they stand (no
// conversion): before the first drawing and before every line of the layout.
void EmitWritingAttributes(const RunContext& run, CommandWriter& out);

// Whether `figures` copies of the figure of `kind` stay within kMaxFigureEntitiesPerRun.
bool WithinEntityLimit(FigurePlacer& placer, int32_t kind, double figures);

// Lays out the segments of designated points 1..pointCount and emits them through `out`.
// With `skipCoincident`, segments whose two ends are the same point are skipped (mode "2").
// Returns false, having emitted nothing, when the run would exceed kMaxFiguresPerRun or
// kMaxFigureEntitiesPerRun; the caller then writes no drawing at all.
bool DrawPattern(const DrawInputs& inputs, CommandWriter& out, int pointCount, bool skipCoincident);

}  // namespace gara
