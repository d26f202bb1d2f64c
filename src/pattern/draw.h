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

struct DrawInputs {
  const DrawingState& state;
  const Settings& settings;
  const RunContext& run;
  FileSystem& fs;
  std::string programDir;  // with its trailing separator; sel.txt and jws.txt live here
};

// Lays out the segments of designated points 1..pointCount and emits them through `out`.
// With `skipCoincident`, segments whose two ends are the same point are skipped (mode "2").
// Returns false, having emitted nothing, when the run would exceed kMaxFiguresPerRun.
bool DrawPattern(const DrawInputs& inputs, CommandWriter& out, int pointCount, bool skipCoincident);

}  // namespace gara
