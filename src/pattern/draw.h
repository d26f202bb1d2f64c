// Drawing runs: the selected pattern laid out along the designated points.
#pragma once

#include <cstdint>
#include <string>

#include "app/run_context.h"
#include "exchange/drawing_state.h"
#include "exchange/output.h"
#include "settings/settings.h"
#include "util/file_system.h"

namespace gara {

// Far above any real drawing; a run that would place more figures draws nothing at all.
inline constexpr int64_t kMaxFiguresPerRun = 1'000'000;
// Likewise for the entities of all copies together (copies times the figure's entities): the
// output of a larger run would not fit in the memory of the 32-bit program.
inline constexpr int64_t kMaxFigureEntitiesPerRun = 20'000'000;
// And, by default, for the bytes it would write: Jw_cad, a 32-bit program, reads the whole
// exchange file back and keeps every entity it draws; beyond this size it runs out of memory
// long before the figure limits are reached (a copy of a text-heavy figure takes kilobytes).
inline constexpr double kMaxOutputBytesPerRun = 1e9;
// Designated points are numbered 1..99.
inline constexpr int kMaxDesignatedPoints = 99;

struct DrawInputs {
  const DrawingState& state;
  const Settings& settings;
  const RunContext& run;
  FileSystem& fs;
  std::string programDir;  // with its trailing separator; sel.txt and jws.txt live here
  double maxOutputBytes = kMaxOutputBytesPerRun;
};

// What a drawing run would write, worked out before anything is drawn.
struct DrawEstimate {
  double figures = 0;   // copies of the figure (+infinity for a segment without end)
  double entities = 0;  // entity commands of all copies
  double bytes = 0;     // size of the output file, about: one copy measured, times the copies
  double maxBytes = kMaxOutputBytesPerRun;  // the size limit of the run

  bool TooManyFigures() const {
    return !(figures <= static_cast<double>(kMaxFiguresPerRun)) ||
           entities > static_cast<double>(kMaxFigureEntitiesPerRun);
  }
  bool TooLarge() const { return bytes > maxBytes; }
  bool WithinLimits() const { return !TooManyFigures() && !TooLarge(); }
};

// The estimate of DrawPattern with the same arguments; counts the figures before it reads the
// figure file, so that a run over the figure limit costs nothing more.
DrawEstimate EstimateDrawing(const DrawInputs& inputs, int pointCount, bool skipCoincident);

// The writing layer group, layer, colour, line type and line width, as they stand (no
// conversion): before the first drawing and before every line of the layout.
void EmitWritingAttributes(const RunContext& run, CommandWriter& out);

// Lays out the segments of designated points 1..pointCount and emits them through `out`.
// With `skipCoincident`, segments whose two ends are the same point are skipped (mode "2").
// Returns false, having emitted nothing, when the run would exceed kMaxFiguresPerRun,
// kMaxFigureEntitiesPerRun or its maxOutputBytes; the caller then writes no drawing at all.
bool DrawPattern(const DrawInputs& inputs, CommandWriter& out, int pointCount, bool skipCoincident);

}  // namespace gara
