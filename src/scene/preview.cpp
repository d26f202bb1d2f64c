#include "scene/preview.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "exchange/exchange_reader.h"
#include "exchange/output.h"
#include "figure/measure.h"
#include "geom/geometry.h"
#include "pattern/draw.h"
#include "pattern/layout.h"

namespace gara::scene {

namespace {

// The step of the sample path: one figure and its interval, or a plain length where the row
// gives none that could be drawn.
double SampleStep(const LayoutRow& row) {
  const double step = row.width + std::max(row.interval, 0.0);
  return std::isfinite(step) && step > 1e-6 && step < 1e6 ? step : 10.0;
}

// The step at which the sample's sides hold the row's corner piece and caps, which are left out
// where they do not fit: the second side, 2.5 steps long, half the corner piece and the end cap;
// the first, 4.5 steps, the start cap and the other half. With 下 the corner piece moves H/2
// along each side, into it.
double PieceStep(const PreviewInputs& inputs, const LayoutRow& row) {
  const auto width = [&](const std::string& file) {
    if (file.empty()) return 0.0;
    const double w = MeasureFigureFile(inputs.fs, inputs.programDir + file).width;
    return std::isfinite(w) ? w : 0.0;
  };
  const double corner =
      inputs.extras.corner.empty() ? 0 : width(inputs.extras.corner) / 2 + row.height / 2;
  return std::max((corner + width(inputs.extras.end)) / 2.5,
                  (corner + width(inputs.extras.start)) / 4.5);
}

// A note in the middle of the sample path, in the writing attributes.
void EmitNote(CommandWriter& out, std::string_view text, Point centre, double height) {
  out.EmitTextSize(0, 2, height, height, 0);
  const double length = TextRunWidth(text, height, 0);
  out.EmitText(0, text, centre.x - length / 2, centre.y - height / 2, length, 0);
}

}  // namespace

std::string_view PreviewNoteText(PreviewNote note) {
  switch (note) {
    case PreviewNote::kNone:
      break;
    case PreviewNote::kNoRow:
      return "柄が選ばれていません";
    case PreviewNote::kFigureMissing:
      return "図形がありません";
    case PreviewNote::kSizeZero:
      return "図形の幅か高さが 0 です";
    case PreviewNote::kTooLarge:
      return "図形が大きすぎて表示できません";
  }
  return {};
}

Preview BuildPreview(const PreviewInputs& inputs) {
  Preview preview;
  const PatternRow* stored = inputs.settings.Row(inputs.row);
  const LayoutRow row = ResolveRow(stored);
  // A segment, a left turn and a shorter segment: both the gap lines and the full-length lines
  // with their mitre show, and a leftover at the end of each segment.
  // Pieces too wide for any sample are left out of it, as from a drawing.
  const double pieces = PieceStep(inputs, row);
  const double step = std::max(SampleStep(row), pieces < 1e6 ? pieces : 0.0);
  preview.points[0] = {0, 0};
  preview.points[1] = {4.5 * step, 0};
  preview.points[2] = {4.5 * step, 2.5 * step};

  DrawingState sample;
  sample.writing = inputs.run.writing;
  for (int n = 1; n <= 3; ++n) {
    DesignatedPoint& p = sample.designatedPoints[size_t(n)];
    p.used = true;
    p.x = preview.points[n - 1].x;
    p.y = preview.points[n - 1].y;
  }
  const DrawInputs draw{sample,           stored,       inputs.run, inputs.fs, inputs.programDir,
                        kMaxPreviewBytes, inputs.extras};

  OutputBuffer buffer;
  CommandWriter out(buffer, sample);
  const DrawEstimate estimate = EstimateDrawing(draw, 3, true);
  if (!stored) {
    preview.note = PreviewNote::kNoRow;
  } else if (estimate.sizeZero) {
    preview.note = PreviewNote::kSizeZero;
  } else if (estimate.figureMissing) {
    preview.note = PreviewNote::kFigureMissing;
  } else if (estimate.Verdict() != DrawResult::kDrawn) {
    preview.note = PreviewNote::kTooLarge;
  }
  if (preview.note == PreviewNote::kNone) {
    EmitWritingAttributes(inputs.run, out);
    // A figure file that grew since the estimate is refused by the drawing itself.
    if (DrawPattern(draw, out, 3, true) != DrawResult::kDrawn) {
      buffer.Clear();
      out.ResetCommandCache();
      preview.note = PreviewNote::kTooLarge;
    }
  }
  if (preview.note != PreviewNote::kNone) {
    EmitWritingAttributes(inputs.run, out);
    EmitNote(out, PreviewNoteText(preview.note), {2.25 * step, 1.25 * step}, step / 4);
  }

  // Read back as Jw_cad would read the run's output.
  DrawingState drawn;
  ReadExchangeBytes(buffer.FileImage(), drawn);
  AddExchangeEntities(drawn, preview.drawing);
  AddDesignatedPoints(sample, preview.drawing.overlay);
  return preview;
}

Preview BuildPreview(const Settings& settings, int32_t row, const DrawingState& drawing,
                     FileSystem& fs, const std::string& programDir, RowExtras extras) {
  return BuildPreview(
      {settings, row, MakeRunContext(drawing, settings), fs, programDir, std::move(extras)});
}

}  // namespace gara::scene
