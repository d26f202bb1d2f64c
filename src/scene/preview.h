// The preview of a pattern row: its figure laid out along a sample path by the same drawing
// run as a real one, read back as a scene (scene::Drawing) for the dialog's pane and the SVG.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "pattern/pattern_row.h"
#include "pattern/run_context.h"
#include "scene/drawing.h"
#include "settings/settings.h"
#include "util/file_system.h"

namespace gara::scene {

// What stands in place of the figures when they cannot be shown.
enum class PreviewNote {
  kNone,           // the figures are drawn
  kNoRow,          // no row 1..12 is given
  kFigureMissing,  // the row's figure file is missing or empty
  kSizeZero,       // the row's figure has no width or height
  kTooLarge,       // the copies would be too many to show
};

struct PreviewInputs {
  const Settings& settings;
  int32_t row = 1;  // 1..12
  // The writing attributes of the drawing and the switches that replace the figure's own.
  RunContext run;
  FileSystem& fs;
  std::string programDir;  // with its trailing separator; sel.txt and jws.txt live here
  RowExtras extras;        // the row's figures besides its own
};

struct Preview {
  Drawing drawing;  // the drawn run with the designated points; the note as a text when any
  PreviewNote note = PreviewNote::kNone;
  // The sample path: designated points 1, 2 and 3 (a segment, a left turn, a shorter segment).
  Point points[3];
};

// The drawn preview is bounded: a figure of very many entities shows the note instead.
inline constexpr double kMaxPreviewBytes = 8e6;

Preview BuildPreview(const PreviewInputs& inputs);
// The preview of row `row` of `settings` with the writing attributes of `drawing` and the
// settings' switches, as a drawing run would take them, and the row's figures besides its own.
Preview BuildPreview(const Settings& settings, int32_t row, const DrawingState& drawing,
                     FileSystem& fs, const std::string& programDir, RowExtras extras = {});

// The note's text, Shift-JIS; empty for kNone.
std::string_view PreviewNoteText(PreviewNote note);

}  // namespace gara::scene
