// Drawing runs: the selected pattern laid out along the designated points.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "exchange/drawing_state.h"
#include "exchange/output.h"
#include "figure/figure_reader.h"
#include "pattern/course.h"
#include "pattern/layout.h"
#include "pattern/pattern_row.h"
#include "pattern/place_figure.h"
#include "pattern/run_context.h"
#include "util/file_system.h"
#include "util/number_text.h"

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
// And for the figure files it reads, all of them together: a figure read into memory takes
// about 35 bytes a line (a line record of some 50 bytes in the file), a file of the most crowded
// records up to about four times its size, and the 32-bit program has 2 GB in all.
inline constexpr uint64_t kMaxFigureBytesPerRun = 256'000'000;

struct DrawInputs {
  const DrawingState& state;
  const PatternRow* row;  // the selected row; nullptr when none is selected
  const RunContext& run;
  FileSystem& fs;
  std::string programDir;  // with its trailing separator; sel.txt and jws.txt live here
  double maxOutputBytes = kMaxOutputBytesPerRun;
  RowExtras extras;  // the row's figures besides its own
};

enum class DrawResult {
  kDrawn,            // the layout was emitted (possibly empty)
  kTooManyFigures,   // more than kMaxFiguresPerRun copies: nothing emitted
  kTooMuchOutput,    // more than kMaxFigureEntitiesPerRun entities: nothing emitted
  kTooLarge,         // more bytes than the run may write: nothing emitted
  kFiguresTooLarge,  // figure files of more than kMaxFigureBytesPerRun: none read, nothing emitted
};

// Why each figure of a run besides the row's own is left out, by slot; kNone for one drawn or
// not named.
using FigureFaults = std::array<FigureFault, kFigureSlots>;

// What a drawing run would write, worked out before anything is drawn; also what the user is
// told when it draws nothing.
struct DrawEstimate {
  double figures = 0;   // copies of the figure (+infinity for a segment without end)
  double entities = 0;  // entity commands of all copies
  double bytes = 0;     // size of the output file, about: copies measured where they stand
  double maxBytes = kMaxOutputBytesPerRun;  // the size limit of the run
  bool sizeZero = false;           // the pattern's figure has no width or height: nothing is placed
  bool figureMissing = false;      // copies to place, but their figure file is missing or empty
  bool figureUnreadable = false;   // copies to place, but their figure file cannot be read
  bool figureBeyondReach = false;  // copies to place, but their figure is beyond any drawing
  double unbent = 0;  // copies of a row that bends its figures placed unbent: they would fold
  FigureFaults otherFaults{};  // the figures the run goes without: the user is told
  // Corner pieces and caps left out as they do not fit their runs, by slot.
  std::array<double, kFigureSlots> leftOut{};
  uint64_t figureBytes = 0;  // of the figure files the run reads, when they are too large

  // kDrawn when the run stays within every limit; otherwise the first limit it passes.
  DrawResult Verdict() const {
    if (figureBytes > kMaxFigureBytesPerRun) return DrawResult::kFiguresTooLarge;
    if (!(figures <= static_cast<double>(kMaxFiguresPerRun))) return DrawResult::kTooManyFigures;
    if (entities > static_cast<double>(kMaxFigureEntitiesPerRun)) {
      return DrawResult::kTooMuchOutput;
    }
    if (bytes > maxBytes) return DrawResult::kTooLarge;
    return DrawResult::kDrawn;
  }
};

// The estimate of DrawPattern with the same arguments.
DrawEstimate EstimateDrawing(const DrawInputs& inputs, const Course& course);

// The writing layer group, layer, colour, line type and line width, as they stand (no
// conversion): before the first drawing and before every line of the layout.
void EmitWritingAttributes(const RunContext& run, CommandWriter& out);

// Lays out the pattern along the course and emits it through `out`. Past any limit of the
// estimate nothing is emitted; the caller then writes no drawing at all. Output streamed with
// a size limit (OutputBuffer::StreamTo) that it passes stops the drawing: kTooLarge, the
// output incomplete. `estimate`, when given, receives the estimate the drawing was held to,
// its bytes for a stopped drawing those written, and those of the copies not placed as their
// average.
[[nodiscard]] DrawResult DrawPattern(const DrawInputs& inputs, CommandWriter& out,
                                     const Course& course, DrawEstimate* estimate = nullptr);

// The same along the segments of designated points 1..pointCount (see SegmentCourse).
DrawEstimate EstimateDrawing(const DrawInputs& inputs, int pointCount, bool skipCoincident);
[[nodiscard]] DrawResult DrawPattern(const DrawInputs& inputs, CommandWriter& out, int pointCount,
                                     bool skipCoincident);

}  // namespace gara
